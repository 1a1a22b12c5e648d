// The soak through the desktop program's progress dialogs: every batch runs
// inside the modal runner dialog, as when a user presses Apply or Refresh.
// On some cycles a restless user presses Escape and the close box while the
// dialog works. After every cycle no dialog may be left open or alive: a
// dialog that never closes ends the cycle past its limit, one that closes but
// stays behind shows up among the top-level widgets.
#include <QApplication>
#include <QKeyEvent>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <cstdlib>

#include "soak/SoakRun.h"
#include "ui/DialogExecutor.h"

namespace {

// Presses Escape and the close box on whatever modal dialog is up.
void PesterModalDialog(int& pressed) {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr) return;
    ++pressed;
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(modal, &escape);
    modal->close();
}

std::string LeftoverWindows(qsizetype expectedTopLevels) {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QApplication::processEvents();
    if (QWidget* modal = QApplication::activeModalWidget())
        return "a dialog is still open: \"" + modal->windowTitle().toStdString() + "\"";
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget* window : windows)
        if (window->isVisible())
            return "a window is still shown: \"" + window->windowTitle().toStdString() + "\"";
    if (windows.size() != expectedTopLevels)
        return "top-level widgets went from " + std::to_string(expectedTopLevels) + " to " +
               std::to_string(windows.size());
    return {};
}

}  // namespace

int main(int argc, char** argv) {
    using namespace merivane;
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    // The offscreen platform says for every new window that it cannot pass on
    // size hints or raise it; neither says anything about the code under test.
    static QtMessageHandler defaultHandler = nullptr;
    defaultHandler = qInstallMessageHandler([](QtMsgType type, const QMessageLogContext& context,
                                               const QString& message) {
        if (!message.contains("propagateSizeHints") && !message.contains("does not support raise"))
            defaultHandler(type, context, message);
    });
    QApplication application(argc, argv);
    const soak::Options options = soak::OptionsFromArguments(argc, argv);

    int currentCycle = 1;
    int pressed = 0;
    QTimer restlessUser;
    restlessUser.setInterval(40);
    QObject::connect(&restlessUser, &QTimer::timeout, [&currentCycle, &pressed] {
        if (currentCycle % 3 == 1) PesterModalDialog(pressed);
    });
    restlessUser.start();
    const qsizetype topLevels = QApplication::topLevelWidgets().size();

    const int status = soak::Run(
        options, [](Transport& transport) { return std::make_unique<DialogExecutor>(transport); },
        [&currentCycle, topLevels](int cycle) {
            currentCycle = cycle + 1;
            return LeftoverWindows(topLevels);
        });
    std::printf("Escape and the close box pressed %d times on running dialogs\n", pressed);
    // Without a single press the run did not test what it is for.
    return status == 0 && pressed == 0 ? 1 : status;
}
