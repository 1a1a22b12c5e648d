// The GUI tests' own main: the widgets need one QApplication for the whole run.

#include <gtest/gtest.h>

#include <QApplication>
#include <csignal>

namespace {

QtMessageHandler g_defaultHandler = nullptr;

// The offscreen platform says for every new window that it cannot pass on
// size hints; that says nothing about the code under test.
void QuietHandler(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (message.contains("propagateSizeHints")) return;
    g_defaultHandler(type, context, message);
}

}  // namespace

int main(int argc, char** argv) {
#ifdef SIGPIPE
    // A peer that vanishes mid-write must show up as a failed write, not kill the run.
    std::signal(SIGPIPE, SIG_IGN);
#endif
    // No display is needed, also when the tests are listed for discovery.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    g_defaultHandler = qInstallMessageHandler(QuietHandler);
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
