// Every device operation against every fault the simulated device can show: what the user
// is told, what the device keeps, that local files survive, and that the tool still works
// once the fault is gone. One parameterised test runs one cell of the table below.

#include <algorithm>
#include <atomic>
#include <cctype>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "OpsTestSupport.h"
#include "app/Identification.h"
#include "app/Product.h"
#include "app/SettingsApply.h"
#include "ops/ConfigurationBackup.h"
#include "ops/ConfigurationRestore.h"
#include "ops/DeviceUtilities.h"
#include "ops/FirmwareUpdate.h"
#include "ops/OpsMessages.h"
#include "ops/PythonFileDelete.h"
#include "ops/PythonFileDownload.h"
#include "ops/PythonFileList.h"
#include "ops/PythonFileUpload.h"
#include "ops/ZelboFirmware.h"
#include "settings/Bindings.h"
#include "settings/RciRequests.h"

namespace merivane {
namespace {

enum class Op {
    Identify,
    Apply,
    MeshApply,
    List,
    Delete,
    Upload,
    Download,
    Firmware,
    RadioFirmware,
    Backup,
    Restore,
    Reboot,
};

enum class Fault { Silence, Error, Garbage, Split, Slow, Unplug, Corrupt, BadXml, Huge };

// What the device should keep after the cell: the change the operation makes, none of
// it, or either (where the fault hits after the device may already have acted).
enum class Device { Changed, Unchanged, Either };

struct Cell {
    Op op;
    Fault fault;
    const char* target;   // the command piece a command-bound fault hits
    const char* outcome;  // what the operation reports; "a|b" accepts either
    Device device;
    const char* prompt;  // the start of a message shown ("" for none); {local} is the local path
};

const char* OpName(Op op) {
    switch (op) {
        case Op::Identify:
            return "Identify";
        case Op::Apply:
            return "Apply";
        case Op::MeshApply:
            return "MeshApply";
        case Op::List:
            return "List";
        case Op::Delete:
            return "Delete";
        case Op::Upload:
            return "Upload";
        case Op::Download:
            return "Download";
        case Op::Firmware:
            return "Firmware";
        case Op::RadioFirmware:
            return "RadioFirmware";
        case Op::Backup:
            return "Backup";
        case Op::Restore:
            return "Restore";
        case Op::Reboot:
            return "Reboot";
    }
    return "?";
}

const char* FaultName(Fault fault) {
    switch (fault) {
        case Fault::Silence:
            return "Silence";
        case Fault::Error:
            return "Error";
        case Fault::Garbage:
            return "Garbage";
        case Fault::Split:
            return "Split";
        case Fault::Slow:
            return "Slow";
        case Fault::Unplug:
            return "Unplug";
        case Fault::Corrupt:
            return "Corrupt";
        case Fault::BadXml:
            return "BadXml";
        case Fault::Huge:
            return "Huge";
    }
    return "?";
}

void PrintTo(const Cell& cell, std::ostream* os) {
    *os << OpName(cell.op) << " x " << FaultName(cell.fault) << " on '" << cell.target << "'";
}

// "Apply_Silence_setsetting": the operation, the fault and the letters of its target.
std::string CellName(const ::testing::TestParamInfo<Cell>& info) {
    std::string name = std::string(OpName(info.param.op)) + "_" + FaultName(info.param.fault);
    std::string target;
    for (const char* c = info.param.target; *c; ++c)
        if (std::isalnum(static_cast<unsigned char>(*c))) target += *c;
    if (!target.empty()) name += "_" + target.substr(0, 24);
    return name;
}

// Command pieces the faults are aimed at.
constexpr char kSettingsQuery[] = "<query_setting></query_setting>";
constexpr char kSetSettings[] = "<set_setting>";
constexpr char kRadioQuery[] = "zigbee'><query_setting/>";
constexpr char kRadioSet[] = "zigbee'><set_setting>";
constexpr char kListRequest[] = "<ls ";
constexpr char kRemove[] = "<rm ";
constexpr char kDigest[] = "usbinterface=41";
constexpr char kGetFile[] = "<get_file";
constexpr char kUpdate[] = "usbinterface=110";
constexpr char kRadioUpdate[] = "<fw_update";
constexpr char kReboot[] = "at+CFUN=1";
constexpr char kUploadData[] = "";  // the data phase (unplug-after-bytes, corrupt-upload)

constexpr char kUploadMismatch[] = "The file {local} did not correctly transfer.";
constexpr char kImageMismatch[] = "File upload failed.  MD5 sum should have been";
constexpr char kFetchFailed[] =
    "File download failed.\r\nSelect Retry to attempt the file download again.";
constexpr char kFetchMismatch[] = "File download failed.  MD5 sum should have been";
constexpr char kUpdateFailed[] = "Firmware Update failed.";

using D = Device;
using F = Fault;

// The cells. Global faults (garbage, split, slow) never change the outcome: every
// operation must succeed as it does without them.
const Cell kCells[] = {
    // Identification: an empty settings or state answer fails it (the user gets
    // Retry/Cancel); one that holds no usable document identifies the device without its
    // settings, so that a damaged device can still be updated or restored.
    {Op::Identify, F::Silence, kSettingsQuery, "not identified", D::Unchanged, ""},
    {Op::Identify, F::Error, kSettingsQuery, "not identified", D::Unchanged, ""},
    {Op::Identify, F::Garbage, "", "identified", D::Unchanged, ""},
    {Op::Identify, F::Split, "", "identified", D::Unchanged, ""},
    {Op::Identify, F::Slow, "", "identified", D::Unchanged, ""},
    {Op::Identify, F::Unplug, kSettingsQuery, "not identified", D::Unchanged, ""},
    {Op::Identify, F::BadXml, kSettingsQuery, "identified without settings", D::Unchanged, ""},
    {Op::Identify, F::Huge, kSettingsQuery, "identified without settings", D::Unchanged, ""},

    // Settings apply: the document that was sent stays when no read-back comes.
    {Op::Apply, F::Silence, kSetSettings, "Applied", D::Unchanged, ""},
    {Op::Apply, F::Silence, kSettingsQuery, "ReadBackFailed", D::Changed, ""},
    {Op::Apply, F::Error, kSetSettings, "Applied", D::Unchanged, ""},
    {Op::Apply, F::Error, kSettingsQuery, "ReadBackFailed", D::Changed, ""},
    {Op::Apply, F::Garbage, "", "Applied", D::Changed, ""},
    {Op::Apply, F::Split, "", "Applied", D::Changed, ""},
    {Op::Apply, F::Slow, "", "Applied", D::Changed, ""},
    {Op::Apply, F::Unplug, kSetSettings, "Applied|ReadBackFailed", D::Unchanged, ""},
    {Op::Apply, F::BadXml, kSettingsQuery, "ReadBackFailed", D::Changed, ""},
    {Op::Apply, F::Huge, kSettingsQuery, "ReadBackFailed", D::Changed, ""},

    {Op::MeshApply, F::Silence, kRadioSet, "Applied", D::Unchanged, ""},
    {Op::MeshApply, F::Silence, kRadioQuery, "ReadBackFailed", D::Changed, ""},
    {Op::MeshApply, F::Error, kRadioQuery, "ReadBackFailed", D::Changed, ""},
    {Op::MeshApply, F::Garbage, "", "Applied", D::Changed, ""},
    {Op::MeshApply, F::Split, "", "Applied", D::Changed, ""},
    {Op::MeshApply, F::Slow, "", "Applied", D::Changed, ""},
    {Op::MeshApply, F::Unplug, kRadioSet, "Applied|ReadBackFailed", D::Unchanged, ""},
    {Op::MeshApply, F::BadXml, kRadioQuery, "ReadBackFailed", D::Changed, ""},
    {Op::MeshApply, F::Huge, kRadioQuery, "ReadBackFailed", D::Changed, ""},

    // File list: no answer is no list, and no message.
    {Op::List, F::Silence, kListRequest, "not listed", D::Unchanged, ""},
    {Op::List, F::Error, kListRequest, "not listed", D::Unchanged, ""},
    {Op::List, F::Garbage, "", "listed", D::Unchanged, ""},
    {Op::List, F::Split, "", "listed", D::Unchanged, ""},
    {Op::List, F::Slow, "", "listed", D::Unchanged, ""},
    {Op::List, F::Unplug, kListRequest, "not listed", D::Unchanged, ""},
    {Op::List, F::BadXml, kListRequest, "not listed", D::Unchanged, ""},
    {Op::List, F::Huge, kListRequest, "not listed", D::Unchanged, ""},

    // Delete: a remove the device did not carry out shows in the refreshed list.
    {Op::Delete, F::Silence, kRemove, "Deleted, still listed", D::Unchanged, ""},
    {Op::Delete, F::Error, kRemove, "Deleted, still listed", D::Unchanged, ""},
    {Op::Delete, F::Garbage, "", "Deleted, gone", D::Changed, ""},
    {Op::Delete, F::Split, "", "Deleted, gone", D::Changed, ""},
    {Op::Delete, F::Slow, "", "Deleted, gone", D::Changed, ""},
    {Op::Delete, F::Unplug, kRemove, "Deleted, still listed|Deleted, not listed", D::Unchanged, ""},
    {Op::Delete, F::BadXml, kListRequest, "Deleted, not listed", D::Changed, ""},
    {Op::Delete, F::Huge, kListRequest, "Deleted, not listed", D::Changed, ""},

    // Upload: whatever goes wrong is caught by the digest and said.
    {Op::Upload, F::Silence, kDigest, "NotVerified", D::Either, kUploadMismatch},
    {Op::Upload, F::Error, "AT&USBINTERFACE=9,", "NotVerified", D::Unchanged, kUploadMismatch},
    {Op::Upload, F::Garbage, "", "Verified", D::Changed, ""},
    {Op::Upload, F::Split, "", "Verified", D::Changed, ""},
    {Op::Upload, F::Slow, "", "Verified", D::Changed, ""},
    {Op::Upload, F::Unplug, kUploadData, "Verified", D::Changed, ""},
    {Op::Upload, F::Corrupt, kUploadData, "NotVerified", D::Either, kUploadMismatch},
    {Op::Upload, F::BadXml, kListRequest, "Verified", D::Changed, ""},
    {Op::Upload, F::Huge, kDigest, "NotVerified", D::Either, kUploadMismatch},

    // Download: a failed fetch never touches the file already at the chosen path.
    {Op::Download, F::Silence, kGetFile, "Failed", D::Unchanged, kFetchFailed},
    {Op::Download, F::Error, kGetFile, "Failed", D::Unchanged, kFetchFailed},
    {Op::Download, F::Garbage, "", "Saved", D::Unchanged, "down.py"},
    {Op::Download, F::Split, "", "Saved", D::Unchanged, "down.py"},
    {Op::Download, F::Slow, "", "Saved", D::Unchanged, "down.py"},
    {Op::Download, F::Unplug, kGetFile, "Failed", D::Unchanged, kFetchFailed},
    {Op::Download, F::BadXml, kGetFile, "Failed", D::Unchanged, kFetchFailed},
    {Op::Download, F::Huge, kGetFile, "Failed", D::Unchanged, kFetchFailed},
    // Content changed on the way: the saved copy's digest differs from the device's,
    // and the user's file stays as it was.
    {Op::Download, F::Corrupt, kGetFile, "Failed", D::Unchanged, kFetchMismatch},

    // Firmware update: a mismatch stops before the update; a failed update is said.
    {Op::Firmware, F::Silence, kDigest, "NotVerified", D::Unchanged, kImageMismatch},
    {Op::Firmware, F::Error, kUpdate, "UpdateFailed", D::Unchanged, kUpdateFailed},
    // A device that neither answers the update command nor restarts never began the update.
    {Op::Firmware, F::Silence, kUpdate, "UpdateFailed", D::Unchanged, kUpdateFailed},
    {Op::Firmware, F::Garbage, "", "Updated", D::Changed, ""},
    {Op::Firmware, F::Split, "", "Updated", D::Changed, ""},
    {Op::Firmware, F::Slow, "", "Updated", D::Changed, ""},
    {Op::Firmware, F::Unplug, kUploadData, "Updated", D::Changed, ""},
    {Op::Firmware, F::Corrupt, kUploadData, "NotVerified", D::Unchanged, kImageMismatch},
    {Op::Firmware, F::BadXml, "<query_state/>", "Updated", D::Changed, ""},
    {Op::Firmware, F::Huge, kDigest, "NotVerified", D::Unchanged, kImageMismatch},

    {Op::RadioFirmware, F::Silence, kDigest, "NotVerified", D::Unchanged, kImageMismatch},
    {Op::RadioFirmware, F::Error, kRadioUpdate, "UpdateFailed", D::Unchanged, ""},
    {Op::RadioFirmware, F::Silence, kRadioUpdate, "UpdateFailed", D::Unchanged, ""},
    {Op::RadioFirmware, F::Garbage, "", "Updated", D::Changed, ""},
    {Op::RadioFirmware, F::Split, "", "Updated", D::Changed, ""},
    {Op::RadioFirmware, F::Slow, "", "Updated", D::Changed, ""},
    {Op::RadioFirmware, F::Unplug, kUploadData, "Updated", D::Changed, ""},
    {Op::RadioFirmware, F::Corrupt, kUploadData, "NotVerified", D::Unchanged, kImageMismatch},
    {Op::RadioFirmware, F::BadXml, kRadioQuery, "Updated", D::Changed, ""},
    {Op::RadioFirmware, F::Huge, kDigest, "NotVerified", D::Unchanged, kImageMismatch},

    // Backup: the device is only asked for the settings; without them nothing is written.
    {Op::Backup, F::Silence, kSettingsQuery, "NothingToBackUp", D::Unchanged, kNothingToBackUp},
    {Op::Backup, F::Error, kSettingsQuery, "NothingToBackUp", D::Unchanged, kNothingToBackUp},
    {Op::Backup, F::Garbage, "", "Saved", D::Unchanged, "backup.cfg"},
    {Op::Backup, F::Split, "", "Saved", D::Unchanged, "backup.cfg"},
    {Op::Backup, F::Slow, "", "Saved", D::Unchanged, "backup.cfg"},
    {Op::Backup, F::Unplug, kSettingsQuery, "NothingToBackUp", D::Unchanged, kNothingToBackUp},
    {Op::Backup, F::BadXml, kSettingsQuery, "NothingToBackUp", D::Unchanged, kNothingToBackUp},
    {Op::Backup, F::Huge, kSettingsQuery, "NothingToBackUp", D::Unchanged, kNothingToBackUp},

    // Restore: stale settings are never kept; no settings back is said.
    {Op::Restore, F::Silence, kSettingsQuery, "SettingsNotReadBack", D::Changed,
     kSettingsNotReadBack},
    {Op::Restore, F::Silence, kSetSettings, "Restored|SettingsNotReadBack", D::Unchanged, "*"},
    {Op::Restore, F::Error, kSetSettings, "RefusedByDevice", D::Unchanged, kBackupRefused},
    {Op::Restore, F::Garbage, "", "Restored|SettingsNotReadBack", D::Changed, "*"},
    {Op::Restore, F::Split, "", "Restored|SettingsNotReadBack", D::Changed, "*"},
    {Op::Restore, F::Slow, "", "Restored|SettingsNotReadBack", D::Changed, "*"},
    {Op::Restore, F::Unplug, kSetSettings, "Restored|SettingsNotReadBack", D::Unchanged, "*"},
    {Op::Restore, F::Corrupt, "", "Refused", D::Unchanged,
     "The file {local} is not a configuration backup."},
    {Op::Restore, F::BadXml, kSettingsQuery, "SettingsNotReadBack", D::Changed,
     kSettingsNotReadBack},
    {Op::Restore, F::Huge, kSettingsQuery, "SettingsNotReadBack", D::Changed, kSettingsNotReadBack},

    // Reboot: one command with one second to answer.
    {Op::Reboot, F::Silence, kReboot, "taken", D::Unchanged, ""},
    {Op::Reboot, F::Error, kReboot, "not taken", D::Unchanged, ""},
    {Op::Reboot, F::Garbage, "", "taken", D::Changed, ""},
    {Op::Reboot, F::Split, "", "taken", D::Changed, ""},
    {Op::Reboot, F::Slow, "", "taken", D::Changed, ""},
    {Op::Reboot, F::Unplug, kReboot, "taken", D::Unchanged, ""},
};

std::vector<std::string> Alternatives(const std::string& text) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (size_t bar; (bar = text.find('|', start)) != std::string::npos; start = bar + 1)
        parts.push_back(text.substr(start, bar - start));
    parts.push_back(text.substr(start));
    return parts;
}

class FaultMatrixTest : public test::OpsFixture, public ::testing::WithParamInterface<Cell> {
  protected:
    ~FaultMatrixTest() override { StopUnplugger(); }

