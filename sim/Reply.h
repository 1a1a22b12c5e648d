#pragma once

#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>

namespace merivane::sim {

// What the device says to one command, and what it does next.
struct Reply {
    enum class Status { Ok, Error, None };
    enum class Then {
        Nothing,
        ExpectDocument,  // the next command is a bare request document
        ExpectData,      // `dataSize` raw upload bytes follow
        Reboot,          // drop off the line and come back
        UpdateFirmware,  // drop off the line and come back with `firmware`
    };

    std::string body;  // what goes between the echo and the status line
    Status status = Status::Ok;
    // Start-up reads fixed windows at the front of some answers; console
    // blocks then go behind the body instead of in front of it.
    bool chatterBehind = false;
    Then then = Then::Nothing;
    size_t dataSize = 0;
    std::string firmware;

    static Reply Ok() { return Reply{}; }
    static Reply Error() {
        Reply reply;
        reply.status = Status::Error;
        return reply;
    }
    // Information lines the way a modem frames them: "\r\n" in front of the
    // first, and "\r\n" behind each.
    static Reply Lines(std::initializer_list<std::string_view> lines) {
        Reply reply;
        reply.body = "\r\n";
        for (std::string_view line : lines) {
            reply.body += line;
            reply.body += "\r\n";
        }
        return reply;
    }
    // The status line as the device writes it.
    std::string_view StatusText() const {
        switch (status) {
            case Status::Ok:
                return "\r\nOK\r\n";
            case Status::Error:
                return "\r\nERROR\r\n";
            case Status::None:
                break;
        }
        return {};
    }
};

}  // namespace merivane::sim
