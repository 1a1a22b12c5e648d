#include "ops/PythonFileDownload.h"

#include <libxml/tree.h>

#include "app/BatchExecutor.h"
#include "app/Prompts.h"
#include "link/UploadEngine.h"
#include "ops/DigestAnswer.h"
#include "ops/OpsMessages.h"
#include "settings/DocumentParser.h"
#include "settings/ElementSearch.h"
#include "settings/RciRequests.h"
#include "settings/XmlText.h"
#include "support/Base64.h"
#include "support/FileMd5Hex.h"
#include "support/ReplacementFile.h"

namespace merivane {
namespace {

// Time-outs grow with the file: 1 ms per byte on top of this, up to the link's bound.
constexpr int kTimeOutBase = 5000;

// The requests of one file, checked before anything is sent.
struct FileRequests {
    std::string digest;
    std::string fetch;
};

class FileDownload {
  public:
    FileDownload(const PythonFileEntry& entry, const FileRequests& requests,
                 BatchExecutor& executor, Prompts& prompts)
        : entry_(entry), requests_(requests), executor_(executor), prompts_(prompts) {}

    DownloadReport Run() {
        DownloadReport report{entry_.name, DownloadOutcome::Failed, {}};
        for (;;) {
            const std::string deviceDigest = FetchDigest();
            FetchedFile file;
            if (!ReadFetchedFile(FetchFile(), file)) {
                if (Ask(kDownloadFailed) == Prompts::Answer::Retry) continue;
                return report;
            }
            const std::string bytes = Base64DecodeToString(file.content);
            if (const std::string wrong = WrongFile(file, bytes); !wrong.empty()) {
                if (Ask(wrong) == Prompts::Answer::Retry) continue;
                return report;
            }
            switch (Save(bytes, deviceDigest, report.savedPath)) {
                case SaveResult::Saved:
                    report.outcome = DownloadOutcome::Saved;
                    return report;
                case SaveResult::Cancelled:
                    report.outcome = DownloadOutcome::NotSaved;
                    return report;
                case SaveResult::RetryFetch:
                    continue;
                case SaveResult::GiveUp:
                    return report;
            }
        }
    }

  private:
    enum class SaveResult { Saved, Cancelled, RetryFetch, GiveUp };

    int32_t TimeOut() const {
        return static_cast<int32_t>(CapSizeTimeout(uint64_t{*entry_.size} + kTimeOutBase));
    }

    std::string FetchDigest() {
        CommandList list = {{requests_.digest,
                             FillIn(kDigestStepPattern, {entry_.name, entry_.sizeText}),
                             TimeOut()}};
        executor_.RunBatch(list);
        return DigestFromAnswer(list.back().result);
    }

    std::string FetchFile() {
        const std::string step = FillIn(kFetchStepPattern, {entry_.name, entry_.sizeText});
        CommandList list = {{std::string(rci::kTwoPartLeadIn), step, 2000},
                            {requests_.fetch, step, TimeOut(), static_cast<int32_t>(*entry_.size)}};
        executor_.RunBatch(list);
        return list.back().result;
    }

    Prompts::Answer Ask(const std::string& text) {
        return prompts_.RetryCancel(text, kErrorCaption, Prompts::Icon::Error);
    }

    // Why the answer is not the file asked for, or empty when it is: the device must name
    // the file requested and send no more bytes than it listed. The digest judges the rest.
    std::string WrongFile(const FetchedFile& file, const std::string& bytes) const {
        const std::string asked = std::string(rci::kPythonFolder) + entry_.name;
        if (file.devicePath != asked)
            return FillIn(kDownloadOtherFilePattern, {DeviceAnswerExcerpt(file.devicePath), asked});
        if (bytes.size() > *entry_.size)
            return FillIn(kDownloadLongerPattern,
                          {std::to_string(bytes.size()), entry_.name, entry_.sizeText});
        return {};
    }

