#include "ops/ConfigurationRestore.h"

#include "app/BatchExecutor.h"
#include "app/CKestrionApp.h"
#include "app/Prompts.h"
#include "ops/OpsMessages.h"
#include "settings/DocumentParser.h"
#include "settings/DocumentSerializer.h"
#include "settings/DocumentStore.h"
#include "settings/RciRequests.h"
#include "support/RegularFile.h"

namespace merivane {
namespace {

constexpr char kSendingMessage[] = "Sending new settings to the device...";

void SayError(Prompts& prompts, const std::string& text) {
    prompts.Inform(text, kErrorCaption, Prompts::Icon::Error);
}

// A configuration backup is a settings request: "rci_request" holding "set_setting".
bool IsSettingsRequest(xmlDoc* document) {
    const xmlNode* root = xmlDocGetRootElement(document);
    if (root == nullptr || xmlStrcmp(root->name, BAD_CAST "rci_request") != 0) return false;
    for (const xmlNode* child = root->children; child != nullptr; child = child->next)
        if (child->type == XML_ELEMENT_NODE && xmlStrcmp(child->name, BAD_CAST "set_setting") == 0)
            return true;
    return false;
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
    std::string why;
    if (!CanReadRegularFile(path, &why, kMaxBackupFileBytes)) {
        SayError(prompts, FillIn(kCannotReadFilePattern, {path, why}));
        return RestoreOutcome::Refused;
    }
    const XmlDocPtr backup = ParseDocumentFile(path, kMaxBackupFileBytes);
    const std::string text = backup && IsSettingsRequest(backup.get())
                                 ? SerializeForSending(backup.get())
                                 : std::string();
    if (text.empty()) {
        SayError(prompts, FillIn("The file %s is not a configuration backup.", {path}));
        return RestoreOutcome::Refused;
    }

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
