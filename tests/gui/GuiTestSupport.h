#pragma once

// Shared pieces of the GUI tests: driving modal dialogs and finding widgets.

#include <QApplication>
#include <QDialog>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <functional>

namespace merivane::test {

// Runs `action` on the next modal dialog once it is up (the action runs from
// the dialog's own modal loop, so it may inspect and close it).
inline void WhenModalAppears(std::function<void(QWidget*)> action, int attemptsLeft = 500) {
    QTimer::singleShot(0, [action = std::move(action), attemptsLeft] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal != nullptr && modal->isVisible()) {
            action(modal);
        } else if (attemptsLeft > 0) {
            QTimer::singleShot(
                10, [action, attemptsLeft] { WhenModalAppears(action, attemptsLeft - 1); });
        }
    });
}

// Lets queued events (deferred tab changes, queued progress) run.
inline void ProcessEvents() {
    for (int i = 0; i < 3; ++i) QApplication::processEvents();
}

}  // namespace merivane::test
