#include "app/CKestrionApp.h"

#include <sys/stat.h>

#include "app/EndProcess.h"
#include "app/Identification.h"
#include "app/Product.h"
#include "settings/RciRequests.h"
#include "support/Clock.h"
#include "support/ProgramVersion.h"

namespace merivane {
namespace {

constexpr char kPauseConsole[] = "AT&usbinterface=55,pause\r\n";
constexpr char kResumeConsole[] = "AT&usbinterface=55,go\r\n";

}  // namespace

CKestrionApp::CKestrionApp(std::unique_ptr<PortSource> source)
    : source_(source ? std::move(source) : MakeSystemPortSource()), transport_(source_.get()) {
    transport_.SetConsolePause(kPauseConsole);
    SetEndProcessLog(&transport_.Log());
}

CKestrionApp::~CKestrionApp() { SetEndProcessLog(nullptr); }

std::string CKestrionApp::StatusText() const {
    if (transport_.State() == LinkState::Lost) return "Disconnected (" + PortName() + ")";
    return identity_.status;
}

std::string CKestrionApp::GetProductVersionText() {
    const std::string version = ProgramProductVersion();
    return version.empty() ? std::string() : "Version " + version;
}

std::string CommandLogRefusal(const std::string& path, const std::string& why) {
    return "The command log " + path + " cannot be written (" + why + "); this run keeps no log.";
}

bool CKestrionApp::StartCommandLog(const std::string& path, std::string* why) {
    if (!transport_.Log().Open(path, why)) return false;
    struct stat info {};
    commandLogPath_ = path;
    commandLogStart_ = ::stat(path.c_str(), &info) == 0 ? static_cast<uint64_t>(info.st_size) : 0;
    transport_.Log().WriteRunHeader(kDisplayName, GetProductVersionText(), Clock::WallSeconds());
    return true;
}

void CKestrionApp::PauseDeviceConsole() {
    const std::string pause = kPauseConsole;
    for (int i = 0; i < 2 && !transport_.Cancelled(); ++i) {
        // A device that vanishes here is waited for; its return pauses it anew.
        if (!WriteDirect(pause)) return;
        TheClock().SleepMs(1000);
    }
}

bool CKestrionApp::WriteDirect(const std::string& command) {
    for (int returns = 0; returns <= kDirectReturns; ++returns) {
        if (transport_.WriteRaw(command.data(), command.size()) >= 0) return true;
        if (!transport_.AwaitReturn()) return false;
    }
    return false;
}

std::string CKestrionApp::AskDirect(const std::string& command, uint64_t waitMs, size_t readSize) {
    std::string answer;
    // A port that vanishes is waited for as a batch waits, and the question
    // is asked again of the device that came back.
    for (int returns = 0; returns <= kDirectReturns && !transport_.Cancelled(); ++returns) {
        transport_.FlushPort();
        if (!WriteDirect(command)) return {};
        TheClock().SleepMs(waitMs);
        answer.assign(readSize, '\0');
        const long n = transport_.ReadRaw(answer.data(), readSize);
        if (n >= 0) {
            answer.resize(static_cast<size_t>(n));
            break;
        }
        answer.clear();
        if (!transport_.AwaitReturn()) return {};
    }
    // The answer is read as text: it ends at its first NUL.
    answer.resize(std::min(answer.size(), answer.find('\0')));
    return answer;
}

bool CKestrionApp::AutostartIsOn() {
    const std::string query = rci::InlineCommand(rci::kQueryPythonAutoStart);
    std::string answer;
    // More than the query's own length means more came back than its echo.
    for (int pass = 0;
         pass < kAutostartPasses && answer.size() <= query.size() && !transport_.Cancelled();
         ++pass)
        answer = AskDirect(query, 1000, 255);
    return answer.find("<python><state>on") != std::string::npos;
}

void CKestrionApp::DisableAutostart() {
    if (WriteDirect(rci::InlineCommand(rci::kSetPythonAutoStartOff))) TheClock().SleepMs(1000);
}

std::string CKestrionApp::QueryProduct() {
    const std::string query = rci::InlineCommand(rci::kQueryProduct);
    for (int attempt = 0; attempt < kProductAttempts && !transport_.Cancelled(); ++attempt) {
        const std::string answer = AskDirect(query, 2000, 500);
        if (answer.find(kKorvane) != std::string::npos) return kKorvane;
        if (answer.find(kBrivel) != std::string::npos) return kBrivel;
    }
    return {};
}

// A device that is gone must not keep a closing program waiting for it.
void CKestrionApp::ResumeDeviceConsole() {
    const auto hold = transport_.Hold();
    transport_.SendCommandOnce(kResumeConsole);
}

bool CKestrionApp::IdentifyDevice(BatchExecutor& executor) {
    return merivane::IdentifyDevice(transport_, executor, g_product, identity_, documents_);
}

ApplyOutcome CKestrionApp::ApplySettings(BatchExecutor& executor) {
    return merivane::ApplySettings(executor, documents_);
}

ApplyOutcome CKestrionApp::ApplyZelboSettings(BatchExecutor& executor) {
    return merivane::ApplyZelboSettings(executor, documents_);
}

void CKestrionApp::CleanUp() {
    documents_.Clear();
    transport_.Log().Close();
}

}  // namespace merivane
