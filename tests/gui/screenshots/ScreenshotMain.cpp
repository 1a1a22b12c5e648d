// Takes pictures of the sheet on every page, and of the dialogs, against the
// simulated device. Run it on a display (xvfb-run works):
//   xvfb-run -a gui_screenshots [output folder, default /tmp/merivane-shots]

#include <QApplication>
#include <QDir>
#include <QPointer>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <cstdio>
#include <filesystem>
#include <string>

#include "app/CKestrionApp.h"
#include "app/Startup.h"
#include "pages/DesktopRun.h"
#include "sim/SimulatedDevice.h"
#include "support/Clock.h"
#include "support/ScriptedPrompts.h"
#include "ui/CAboutDlg.h"
#include "ui/ComSearch.h"
#include "ui/KestrionPropertySheet.h"
#include "ui/PropertyPage.h"
#include "ui/USBDialog.h"

namespace {

using namespace merivane;

QString g_folder;

void Save(QWidget* widget, const QString& name) {
    QApplication::processEvents();
    const QString path = g_folder + "/" + name + ".png";
    if (!widget->grab().save(path)) std::fprintf(stderr, "could not save %s\n", qPrintable(path));
    std::printf("%s\n", qPrintable(path));
}

QString FileName(const QString& text) {
    QString name = text.toLower();
    name.replace(' ', '-');
    return name;
}

// Grabs the next modal dialog of type T once it is up and has had a moment to
// show some progress; `close` then ends it, if given.
template <typename T>
void GrabNextModal(const QString& name, std::function<void(QWidget*)> close = {},
                   int attempts = 500) {
    QTimer::singleShot(10, [name, close, attempts] {
        auto* modal = qobject_cast<T*>(QApplication::activeModalWidget());
        if (modal == nullptr) {
            if (attempts > 0) GrabNextModal<T>(name, close, attempts - 1);
            return;
        }
        QTimer::singleShot(150, [name, close, dialog = QPointer<QWidget>(modal)] {
            if (dialog == nullptr) return;
            Save(dialog, name);
            if (close) close(dialog);
        });
    });
}

// Grabs the runner dialog as soon as it shows a step.
void GrabRunner(const QString& name, int attempts = 2000) {
    QTimer::singleShot(5, [name, attempts] {
        auto* runner = qobject_cast<USBDialog*>(QApplication::activeModalWidget());
        if (runner != nullptr && !runner->StepText().isEmpty()) {
            Save(runner, name);
        } else if (attempts > 0) {
            GrabRunner(name, attempts - 1);
        }
    });
}

void ShootProduct(const std::string& folder, sim::Product product, const QString& prefix) {
    sim::DeviceOptions options;
    options.linkPath = folder + "/tty-" + prefix.toStdString();
    options.product = product;
    sim::SimulatedDevice device(options);
    if (!device.Start()) return;

    CKestrionApp app(std::make_unique<FixedPortSource>());
    test::ScriptedPrompts prompts;
    StartupOptions startup;
    startup.portPath = device.LinkPath();
    RunDesktop(app, startup, prompts, [&](KestrionPropertySheet& sheet) {
        sheet.resize(sheet.sizeHint());
        for (int i = 0; i < sheet.PageCount(); ++i) {
            sheet.SetActivePage(i);
            Save(
                &sheet,
                QString("%1-%2-%3").arg(prefix).arg(i + 1).arg(FileName(sheet.Tabs()->tabText(i))));
        }
        sheet.SetActivePage(0);
        // The runner dialog while Refresh identifies the device again.
        GrabRunner(prefix + "-usbdialog");
        sheet.Page(0)->findChild<QPushButton*>("refreshButton")->click();
        GrabNextModal<CAboutDlg>(prefix + "-about",
                                 [](QWidget* modal) { static_cast<QDialog*>(modal)->accept(); });
        sheet.ShowAbout();
        sheet.reject();
    });
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    g_folder = argc > 1 ? argv[1] : "/tmp/merivane-shots";
    QDir().mkpath(g_folder);
    // The device's long pauses go by ten times faster; the dialogs still get to show.
    ScaledClock clock(10.0, 1500);
    ScopedClock installed(clock);

    const std::string devices =
        (std::filesystem::temp_directory_path() / "merivane-shots-devices").string();
    std::filesystem::create_directories(devices);
    ShootProduct(devices, sim::Product::Brivel, "brivel");
    ShootProduct(devices, sim::Product::Korvane, "korvane");
    std::filesystem::remove_all(devices);

    ComSearch search;
    search.candidates = {"/dev/ttyACM1", "/dev/ttyACM0"};
    GrabNextModal<ComSearch>("comsearch",
                             [](QWidget* modal) { static_cast<QDialog*>(modal)->accept(); });
    search.exec();
    return 0;
}