    // The save dialog until the bytes are in place, the user cancels, or the digest fails.
    // The name proposed is the one the user picked from the list, never one from the answer.
    SaveResult Save(const std::string& bytes, const std::string& deviceDigest,
                    std::string& savedPath) {
        for (;;) {
            const std::string path = prompts_.SaveFile(DefaultLocalName(entry_.name), "", "");
            if (path.empty()) return SaveResult::Cancelled;
            ReplacementFile file(path, FileSecrecy::OwnerOnly);
            if (!file.Write(bytes)) {
                SayCannotWrite(path, file.Error());
                continue;
            }
            std::string written;
            const bool taken = FileMd5Hex(file.TemporaryPath(), written);
            if (!DigestsMatch(taken, written, deviceDigest)) {
                file.Discard();
                const std::string text =
                    FillIn(kDownloadMismatchPattern, {written, DeviceAnswerExcerpt(deviceDigest)});
                return Ask(text) == Prompts::Answer::Retry ? SaveResult::RetryFetch
                                                           : SaveResult::GiveUp;
            }
            if (!file.Commit()) {
                SayCannotWrite(path, file.Error());
                continue;
            }
            savedPath = path;
            return SaveResult::Saved;
        }
    }

    void SayCannotWrite(const std::string& path, const std::string& why) {
        prompts_.Inform(FillIn("The file %s cannot be written (%s). Choose another name or folder.",
                               {path, why}),
                        kErrorCaption, Prompts::Icon::Error);
    }

    const PythonFileEntry& entry_;
    const FileRequests& requests_;
    BatchExecutor& executor_;
    Prompts& prompts_;
};

// The requests for `entry`, or false after saying why it cannot be fetched.
bool PrepareRequests(const PythonFileEntry& entry, FileRequests& requests, Prompts& prompts) {
    std::string why;
    if (!rci::DigestCommand(std::string(rci::kPythonFolder) + entry.name, &requests.digest, &why) ||
        !rci::GetPythonFileRequest(entry.name, &requests.fetch, &why)) {
        prompts.Inform(
            FillIn("The file %s cannot be fetched from the device. %s", {entry.name, why}),
            kErrorCaption, Prompts::Icon::Error);
        return false;
    }
    if (!entry.size) {
        prompts.Inform(
            FillIn("The file %s cannot be fetched from the device. Its size as the device "
                   "reports it (%s) is not a number of bytes up to %s.",
                   {entry.name, entry.sizeText, std::to_string(kMaxDownloadBytes)}),
            kErrorCaption, Prompts::Icon::Error);
        return false;
    }
    return true;
}

}  // namespace

bool ReadFetchedFile(std::string_view answer, FetchedFile& file) {
    const XmlDocPtr document = ParseAnswerDocument(answer, "filedata.xml");
    if (document == nullptr) return false;
    xmlNode* command =
        FindChildElement(xmlDocGetRootElement(document.get()), kElementNodeType, "do_command");
    xmlNode* get = FindChildElement(command, kElementNodeType, "get_file");
    xmlNode* data = FindChildElement(get, kElementNodeType, "data");
    if (data == nullptr) return false;
    AttributeText(get, "name", file.devicePath);
    file.content = NodeText(data);
    return true;
}

std::string DefaultLocalName(const std::string& deviceName) {
    if (deviceName.empty() || deviceName.front() == '.') return {};
    return rci::CheckDeviceFileName(deviceName, nullptr) ? deviceName : std::string();
}

std::vector<DownloadReport> DownloadPythonFiles(const std::vector<PythonFileEntry>& entries,
                                                BatchExecutor& executor, Prompts& prompts) {
    std::vector<DownloadReport> reports;
    for (const PythonFileEntry& entry : entries) {
        FileRequests requests;
        if (!PrepareRequests(entry, requests, prompts)) {
            reports.push_back({entry.name, DownloadOutcome::Refused, {}});
            continue;
        }
        reports.push_back(FileDownload(entry, requests, executor, prompts).Run());
    }
    return reports;
}

}  // namespace merivane
