#include "ops/DiagnosticReport.h"

#include <archive.h>
#include <archive_entry.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <memory>

#include "app/CKestrionApp.h"
#include "app/Prompts.h"
#include "ops/HostFacts.h"
#include "ops/OpsMessages.h"
#include "ops/SecretRedaction.h"
#include "settings/DocumentSerializer.h"
#include "support/Clock.h"
#include "support/ReplacementFile.h"

namespace merivane {
namespace {

// A log bigger than this keeps only its last part: the report goes by mail.
constexpr uint64_t kMaxLogBytes = 16 * 1024 * 1024;

// This run's blocks of the command log, from where the run began; nothing when the file
// cannot be read (it is not followed through a link).
std::string RunLog(const std::string& path, uint64_t start) {
    if (path.empty()) return {};
    std::error_code ec;
    if (!std::filesystem::is_regular_file(std::filesystem::symlink_status(path, ec))) return {};
    std::ifstream log(path, std::ios::binary | std::ios::ate);
    if (!log) return {};
    const auto end = static_cast<uint64_t>(std::max<std::streamoff>(0, log.tellg()));
    uint64_t from = start;
    if (end > from + kMaxLogBytes) from = end - kMaxLogBytes;
    if (from >= end) return {};
    std::string text(static_cast<size_t>(end - from), '\0');
    log.seekg(static_cast<std::streamoff>(from));
    log.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<size_t>(std::max<std::streamsize>(0, log.gcount())));
    return text;
}

la_ssize_t Append(archive*, void* target, const void* bytes, size_t size) {
    static_cast<std::string*>(target)->append(static_cast<const char*>(bytes), size);
    return static_cast<la_ssize_t>(size);
}

struct ArchiveFree {
    void operator()(archive* a) const { archive_write_free(a); }
};
struct EntryFree {
    void operator()(archive_entry* e) const { archive_entry_free(e); }
};

}  // namespace

std::string DiagnosticReportName(const std::string& imei, int64_t wallSeconds) {
    std::string id;
    for (char c : imei)
        if (std::isalnum(static_cast<unsigned char>(c)) != 0) id += c;
    std::string when = IsoUtc(wallSeconds * 1000);  // "2026-12-09T00:15:00Z"
    std::string compact;
    for (char c : when)
        if (c != '-' && c != ':') compact += c;
    return "merivane-report-" + (id.empty() ? std::string("unknown") : id) + "-" + compact +
           ".tar.gz";
}

std::vector<ReportMember> DiagnosticReportMembers(CKestrionApp& app,
                                                  const std::deque<SignalSample>& signal) {
    const DocumentStore& documents = app.Documents();
    // The secrets the device holds now; the log may also hold earlier ones, which the
    // element rule finds.
    std::vector<std::string> secrets = SecretValues(documents.SettingsNode());
    for (std::string& value : SecretValues(documents.ZelboNode())) secrets.push_back(value);

    std::vector<ReportMember> members;
    const auto add = [&](const char* name, const std::string& text) {
        members.push_back({name, RedactSecrets(text, secrets)});
    };
    add("settings.xml", DocumentFileText(documents.SettingsDocument()));
    add("state.xml", DocumentFileText(documents.StateDocument()));
    if (documents.ZelboDocument() != nullptr)
        add("radio-settings.xml", DocumentFileText(documents.ZelboDocument()));
    if (!app.CommandLogPath().empty())
        add("command.log", RunLog(app.CommandLogPath(), app.CommandLogStart()));
    members.push_back({"signal.csv", SignalCsv(signal)});
    add("host.txt", HostFactsText(app.PortName()));
    return members;
}

std::string TarGz(const std::vector<ReportMember>& members, int64_t wallSeconds) {
    std::string bytes;
    std::unique_ptr<archive, ArchiveFree> writer(archive_write_new());
    if (writer == nullptr || archive_write_add_filter_gzip(writer.get()) != ARCHIVE_OK ||
        archive_write_set_format_ustar(writer.get()) != ARCHIVE_OK ||
        archive_write_set_bytes_in_last_block(writer.get(), 1) != ARCHIVE_OK ||
        archive_write_open(writer.get(), &bytes, nullptr, Append, nullptr) != ARCHIVE_OK)
        return {};
    for (const ReportMember& member : members) {
        std::unique_ptr<archive_entry, EntryFree> entry(archive_entry_new());
        archive_entry_set_pathname(entry.get(), member.name.c_str());
        archive_entry_set_filetype(entry.get(), AE_IFREG);
        archive_entry_set_perm(entry.get(), 0600);
        archive_entry_set_size(entry.get(), static_cast<la_int64_t>(member.bytes.size()));
        archive_entry_set_mtime(entry.get(), static_cast<time_t>(wallSeconds), 0);
        if (archive_write_header(writer.get(), entry.get()) != ARCHIVE_OK ||
            archive_write_data(writer.get(), member.bytes.data(), member.bytes.size()) !=
                static_cast<la_ssize_t>(member.bytes.size()))
            return {};
    }
    if (archive_write_close(writer.get()) != ARCHIVE_OK) return {};
    return bytes;
}

bool SaveDiagnosticReport(CKestrionApp& app, const std::deque<SignalSample>& signal,
                          const std::string& path, std::string& error) {
    const int64_t now = Clock::WallSeconds();
    const std::string bytes = TarGz(DiagnosticReportMembers(app, signal), now);
    if (bytes.empty()) {
        error = "the archive could not be made";
        return false;
    }
    return ReplaceFile(path, bytes, FileSecrecy::Secret, error);
}

bool SaveDiagnosticReport(CKestrionApp& app, const std::deque<SignalSample>& signal,
                          Prompts& prompts) {
    const std::string name =
        DiagnosticReportName(app.Identity().serialNumber, Clock::WallSeconds());
    const std::string path = prompts.SaveFile(name, "tar.gz", "*.tar.gz");
    if (path.empty()) return false;
    std::string error;
    if (SaveDiagnosticReport(app, signal, path, error)) return true;
    prompts.Inform(FillIn("The diagnostic report could not be saved to %s (%s).", {path, error}),
                   kErrorCaption, Prompts::Icon::Error);
    return false;
}

}  // namespace merivane
