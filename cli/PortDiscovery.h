#pragma once

#include <memory>
#include <string>
#include <vector>

#include "link/PortSource.h"
#include "link/Transport.h"

namespace merivane::cli {

// The environment variable that replaces the system's port list (tests, scripts, ports
// udev cannot describe): entries "PROVIDER=PATH" separated by ";".
inline constexpr char kPortsVariable[] = "MERIVANE_CLI_PORTS";

// Reads a port list in the variable's form. Empty entries are skipped; false with
// `error` set for an entry without "=" or with an empty path.
bool ParsePortList(const std::string& text, std::vector<PortEntry>& entries, std::string& error);

// The port source: the variable's list when it is set, else the system's (udev). Null
// with `error` set when the variable is malformed.
std::unique_ptr<PortSource> MakePortSource(std::string& error);

// What discovery found: the usable candidate ports and the ones passed over, and
// whether it opened the only candidate.
struct Discovery {
    bool opened = false;
    std::vector<std::string> candidates;
    std::vector<PortProblem> problems;
};

// Runs the tool's discovery on `transport`; it opens the port when exactly one
// candidate qualifies and leaves several unopened.
Discovery DiscoverPorts(Transport& transport);

// A port path as a piece of a file name: "/dev/ttyACM0" -> "ttyACM0",
// "/dev/serial/by-id/usb-X" -> "serial_by-id_usb-X"; other characters than letters,
// digits, ".", "_" and "-" become "_".
std::string PortTag(const std::string& port);

// Each port's tag, in order, unique across the list: a tag an earlier port already has
// gets "-2", "-3", ... added ("/dev/a:b", "/dev/a_b" -> "a_b", "a_b-2"), so that no two
// devices write the same file.
std::vector<std::string> UniquePortTags(const std::vector<std::string>& ports);

// `path` with "-TAG" before the extension of its file name ("a/backup.cfg" ->
// "a/backup-TAG.cfg", "notes" -> "notes-TAG").
std::string TaggedPath(const std::string& path, const std::string& tag);

}  // namespace merivane::cli
