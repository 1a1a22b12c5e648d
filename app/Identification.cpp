#include "app/Identification.h"

#include "app/BatchExecutor.h"
#include "app/Product.h"
#include "link/Transport.h"
#include "settings/DocumentStore.h"
#include "settings/RciRequests.h"
#include "support/TextRules.h"

namespace merivane {
namespace {

constexpr char kModemMaker[] = "Varik International";

std::string After(const std::string& text, char separator) {
    const size_t at = text.find(separator);
    return at == std::string::npos ? text : text.substr(at + 1);
}

std::string Before(const std::string& text, char separator) {
    const size_t at = text.find(separator);
    return at == std::string::npos ? text : text.substr(0, at);
}

bool Contains(const std::string& text, std::string_view key) {
    return text.find(key) != std::string::npos;
}

}  // namespace

std::string PhoneNumberFromAnswer(const std::string& answer) {
    std::string number = RemoveAll(answer, "+CNUM:");
    number = Before(After(number, ','), ',');
    return RemoveChars(number, "\"");
}

int SignalQualityFromAnswer(const std::string& answer) {
    return LeadingInteger(Before(RemoveAll(answer, "+CSQ: "), ','));
}

int RegistrationFromAnswer(const std::string& answer) {
    return LeadingInteger(After(RemoveAll(answer, "+CREG: "), ','));
}

CommandList IdentificationCommands(const std::string& product) {
    CommandList list = {
        {"AT\r\n", "Detecting modem...", 1000},
        {"ATI9\r\n", "Detecting Device..", 3000},
        {"AT+CGMI\r\n", "Identifying modem...", 1000},
        {"AT+CGSN\r\n", "Reading serial number (IMEI)...", 1000},
        {"AT+CGMR\r\n", "Reading modem revision (CMGR)...", 1000},
        {"AT+CIMI\r\n", "Reading SIM serial number (IMSI)...", 1000},
        {"AT+CSQ\r\n", "Reading receive signal strength (RSSI)...", 1000},
        {"AT+CNUM\r\n", "Reading modem phone number (CNUM)...", 1000},
        {"AT+CREG?\r\n", "Reading network registration status (CREG)...", 1000},
        {rci::InlineCommand(rci::kQuerySettings), "Reading device settings...", 10000},
        {rci::InlineCommand(rci::kQueryState), "Reading device status...", 10000},
    };
    if (!IsKorvane(product))
        list.push_back(
            {rci::InlineCommand(rci::kQueryZelboSettings), "Reading Zelbo settings...", 10000});
    return list;
}

bool ReadIdentificationAnswers(const CommandList& list, const std::string& product,
                               DeviceIdentity& identity, DocumentStore& documents) {
    const std::string stateQuery = rci::InlineCommand(rci::kQueryState);
    const std::string zelboQuery = rci::InlineCommand(rci::kQueryZelboSettings);
    for (const USBCommand& entry : list) {
        const std::string& command = entry.command;
        const std::string& answer = entry.result;
        if (command.empty()) return true;
        if (Contains(command, "AT+CGMI")) {
            identity.modemMaker = kModemMaker;
        } else if (Contains(command, "ATI9")) {
        } else if (Contains(command, "AT+CGSN")) {
            identity.serialNumber = answer;
        } else if (Contains(command, "AT+CNUM")) {
            identity.phoneNumber = entry.failed ? "N/A" : PhoneNumberFromAnswer(answer);
        } else if (Contains(command, "AT+CIMI")) {
            identity.imsi = entry.failed ? "No SIM Inserted" : RemoveChars(answer, "\r\n");
        } else if (Contains(command, "AT+CSQ")) {
            identity.signalQuality = SignalQualityFromAnswer(answer);
        } else if (Contains(command, "AT+CREG")) {
            identity.registration = RegistrationFromAnswer(answer);
        } else if (Contains(command, "AT+CGMR")) {
            identity.modemRevision = answer;
        } else if (Contains(command, rci::kQuerySettings)) {
            // Only silence fails. A device whose answer holds no usable document
            // (a damaged configuration) is one that needs a firmware update or a
            // restore: the sheet opens without its settings rather than lock it out.
            if (answer.empty()) return false;
            documents.LoadSettingsDocument(answer);
        } else if (Contains(command, stateQuery)) {
            if (answer.empty()) return false;
            documents.LoadStateDocument(answer);  // the loader drops the device's raw "&"
        } else if (Contains(command, zelboQuery)) {
            if (!IsKorvane(product)) documents.LoadZelboDocument(answer);
        }
    }
    return true;
}

bool IdentifyDevice(Transport& transport, BatchExecutor& executor, const std::string& product,
                    DeviceIdentity& identity, DocumentStore& documents) {
    {
        const auto hold = transport.Hold();
        transport.FlushPort();
    }
    CommandList list = IdentificationCommands(product);
    executor.RunBatch(list);
    return ReadIdentificationAnswers(list, product, identity, documents);
}

}  // namespace merivane
