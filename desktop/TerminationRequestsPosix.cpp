#include <fcntl.h>
#include <unistd.h>

#include <QApplication>
#include <QSocketNotifier>
#include <QTimer>
#include <atomic>
#include <csignal>

#include "desktop/TerminationRequests.h"

namespace merivane {
namespace {

constexpr int kSignals[] = {SIGTERM, SIGHUP, SIGINT};
constexpr int kCloseStepMs = 100;

std::atomic<int> g_signal{0};
int g_wakeUp[2] = {-1, -1};

// Only async-signal-safe calls: the event loop does the closing.
void OnTerminationRequest(int signal) {
    if (g_signal.exchange(signal) != 0) _exit(128 + signal);
    const char byte = static_cast<char>(signal);
    [[maybe_unused]] ssize_t written = ::write(g_wakeUp[1], &byte, 1);
}

}  // namespace

int TerminationSignal() { return g_signal.load(); }

void CloseOnTerminationRequests() {
    if (::pipe2(g_wakeUp, O_CLOEXEC | O_NONBLOCK) != 0) return;
    auto* notifier = new QSocketNotifier(g_wakeUp[0], QSocketNotifier::Read, qApp);
    auto* closer = new QTimer(qApp);
    closer->setInterval(kCloseStepMs);
    QObject::connect(closer, &QTimer::timeout, [] { CloseTopmostWindow(); });
    QObject::connect(notifier, &QSocketNotifier::activated, [notifier, closer] {
        char byte;
        while (::read(g_wakeUp[0], &byte, 1) > 0) {
        }
        notifier->setEnabled(false);
        CloseTopmostWindow();
        closer->start();
    });
    struct sigaction action {};
    action.sa_handler = OnTerminationRequest;
    sigemptyset(&action.sa_mask);
    for (int signal : kSignals) sigaction(signal, &action, nullptr);
}

}  // namespace merivane
