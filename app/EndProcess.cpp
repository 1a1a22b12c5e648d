#include "app/EndProcess.h"

#include <cstdlib>

#include "link/CommandLog.h"

namespace merivane {
namespace {

CommandLog* g_endLog = nullptr;
std::function<void(int)> g_endHandler;

}  // namespace

void SetEndProcessLog(CommandLog* log) { g_endLog = log; }

void SetEndProcessHandler(std::function<void(int)> handler) { g_endHandler = std::move(handler); }

void EndProcess(int code) {
    if (g_endLog) g_endLog->Close();
    if (g_endHandler) g_endHandler(code);
    std::_Exit(code);
}

}  // namespace merivane
