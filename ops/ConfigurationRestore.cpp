#include "ops/ConfigurationRestore.h"

#include "app/BatchExecutor.h"
#include "app/CKestrionApp.h"
#include "app/Product.h"
#include "app/Prompts.h"
#include "ops/OpsMessages.h"
#include "ops/SettingsFile.h"
#include "settings/DocumentSerializer.h"
#include "settings/DocumentStore.h"
#include "settings/ElementSearch.h"
#include "settings/RciRequests.h"
#include "settings/SettingsRequest.h"

namespace merivane {
namespace {

constexpr char kSendingMessage[] = "Sending new settings to the device...";

void SayError(Prompts& prompts, const std::string& text) {
    prompts.Inform(text, kErrorCaption, Prompts::Icon::Error);
}

// The product whose settings a backup holds: only the tracker has the vehicle (OBD-II) group.
const char* BackupProduct(xmlNode* setSetting) {
    return FindChildElement(setSetting, kElementNodeType, "obd") != nullptr ? kKorvane : kBrivel;
}

// True when the backup suits the device, or the user takes another product's anyway.
bool ProductAccepted(const std::string& path, xmlNode* setSetting, Prompts& prompts) {
    const std::string from = BackupProduct(setSetting);
    if (g_product.empty() || from == g_product) return true;
    const std::string question = FillIn(
        "The file %s holds the settings of a %s, but this device is a %s. Its settings may not "
        "suit this device. Restore it anyway?",
        {path, from, g_product});
    return prompts.YesNo(question, CKestrionApp::kDisplayName, Prompts::Icon::Warning) ==
           Prompts::Answer::Yes;
}

}  // namespace

bool LoadSettingsReadBack(const std::string* answer, DocumentStore& documents, Prompts& prompts) {
    documents.LoadSettingsDocument(answer != nullptr ? *answer : std::string());
    if (documents.SettingsNode() != nullptr) return true;
    prompts.Inform(kSettingsNotReadBack, CKestrionApp::kDisplayName, Prompts::Icon::Warning);
    return false;
}

RestoreOutcome RestoreSettings(const std::string& path, DocumentStore& documents,
                               BatchExecutor& executor, Prompts& prompts) {
    if (path.empty()) {
        prompts.Inform(kNoRestoreFile, kEnterFilenameCaption, Prompts::Icon::Error);
        return RestoreOutcome::Refused;
    }
    std::string problem;
    const XmlDocPtr request = ReadSettingsFile(path, problem);
    const std::string text = SerializeForSending(request.get());
    if (text.empty()) {
        SayError(prompts, problem);
        return RestoreOutcome::Refused;
    }
    if (!ProductAccepted(path, SetSettingElement(request.get()), prompts))
        return RestoreOutcome::Refused;

    // The settings first, on their own: a device that refuses them keeps its own
    // and is not restarted for nothing.
    CommandList send = {
        {std::string(rci::kTwoPartLeadIn), kSendingMessage, 5000},
        {text, kSendingMessage, 30000},
    };
    executor.RunBatch(send);
    if (send[0].failed || send[1].failed) {
        SayError(prompts, kBackupRefused);
        return RestoreOutcome::RefusedByDevice;
    }

    const std::string readBack = rci::InlineCommand(rci::kQuerySettings);
    CommandList list = {
        {"at+CFUN=1\r\n", "Rebooting device...", 10000},
        {readBack, "Retrieving settings from the device...", 8000},
    };
    executor.RunBatch(list);

    const std::string* answer = nullptr;
    for (const USBCommand& entry : list) {
        if (entry.command.empty()) break;
        if (entry.failed) continue;
        if (entry.command == readBack) answer = &entry.result;
    }
    return LoadSettingsReadBack(answer, documents, prompts) ? RestoreOutcome::Restored
                                                            : RestoreOutcome::SettingsNotReadBack;
}

}  // namespace merivane