    // Switches the cell's fault on. Unplugging in the middle of a command exchange is the
    // device leaving the line as soon as it has the targeted command, and coming back a
    // moment later; in the middle of an upload it leaves during the data phase.
    void SwitchFaultOn(const Cell& cell) {
        switch (cell.fault) {
            case F::Silence:
                Add("silent:", cell.target);
                break;
            case F::Error:
                Add("error:", cell.target);
                break;
            case F::BadXml:
                Add("bad-xml:", cell.target);
                break;
            case F::Huge:
                Add("huge:", cell.target);
                break;
            case F::Garbage:
                Add("garbage", "");
                break;
            case F::Split:
                Add("split", "");
                break;
            case F::Slow:
                Add("slow:300", "");
                break;
            case F::Corrupt:
                if (cell.op == Op::Download)
                    Add("corrupt-download", "");
                else if (cell.op != Op::Restore)
                    Add("corrupt-upload", "");
                break;
            case F::Unplug:
                if (*cell.target == '\0') {
                    Add("unplug-after-bytes:", "1500");
                } else {
                    Add("silent:", cell.target);
                    StartUnplugger(cell.target);
                }
                break;
        }
    }

    void Add(const std::string& name, const std::string& arg) {
        ASSERT_TRUE(device_->AddFault(name + arg)) << name << arg;
    }

