#include "ui/ComboBoxAccessible.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QLineEdit>
#include <mutex>

namespace merivane {
namespace {

// A combo box on the bus: named by its label, valued by its entry, with its list as child
// and the actions to open it.
class ComboBoxAccessible : public QAccessibleWidget {
  public:
    explicit ComboBoxAccessible(QComboBox* box) : QAccessibleWidget(box, QAccessible::ComboBox) {}

    QString text(QAccessible::Text kind) const override {
        if (kind == QAccessible::Value)
            return Box()->isEditable() ? Box()->lineEdit()->text() : Box()->currentText();
        // Name: the accessible name, else the buddy label's text.
        return QAccessibleWidget::text(kind);
    }

    int childCount() const override { return Box()->view() != nullptr ? 1 : 0; }
    QAccessibleInterface* child(int index) const override {
        if (index != 0 || Box()->view() == nullptr) return nullptr;
        return QAccessible::queryAccessibleInterface(Box()->view());
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        return child != nullptr && child->object() == Box()->view() ? 0 : -1;
    }

    QStringList actionNames() const override {
        return {QAccessibleActionInterface::showMenuAction(),
                QAccessibleActionInterface::pressAction()};
    }
    void doAction(const QString& action) override {
        if (action == QAccessibleActionInterface::showMenuAction() ||
            action == QAccessibleActionInterface::pressAction())
            Box()->showPopup();
    }

  private:
    QComboBox* Box() const { return static_cast<QComboBox*>(widget()); }
};

QAccessibleInterface* ComboBoxFactory(const QString& className, QObject* object) {
    if (className != QLatin1String("QComboBox")) return nullptr;
    auto* box = qobject_cast<QComboBox*>(object);
    return box != nullptr ? new ComboBoxAccessible(box) : nullptr;
}

}  // namespace

void InstallComboBoxNames() {
    // Factories installed later are asked first, so this one takes the place of Qt's own.
    static std::once_flag once;
    std::call_once(once, [] { QAccessible::installFactory(ComboBoxFactory); });
}

}  // namespace merivane
