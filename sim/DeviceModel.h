#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "sim/DeviceFileSystem.h"
#include "sim/DeviceOptions.h"
#include "sim/XmlTree.h"

namespace merivane::sim {

// Everything the device keeps: its settings, its state, its mesh radio
// settings and its files. With a state folder, all of it is saved there on
// every change and read back by the next device that uses the folder.
//
// Not thread-safe: the owner serialises access.
class DeviceModel {
  public:
    enum class Document { Settings, State, Radio };

    explicit DeviceModel(const DeviceOptions& options);

    // Reads what a previous run saved in the state folder (a folder saved for
    // the other product keeps only its files). False when the folder cannot
    // be used. Without a state folder there is nothing to do.
    bool Load();

    // The document's root; its children are the setting or state groups.
    xmlNode* Root(Document which);
    const xmlNode* Root(Document which) const;
    bool RadioPresent() const { return radio_; }
    DeviceFileSystem& Files() { return files_; }
    const DeviceFileSystem& Files() const { return files_; }

    void FactoryDefaults();
    // A device firmware update completed.
    void SetFirmware(const std::string& version);
    // A mesh radio firmware update completed.
    void SetRadioFirmware(const std::string& version);

    // Values by setting path ("mobile_simple/apn", "mgmtconnection&index=3/connectionEnabled").
    std::optional<std::string> Value(Document which, std::string_view path) const;
    bool SetValue(Document which, std::string_view path, std::string_view value);

    // Records that something changed; Save() then writes it to the state folder.
    void MarkChanged() { changed_ = true; }
    void SaveIfChanged();

  private:
    XmlDocPtr& Slot(Document which);
    const XmlDocPtr& Slot(Document which) const;
    void MakeStandardFolders();
    bool Save();

    DeviceOptions options_;
    bool radio_;
    XmlDocPtr settings_;
    XmlDocPtr state_;
    XmlDocPtr radioSettings_;
    DeviceFileSystem files_;
    bool changed_ = false;
};

}  // namespace merivane::sim