    void StartUnplugger(std::string piece) {
        unplugger_ = std::thread([this, piece] {
            while (!stopUnplugger_) {
                if (!ReceivedWith(piece).empty()) {
                    device_->Unplug();
                    std::this_thread::sleep_for(std::chrono::milliseconds(200));
                    device_->Plug();
                    return;
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
            }
        });
    }

    void StopUnplugger() {
        stopUnplugger_ = true;
        if (unplugger_.joinable()) unplugger_.join();
    }

    void LoadSettings() {
        documents_.LoadSettingsDocument(Ask(rci::InlineCommand(rci::kQuerySettings)));
        ASSERT_NE(documents_.SettingsNode(), nullptr);
    }

    void Write(const std::string& path, std::string value, xmlNode* start) {
        WriteBindings(BindingTable{BindText(path, &value, "")}, start);
    }

    std::string Image(const std::string& name, const std::string& version) {
        const std::string path = LocalFile(name, 5000, true, 7);
        std::string content = test::ReadWholeFile(path);
        content.replace(100, 8 + version.size(), "version=" + version);
        test::WriteWholeFile(path, content);
        return path;
    }

    // Prepares the operation (fault-free), switches the fault on, runs it and returns
    // what it reported. Sets `changed_` to whether the device took the operation's change
    // and `local_` to the local file involved, whose content must survive as `keep_`.
    std::string Run(const Cell& cell) {
        const std::string python(rci::kPythonFolder);
        switch (cell.op) {
            case Op::Identify: {
                SwitchFaultOn(cell);
                DeviceIdentity identity;
                const bool ok =
                    IdentifyDevice(transport_, executor_, kBrivel, identity, documents_);
                if (!ok) return "not identified";
                return documents_.SettingsNode() ? "identified" : "identified without settings";
            }
            case Op::Apply:
            case Op::MeshApply: {
                const bool mesh = cell.op == Op::MeshApply;
                LoadSettings();
                if (mesh) {
                    documents_.LoadZelboDocument(Ask(rci::InlineCommand(rci::kQueryZelboSettings)));
                    Write("radio/join_time", "61", documents_.ZelboNode());
                } else {
                    Write("mobile_simple/apn", "matrix.example", documents_.SettingsNode());
                }
                SwitchFaultOn(cell);
                const ApplyOutcome outcome = mesh ? ApplyZelboSettings(executor_, documents_)
                                                  : ApplySettings(executor_, documents_);
                changed_ = mesh ? device_->RadioSetting("radio/join_time") == "61"
                                : device_->Setting("mobile_simple/apn") == "matrix.example";
                if (outcome == ApplyOutcome::ReadBackFailed) {
                    // The sent document stays loaded.
                    std::string value;
                    ReadBindings(nullptr,
                                 BindingTable{BindText(
                                     mesh ? "radio/join_time" : "mobile_simple/apn", &value, "")},
                                 mesh ? documents_.ZelboNode() : documents_.SettingsNode());
                    EXPECT_EQ(value, mesh ? "61" : "matrix.example");
                }
                return outcome == ApplyOutcome::Applied          ? "Applied"
                       : outcome == ApplyOutcome::ReadBackFailed ? "ReadBackFailed"
                                                                 : "NothingToSend";
            }
            case Op::List: {
                EXPECT_TRUE(device_->PutFile(python + "keep.py", "kept"));
                SwitchFaultOn(cell);
                const PythonFileListing listing = FetchPythonFileList(executor_);
                if (listing.answered) {
                    EXPECT_NE(FindPythonFile(listing, "keep.py"), nullptr);
                }
                return listing.answered ? "listed" : "not listed";
            }
            case Op::Delete: {
                EXPECT_TRUE(device_->PutFile(python + "doomed.py", "doomed"));
                EXPECT_TRUE(device_->PutFile(python + "keep.py", "kept"));
                SwitchFaultOn(cell);
                const DeleteResult result = DeletePythonFiles({"doomed.py"}, executor_, prompts_);
                EXPECT_EQ(device_->FileContents(python + "keep.py"), "kept");
                changed_ = !device_->FileContents(python + "doomed.py");
                if (result.outcome != DeleteOutcome::Deleted) return "Refused";
                if (!result.listing.answered) return "Deleted, not listed";
                return FindPythonFile(result.listing, "doomed.py") ? "Deleted, still listed"
                                                                   : "Deleted, gone";
            }
            case Op::Upload: {
                local_ = LocalFile("up.py", 3000, false, 3);
                keep_ = test::ReadWholeFile(local_);
                SwitchFaultOn(cell);
                const UploadResult result = UploadPythonFile(local_, executor_, prompts_);
                changed_ = device_->FileContents(python + "up.py") == keep_;
                if (result.outcome == UploadOutcome::Verified) {
                    EXPECT_TRUE(changed_);
                }
                return result.outcome == UploadOutcome::Verified      ? "Verified"
                       : result.outcome == UploadOutcome::NotVerified ? "NotVerified"
                                                                      : "Refused";
            }
            case Op::Download: {
                const std::string content(2500, 'd');
                EXPECT_TRUE(device_->PutFile(python + "down.py", content));
                const PythonFileListing listing = FetchPythonFileList(executor_);
                const PythonFileEntry* entry = FindPythonFile(listing, "down.py");
                if (!entry) return "not listed";
                local_ = dir_.File("down.py");
                keep_ = "a file the user had before";
                test::WriteWholeFile(local_, keep_);
                prompts_.QueueFile(local_);
                SwitchFaultOn(cell);
                const std::vector<DownloadReport> reports =
                    DownloadPythonFiles({*entry}, executor_, prompts_);
                EXPECT_EQ(reports.size(), 1u);
                if (reports.empty()) return "no report";
                if (reports[0].outcome == DownloadOutcome::Saved) {
                    EXPECT_EQ(test::ReadWholeFile(local_), content);
                    keep_ = content;
                }
                EXPECT_EQ(device_->FileContents(python + "down.py"), content);
                switch (reports[0].outcome) {
                    case DownloadOutcome::Saved:
                        return "Saved";
                    case DownloadOutcome::NotSaved:
                        return "NotSaved";
                    case DownloadOutcome::Failed:
                        return "Failed";
                    case DownloadOutcome::Refused:
                        return "Refused";
                }
                return "?";
            }
            case Op::Firmware:
            case Op::RadioFirmware: {
                const bool radio = cell.op == Op::RadioFirmware;
                LoadSettings();
                local_ = Image(radio ? "radio.ebl" : "fw.bin", "9.8.7.6");
                keep_ = test::ReadWholeFile(local_);
                SwitchFaultOn(cell);
                const FirmwareOutcome outcome =
                    radio ? UpdateRadioFirmware(local_, documents_, executor_, prompts_)
                          : UpdateFirmware(local_, documents_, executor_, prompts_,
                                           AfterFirmwareUpdate::Return);
                changed_ = radio ? device_->StateValue("zigbee_state/firmware_version") == "9.8.7.6"
                                 : device_->FirmwareVersion() == "9.8.7.6";
                switch (outcome) {
                    case FirmwareOutcome::Refused:
                        return "Refused";
                    case FirmwareOutcome::NotVerified:
                        return "NotVerified";
                    case FirmwareOutcome::Updated:
                        return "Updated";
                    case FirmwareOutcome::UpdateFailed:
                        return "UpdateFailed";
                }
                return "?";
            }
            case Op::Backup: {
                local_ = dir_.File("backup.cfg");
                keep_ = "a backup the user had before";
                test::WriteWholeFile(local_, keep_);
                SwitchFaultOn(cell);
                documents_.LoadSettingsDocument(Ask(rci::InlineCommand(rci::kQuerySettings)));
                prompts_.QueueFile(local_);
                const BackupOutcome outcome = BackupSettings(documents_, prompts_);
                if (outcome == BackupOutcome::Saved) {
                    keep_ = test::ReadWholeFile(local_);
                    EXPECT_NE(keep_.find("<set_setting>"), std::string::npos);
                }
                return outcome == BackupOutcome::Saved             ? "Saved"
                       : outcome == BackupOutcome::NothingToBackUp ? "NothingToBackUp"
                       : outcome == BackupOutcome::Cancelled       ? "Cancelled"
                                                                   : "WriteFailed";
            }
            case Op::Restore: {
                LoadSettings();
                local_ = dir_.File("restore.cfg");
                if (cell.fault == F::Corrupt) {
                    // A backup cut short on disk: not XML any more.
                    EXPECT_EQ(SaveSettingsBackup(documents_, local_, prompts_),
                              BackupOutcome::Saved);
                    keep_ = test::ReadWholeFile(local_);
                    keep_.resize(keep_.size() / 2);
                    test::WriteWholeFile(local_, keep_);
                } else {
                    EXPECT_EQ(SaveSettingsBackup(documents_, local_, prompts_),
                              BackupOutcome::Saved);
                    keep_ = test::ReadWholeFile(local_);
                }
                restoredApn_ = device_->Setting("mobile_simple/apn").value_or("");
                EXPECT_TRUE(device_->SetSetting("mobile_simple/apn", "changed.example"));
                device_->ClearReceivedCommands();
                SwitchFaultOn(cell);
                const RestoreOutcome outcome =
                    RestoreSettings(local_, documents_, executor_, prompts_);
                changed_ = device_->Setting("mobile_simple/apn") == restoredApn_;
                if (outcome == RestoreOutcome::SettingsNotReadBack) {
                    EXPECT_EQ(documents_.SettingsDocument(), nullptr) << "no stale settings";
                }
                return outcome == RestoreOutcome::Restored              ? "Restored"
                       : outcome == RestoreOutcome::SettingsNotReadBack ? "SettingsNotReadBack"
                       : outcome == RestoreOutcome::RefusedByDevice     ? "RefusedByDevice"
                                                                        : "Refused";
            }
            case Op::Reboot: {
                SwitchFaultOn(cell);
                const uint64_t before = device_->PlugCount();
                const bool taken = SendRebootCommand(executor_);
                // A restart takes the device away for a moment and brings it back.
                changed_ = !ReceivedWith(kReboot).empty() && cell.fault != F::Silence &&
                           cell.fault != F::Error && cell.fault != F::Unplug &&
                           device_->WaitForPlugCount(before + 1, 10000);
                return taken ? "taken" : "not taken";
            }
        }
        return "?";
    }

    // After the fault is gone (and the device back on the line), identification works.
    void ExpectUsableAgain() {
        StopUnplugger();
        device_->ClearFaults();
        bool identified = false;
        for (int attempt = 0; attempt < 5 && !identified; ++attempt) {
            for (int i = 0; i < 500 && !device_->IsPlugged(); ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            DeviceIdentity identity;
            DocumentStore documents;
            identified = IdentifyDevice(transport_, executor_, kBrivel, identity, documents) &&
                         documents.SettingsNode() != nullptr;
        }
        EXPECT_TRUE(identified) << "the tool works again once the fault is gone";
    }

    bool changed_ = false;
    std::string local_;
    std::string keep_;
    std::string restoredApn_;
    std::thread unplugger_;
    std::atomic<bool> stopUnplugger_{false};
};

TEST_P(FaultMatrixTest, TheFaultIsSurvived) {
    const Cell& cell = GetParam();
    const std::string outcome = Run(cell);

    const std::vector<std::string> accepted = Alternatives(cell.outcome);
    EXPECT_TRUE(std::find(accepted.begin(), accepted.end(), outcome) != accepted.end())
        << "outcome: " << outcome;

    if (cell.device == D::Changed) {
        EXPECT_TRUE(changed_) << "the device took the change";
    } else if (cell.device == D::Unchanged) {
        EXPECT_FALSE(changed_) << "the device kept what it had";
    }
    if (!local_.empty()) {
        EXPECT_EQ(test::ReadWholeFile(local_), keep_) << "local file intact";
    }

    std::string prompt = cell.prompt;
    if (const size_t at = prompt.find("{local}"); at != std::string::npos)
        prompt.replace(at, 7, local_);
    const std::vector<std::string> texts = prompts_.Texts();
    if (prompt.empty()) {
        EXPECT_TRUE(texts.empty()) << "said: " << (texts.empty() ? "" : texts[0]);
    } else if (prompt != "*") {
        ASSERT_FALSE(texts.empty()) << "nothing was said";
        EXPECT_TRUE(
            std::any_of(texts.begin(), texts.end(),
                        [&](const std::string& text) { return text.rfind(prompt, 0) == 0; }))
            << "said first: " << texts[0];
    }

    ExpectUsableAgain();
}

INSTANTIATE_TEST_SUITE_P(Cells, FaultMatrixTest, ::testing::ValuesIn(kCells), CellName);

}  // namespace
}  // namespace merivane
