#pragma once

#include <cstdio>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "cli/ExitCodes.h"

namespace merivane::cli {

// A value of a report: its objects keep their members in the order they were set, which
// is the order the text output lists them in.
using Json = nlohmann::ordered_json;

// Compact JSON text. Texts are taken as UTF-8; a byte that is not valid UTF-8 is written
// as U+FFFD, so the output is always valid JSON.
std::string JsonText(const Json& value);

// The outcome of one command on one device: what it found (an object whose members the
// text output lists), the device it ran on, and the first failure with its exit status.
class CommandReport {
  public:
    explicit CommandReport(std::string command) : command_(std::move(command)) {}

    Json& Data() { return data_; }
    const Json& Data() const { return data_; }
    void SetPort(std::string port) { port_ = std::move(port); }
    void SetProduct(std::string product) { product_ = std::move(product); }

    // The command sent the device something that changes it.
    void MarkChanged() { changed_ = true; }
    // Whether the device was changed; for a check, whether it would be (a change listed).
    bool Changed() const { return check_ ? HasChanges() : changed_; }
    bool HasChanges() const { return !changes_.empty(); }
    // The JSON document lists "changes" (empty when nothing differs): for the commands that
    // compare what the device has with what they were asked for.
    void ListChanges() { listsChanges_ = true; }
    // One difference between the device and what the command asks for: a setting, a file
    // or the firmware, named by `path`; a null side means absent.
    void AddChange(const std::string& path, Json before, Json after);
    // The report tells what would change (--check): its text begins with "would_change".
    void SetCheck(bool check) { check_ = check; }

    // Records a failure; the first one decides the exit status and the error text.
    // kExitFailed becomes the command's own FailureExit.
    void Fail(int exitCode, const std::string& error);
    // diff's finding: the settings differ (exit kExitDiffers), unless it failed first.
    void Differs(const std::string& summary);
    // The user stopped the program: this outcome wins over any failure it caused.
    void Interrupted();
    // The command printed its findings as it went (one line a sample): a report
    // that ends well adds nothing to standard output.
    void SetStreamed() { streamed_ = true; }
    int ExitCode() const { return exitCode_; }
    bool Ok() const { return exitCode_ == kExitDone; }
    const std::string& Error() const { return error_; }

    // The whole report as one JSON document.
    Json ToJson(const std::vector<std::string>& messages) const;
    // Prints the report: one JSON document or the findings as text on `out`, and the
    // failure, if any, on `err`.
    void Print(bool json, const std::vector<std::string>& messages, FILE* out, FILE* err) const;

  private:
    std::string command_;
    std::string port_;
    std::string product_;
    Json data_ = Json::object();
    bool changed_ = false;
    bool listsChanges_ = false;
    bool check_ = false;
    Json changes_ = Json::array();
    int exitCode_ = kExitDone;
    std::string error_;
    bool streamed_ = false;
};

// The findings as text: "key: value" lines for single values, "key=value" lines for the
// members of an object (settings by path), a table with a header for a list of objects.
std::string RenderText(const Json& data);

}  // namespace merivane::cli
