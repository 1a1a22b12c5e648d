#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace merivane {

// One queued device command and, after the batch has run, its outcome.
struct USBCommand {
    std::string command;          // the line to send, with its "\r\n" (or "SLEEP")
    std::string message;          // step text shown while it runs
    std::string result;           // parsed answer, filled by the runner
    int32_t timeout = 0;          // receive time-out in milliseconds
    int32_t failed = 0;           // 1 until an answer was judged a success
    int32_t extraBufferSize = 0;  // answer room on top of the standard room
    int32_t portReturned = 0;     // 1 when the port went away and came back during the wait

    USBCommand() = default;
    USBCommand(std::string commandLine, std::string stepMessage, int32_t timeoutMs,
               int32_t extraRoom = 0)
        : command(std::move(commandLine)),
          message(std::move(stepMessage)),
          timeout(timeoutMs),
          extraBufferSize(extraRoom) {}
};

// A batch: commands run in order; an empty command ends it.
using CommandList = std::vector<USBCommand>;

// The command at `position`, or null outside the list.
inline USBCommand* CommandAt(CommandList& list, size_t position) {
    return position < list.size() ? &list[position] : nullptr;
}

}  // namespace merivane
