#include "sim/ModemAnswers.h"

#include <cctype>

namespace merivane::sim {

std::string UpperAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

std::optional<Reply> ModemAnswers::Answer(std::string_view command,
                                          std::string_view productLine) const {
    const std::string upper = UpperAscii(command);
    const ModemIdentity& id = identity_;
    if (upper == "AT") return Reply::Ok();
    if (upper == "ATI9") {
        const std::string modem = "Modem: " + id.maker + " " + id.model;
        return Reply::Lines({productLine, modem, "Revision: " + id.revision});
    }
    if (upper == "AT+CGMI") return Reply::Lines({id.maker});
    if (upper == "AT+CGMM") return Reply::Lines({id.model});
    if (upper == "AT+CGSN") return Reply::Lines({id.imei});
    if (upper == "AT+CGMR") return Reply::Lines({id.revision});
    if (upper == "AT+CIMI") return id.sim ? Reply::Lines({id.imsi}) : Reply::Error();
    if (upper == "AT+CSQ") return Reply::Lines({"+CSQ: " + std::to_string(id.signal) + ",99"});
    if (upper == "AT+CNUM") {
        if (!id.sim) return Reply::Error();
        return Reply::Lines({"+CNUM: \"Line 1\",\"" + id.number + "\",145"});
    }
    if (upper == "AT+CREG?") return Reply::Lines({"+CREG: 0," + std::to_string(id.registration)});
    return std::nullopt;
}

}  // namespace merivane::sim
