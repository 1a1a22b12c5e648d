#pragma once

#include <string>
#include <string_view>

#include "sim/DeviceModel.h"
#include "sim/Reply.h"

namespace merivane::sim {

// The device's configuration service: runs one RCI request document against
// the device model and writes the reply document.
//
// A reply's root ("rci_reply", version 1.1) holds one element per command of
// the request, named like it, written without white space between elements.
// Failures of single commands are reported inside the reply as "error"
// elements; only a request that is not a well-formed "rci_request" document
// gets ERROR.
class RciService {
  public:
    explicit RciService(DeviceModel& model) : model_(model) {}

    Reply Execute(std::string_view request);

    // The text a device without a mesh radio module gives for radio requests.
    static constexpr const char* kNoRadioText = "Currently not configured or supported";

  private:
    void QuerySetting(const xmlNode* command, xmlNode* reply);
    void SetSetting(const xmlNode* command, xmlNode* reply);
    void QueryState(const xmlNode* command, xmlNode* reply);
    void FactoryDefault(xmlNode* reply);
    void DoCommand(const xmlNode* command, xmlNode* reply);
    void Radio(const xmlNode* command, xmlNode* reply);
    void FileSystem(const xmlNode* command, xmlNode* reply);
    void ListFolder(const xmlNode* command, xmlNode* reply);
    void GetFile(const xmlNode* command, xmlNode* reply);
    void RemoveFile(const xmlNode* command, xmlNode* reply);

    DeviceModel& model_;
};

}  // namespace merivane::sim
