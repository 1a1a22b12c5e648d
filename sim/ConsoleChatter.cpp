#include "sim/ConsoleChatter.h"

#include <cstdio>

#include "support/Clock.h"

namespace merivane::sim {
namespace {

constexpr const char* kConsoleTexts[] = {
    "cellular: registered on home network",
    "ppp0: link up, local address 10.114.23.7",
    "rci: configuration service ready",
    "usb: console attached",
    "python: interpreter idle",
    "mgmt: device-initiated connection retry scheduled",
};

constexpr const char* kPythonTexts[] = {
    "sensor loop: 3 readings queued",
    "heartbeat ok",
    "mesh: 2 nodes in range",
};

}  // namespace

std::string ConsoleChatter::NextLine() {
    const uint64_t ms = TheClock().NowMs();
    char stamp[40];
    snprintf(stamp, sizeof stamp, "[%6llu.%03llu] ",
             static_cast<unsigned long long>(ms / 1000 % 1000000),
             static_cast<unsigned long long>(ms % 1000));
    const char* text = kConsoleTexts[lines_++ % (sizeof kConsoleTexts / sizeof kConsoleTexts[0])];
    return std::string("\r\n") + stamp + text + "\r\n";
}

std::string ConsoleChatter::PyPrintBlock() {
    const char* text = kPythonTexts[blocks_++ % (sizeof kPythonTexts / sizeof kPythonTexts[0])];
    return std::string("<pyPrint>") + text + "\r\n</pyPrint>";
}

std::string ConsoleChatter::UsbBlock() {
    return "<usb>session keep-alive " + std::to_string(++blocks_) + "</usb>";
}

}  // namespace merivane::sim
