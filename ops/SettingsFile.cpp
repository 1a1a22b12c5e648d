#include "ops/SettingsFile.h"

#include "ops/ConfigurationRestore.h"
#include "ops/OpsMessages.h"
#include "settings/DocumentParser.h"
#include "settings/DocumentSerializer.h"
#include "settings/SettingsRequest.h"
#include "support/RegularFile.h"
#include "support/ReplacementFile.h"

namespace merivane {

XmlDocPtr ReadSettingsFile(const std::string& path, std::string& problem) {
    std::string why;
    if (!CanReadRegularFile(path, &why, kMaxBackupFileBytes)) {
        problem = FillIn(kCannotReadFilePattern, {path, why});
        return nullptr;
    }
    // Only the settings groups are taken: anything else a file holds (other operations,
    // comments, text after the root) would reach the device as commands.
    const XmlDocPtr file = ParseDocumentFile(path, kMaxBackupFileBytes);
    XmlDocPtr request = IsPureSettingsRequest(file.get())
                            ? BuildSettingsRequest(SetSettingElement(file.get()))
                            : nullptr;
    if (request == nullptr) problem = FillIn("The file %s is not a configuration backup.", {path});
    return request;
}

xmlNode* SettingsStart(xmlDoc* request) {
    xmlNode* setSetting = SetSettingElement(request);
    return setSetting != nullptr ? setSetting->children : nullptr;
}

bool WriteSettingsFile(xmlDoc* request, const std::string& path, std::string& error) {
    const std::string text = DocumentFileText(request);
    if (text.empty()) {
        error = "there are no settings to save";
        return false;
    }
    return ReplaceFile(path, text, FileSecrecy::Secret, error);
}

}  // namespace merivane
