#include "desktop/TerminationRequests.h"

#include <QApplication>
#include <QDialog>
#include <QWidget>

namespace merivane {

void CloseTopmostWindow() {
    QWidget* modal = QApplication::activeModalWidget();
    if (auto* dialog = qobject_cast<QDialog*>(modal)) {
        dialog->reject();
        return;
    }
    if (modal != nullptr) {
        modal->close();
        return;
    }
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window->isVisible()) window->close();
}

}  // namespace merivane
