#include "sim/FaultPlan.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace merivane::sim {
namespace {

enum class Arg { None, Command, Number };

struct FaultName {
    const char* name;
    FaultPlan::Kind kind;
    Arg arg;
};

constexpr FaultName kNames[] = {
    {"silent", FaultPlan::Kind::Silent, Arg::Command},
    {"error", FaultPlan::Kind::Error, Arg::Command},
    {"echo-only", FaultPlan::Kind::EchoOnly, Arg::Command},
    {"bad-xml", FaultPlan::Kind::BadXml, Arg::Command},
    {"huge", FaultPlan::Kind::Huge, Arg::Command},
    {"garbage", FaultPlan::Kind::Garbage, Arg::None},
    {"split", FaultPlan::Kind::Split, Arg::None},
    {"slow", FaultPlan::Kind::Slow, Arg::Number},
    {"unplug-after-bytes", FaultPlan::Kind::UnplugAfterBytes, Arg::Number},
    {"corrupt-upload", FaultPlan::Kind::CorruptUpload, Arg::None},
    {"corrupt-download", FaultPlan::Kind::CorruptDownload, Arg::None},
    {"stall-upload", FaultPlan::Kind::StallUpload, Arg::Number},
    {"chatter-forever", FaultPlan::Kind::ChatterForever, Arg::None},
    {"other-file", FaultPlan::Kind::OtherFile, Arg::Command},
    {"unlisted", FaultPlan::Kind::Unlisted, Arg::Command},
    {"longer-download", FaultPlan::Kind::LongerDownload, Arg::Number},
    {"extra-operations", FaultPlan::Kind::ExtraOperations, Arg::None},
    {"hostile-text", FaultPlan::Kind::HostileText, Arg::None},
};

constexpr FaultPlan::Kind kCommandPrecedence[] = {
    FaultPlan::Kind::Silent, FaultPlan::Kind::EchoOnly, FaultPlan::Kind::Error,
    FaultPlan::Kind::BadXml, FaultPlan::Kind::Huge,
};

bool ContainsIgnoringCase(std::string_view text, std::string_view part) {
    const auto it =
        std::search(text.begin(), text.end(), part.begin(), part.end(), [](char a, char b) {
            return std::tolower(static_cast<unsigned char>(a)) ==
                   std::tolower(static_cast<unsigned char>(b));
        });
    return it != text.end();
}

}  // namespace

std::optional<FaultPlan::Fault> FaultPlan::Parse(const std::string& spec) {
    const size_t colon = spec.find(':');
    const std::string name = spec.substr(0, colon);
    const bool hasArg = colon != std::string::npos;
    const std::string arg = hasArg ? spec.substr(colon + 1) : std::string();
    for (const FaultName& entry : kNames) {
        if (name != entry.name) continue;
        Fault fault{entry.kind, {}, 0};
        switch (entry.arg) {
            case Arg::None:
                if (hasArg) return std::nullopt;
                return fault;
            case Arg::Command:
                if (arg.empty()) return std::nullopt;
                fault.command = arg;
                return fault;
            case Arg::Number: {
                if (arg.empty()) return std::nullopt;
                const auto [end, ec] =
                    std::from_chars(arg.data(), arg.data() + arg.size(), fault.number);
                if (ec != std::errc() || end != arg.data() + arg.size()) return std::nullopt;
                return fault;
            }
        }
    }
    return std::nullopt;
}

bool FaultPlan::Add(const std::string& spec) {
    std::optional<Fault> fault = Parse(spec);
    if (!fault) return false;
    std::lock_guard lock(mutex_);
    faults_.push_back(std::move(*fault));
    return true;
}

void FaultPlan::Clear() {
    std::lock_guard lock(mutex_);
    faults_.clear();
}

std::optional<FaultPlan::Kind> FaultPlan::ForCommand(std::string_view command) const {
    std::lock_guard lock(mutex_);
    for (Kind kind : kCommandPrecedence) {
        for (const Fault& fault : faults_) {
            if (fault.kind == kind && ContainsIgnoringCase(command, fault.command)) return kind;
        }
    }
    return std::nullopt;
}

bool FaultPlan::Has(Kind kind) const {
    std::lock_guard lock(mutex_);
    return std::any_of(faults_.begin(), faults_.end(),
                       [kind](const Fault& f) { return f.kind == kind; });
}

std::optional<uint64_t> FaultPlan::Number(Kind kind) const {
    std::lock_guard lock(mutex_);
    for (const Fault& fault : faults_) {
        if (fault.kind == kind) return fault.number;
    }
    return std::nullopt;
}

std::optional<std::string> FaultPlan::Text(Kind kind) const {
    std::lock_guard lock(mutex_);
    for (const Fault& fault : faults_) {
        if (fault.kind == kind) return fault.command;
    }
    return std::nullopt;
}

bool FaultPlan::Take(Kind kind) {
    std::lock_guard lock(mutex_);
    const auto it = std::find_if(faults_.begin(), faults_.end(),
                                 [kind](const Fault& f) { return f.kind == kind; });
    if (it == faults_.end()) return false;
    faults_.erase(it);
    return true;
}

}  // namespace merivane::sim
