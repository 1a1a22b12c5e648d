#include "cli/DeviceFleet.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string_view>

#include "cli/CommandReport.h"
#include "cli/DeviceProcesses.h"
#include "cli/ExitCodes.h"
#include "cli/PortDiscovery.h"
#include "support/Interruption.h"
#include "support/TerminalText.h"

namespace merivane::cli {
namespace {

// The per-device form of a file the command writes.
std::vector<std::string> DeviceFileArguments(const CliOptions& options, const std::string& tag) {
    std::vector<std::string> args = options.args;
    std::error_code ec;
    if (options.command == "backup" || (options.command == "report" && !args.empty() &&
                                        !std::filesystem::is_directory(args[0], ec))) {
        args[0] = TaggedPath(args[0], tag);
    } else if (options.command == "download") {
        const std::string name = args[0];
        if (args.size() < 2) {
            args.push_back(TaggedPath(name, tag));
        } else if (std::filesystem::is_directory(args[1], ec)) {
            args[1] = (std::filesystem::path(args[1]) / TaggedPath(name, tag)).string();
        } else {
            args[1] = TaggedPath(args[1], tag);
        }
    }
    return args;
}

// Passes on each finished line of a device's messages, marked with its port.
void ForwardMessages(DeviceProcess& device, bool atEnd) {
    size_t end;
    while ((end = device.partialLine.find('\n')) != std::string::npos ||
           (atEnd && !device.partialLine.empty())) {
        if (end == std::string::npos) end = device.partialLine.size();
        std::string line = device.partialLine.substr(0, end);
        device.partialLine.erase(0, std::min(end + 1, device.partialLine.size()));
        if (line.rfind("merivane-cli: ", 0) == 0) line.erase(0, 14);
        if (line.empty()) continue;
        device.lastMessage = line;
        std::fprintf(stderr, "[%s] %s\n", TerminalSafe(device.port).c_str(),
                     TerminalSafe(line).c_str());
    }
    std::fflush(stderr);
}

// Passes on each finished line of a streaming command's output as it comes: JSON
// lines as they are (each names its port), text lines marked with the port.
void ForwardOutput(DeviceProcess& device, bool json) {
    for (size_t end; (end = device.output.find('\n')) != std::string::npos;) {
        const std::string line = device.output.substr(0, end);
        device.output.erase(0, end + 1);
        if (json)
            std::fprintf(stdout, "%s\n", line.c_str());
        else
            std::fprintf(stdout, "[%s] %s\n", TerminalSafe(device.port).c_str(),
                         TerminalSafe(line).c_str());
    }
    std::fflush(stdout);
}

// Passes on what a device's process writes as it comes: its messages line by line
// and, with `stream`, its standard output too.
void Received(DeviceProcess& device, bool isOutput, std::string_view bytes, bool stream,
              bool json) {
    if (isOutput) {
        device.output.append(bytes);
        if (stream) ForwardOutput(device, json);
    } else {
        device.partialLine.append(bytes);
        ForwardMessages(device, bytes.empty());
    }
}

const char* ResultText(const std::string& command, int exit) {
    if (ExitsLikeDiff(command) && exit == kExitDiffers) return "differs";
    switch (exit) {
        case kExitDone:
            return "done";
        case kExitUsage:
            return "refused";
        case kExitNoDevice:
            return "no device";
        default:
            return "failed";
    }
}

int OverallExit(const std::string& command, const std::vector<DeviceProcess>& devices) {
    bool allDone = true;
    bool allSame = true;
    bool onlyFindings = ExitsLikeDiff(command);
    for (const DeviceProcess& device : devices) {
        allDone = allDone && device.exit == kExitDone;
        allSame = allSame && device.exit == devices.front().exit;
        onlyFindings = onlyFindings && (device.exit == kExitDone || device.exit == kExitDiffers);
    }
    if (allDone) return kExitDone;
    if (allSame) return devices.front().exit;
    // Some devices differ from the file, the others hold it: a finding, not a failure.
    return onlyFindings ? kExitDiffers : FailureExit(command);
}

// The device's own JSON document, or null when what it wrote is not one JSON object
// (a process that died half-way): taken over, it would spoil the whole document.
Json DeviceDocument(const std::string& output) {
    Json document = Json::parse(output, nullptr, false);
    return document.is_object() ? document : Json();
}

void PrintJson(const CliOptions& options, const std::vector<DeviceProcess>& devices, int exit) {
    Json document = {{"command", options.command}, {"ok", exit == kExitDone}, {"exit", exit}};
    bool anyChanged = false;
    Json list = Json::array();
    for (const DeviceProcess& device : devices) {
        Json own = DeviceDocument(device.output);
        anyChanged = anyChanged || (own.is_object() && own.value("changed", Json()) == true);
        list.push_back({{"port", device.port},
                        {"exit", device.exit},
                        {"result", ResultText(options.command, device.exit)},
                        {"message", device.exit == kExitDone ? std::string() : device.lastMessage},
                        {"document", std::move(own)}});
    }
    document["changed"] = anyChanged;
    document["devices"] = list;
    std::printf("%s\n", JsonText(document).c_str());
}

void PrintText(const std::string& command, const std::vector<DeviceProcess>& devices) {
    for (const DeviceProcess& device : devices) {
        if (device.output.empty()) continue;
        std::printf("== %s ==\n%s", TerminalSafe(device.port).c_str(),
                    TerminalSafe(device.output, LineBreaks::Keep).c_str());
        if (device.output.back() != '\n') std::printf("\n");
    }
    Json rows = Json::array();
    for (const DeviceProcess& device : devices)
        rows.push_back(
            {{"port", device.port},
             {"result", ResultText(command, device.exit)},
             {"exit", device.exit},
             {"message", device.exit == kExitDone ? std::string() : device.lastMessage}});
    const Json table = {{"summary", rows}};
    std::printf("\n%s", RenderText(table).c_str());
}

}  // namespace

std::vector<std::string> DeviceProcessArguments(const CliOptions& options, const std::string& port,
                                                const std::string& tag) {
    std::vector<std::string> arguments = {"--port", port};
    if (options.debug) {
        arguments.push_back("--debug");
        arguments.push_back("--log=" + TaggedPath(options.LogPath(), tag));
    }
    if (options.json) arguments.push_back("--json");
    CliOptions device = options;
    device.args = DeviceFileArguments(options, tag);
    const std::vector<std::string> rest = CommandArguments(device);
    arguments.insert(arguments.end(), rest.begin(), rest.end());
    return arguments;
}

int RunOnDevices(const CliOptions& options, const std::vector<std::string>& ports) {
    const std::string program = OwnProgram();
    // Two ports can make the same tag ("/dev/a:b", "/dev/a_b"); the second device would
    // then write over the first one's files.
    const std::vector<std::string> tags = UniquePortTags(ports);
    std::vector<DeviceProcess> devices(ports.size());
    for (size_t i = 0; i < ports.size(); ++i) {
        devices[i].port = ports[i];
        // Until its process exits with a status of its own.
        devices[i].exit = FailureExit(options.command);
        if (InterruptionRequested()) {
            devices[i].lastMessage = "interrupted before it was started";
            continue;
        }
        if (!StartDeviceProcess(program, DeviceProcessArguments(options, ports[i], tags[i]), i,
                                devices[i]))
            devices[i].lastMessage = "the process for this device could not be started";
    }
    // The monitor's samples are shown as they come, and there is nothing to sum up.
    const bool stream = options.command == "monitor";
    CollectDeviceOutput(devices, [&](DeviceProcess& device, bool isOutput, std::string_view bytes) {
        Received(device, isOutput, bytes, stream, options.json);
    });
    const int exit = OverallExit(options.command, devices);
    if (!stream && options.json) PrintJson(options, devices, exit);
    if (!stream && !options.json) PrintText(options.command, devices);
    std::fflush(stdout);
    return InterruptionRequested() ? kExitInterrupted : exit;
}

}  // namespace merivane::cli
