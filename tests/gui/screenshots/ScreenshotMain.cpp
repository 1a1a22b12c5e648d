// Takes pictures of the sheet on every page, and of the dialogs, against the
// simulated device. Run it on a display (xvfb-run works):
//   xvfb-run -a gui_screenshots [output folder, default /tmp/merivane-shots]

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>
#include <QTreeWidget>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>

#include "app/BatchExecutor.h"
#include "app/CKestrionApp.h"
#include "app/Startup.h"
#include "desktop/DesktopRun.h"
#include "ops/SignalHistory.h"
#include "pages/CellPage.h"
#include "pages/SerialPage.h"
#include "pages/TelvoraPage.h"
#include "sim/SimulatedDevice.h"
#include "support/Clock.h"
#include "support/ScriptedPrompts.h"
#include "ui/CAboutDlg.h"
#include "ui/ComSearch.h"
#include "ui/CompareDialog.h"
#include "ui/KestrionPropertySheet.h"
#include "ui/PropertyPage.h"
#include "ui/QtPrompts.h"
#include "ui/SignalPlot.h"
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

// Runs the desktop program against `device` and hands its sheet, sized to fit, to `shoot`;
// the sheet closes afterwards.
void RunDesktopOn(sim::SimulatedDevice& device,
                  const std::function<void(KestrionPropertySheet&)>& shoot) {
    CKestrionApp app(std::make_unique<FixedPortSource>());
    test::ScriptedPrompts prompts;
    StartupOptions startup;
    startup.portPath = device.LinkPath();
    RunDesktop(app, startup, prompts, [&](KestrionPropertySheet& sheet) {
        sheet.resize(sheet.sizeHint());
        shoot(sheet);
        sheet.reject();
    });
}

void ShootProduct(const std::string& folder, sim::Product product, const QString& prefix) {
    sim::DeviceOptions options;
    options.linkPath = folder + "/tty-" + prefix.toStdString();
    options.product = product;
    sim::SimulatedDevice device(options);
    if (!device.Start()) return;

    RunDesktopOn(device, [&](KestrionPropertySheet& sheet) {
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
    });
}

// The Python page with files of every kind of name: short, exactly 20
// characters, longer, and with a space; one of them checked.
void ShootPythonFiles(const std::string& folder) {
    sim::DeviceOptions options;
    options.linkPath = folder + "/tty-python";
    sim::SimulatedDevice device(options);
    if (!device.Start()) return;
    device.PutFile("/WEB/python/gps_logger.py", std::string(2318, 'g'));
    device.PutFile("/WEB/python/abcdefghijklmnop.py1", std::string(20, 'x'));
    device.PutFile("/WEB/python/a_much_longer_module_name_than_twenty.py",
                   std::string(123456, 'l'));
    device.PutFile("/WEB/python/my script.py", "print(1)\n");

    RunDesktopOn(device, [&](KestrionPropertySheet& sheet) {
        for (int i = 0; i < sheet.PageCount(); ++i) {
            if (sheet.Tabs()->tabText(i) != "Python") continue;
            sheet.SetActivePage(i);
            auto* list = sheet.Page(i)->findChild<QTreeWidget*>("fileList");
            if (list != nullptr && list->topLevelItemCount() > 1)
                list->topLevelItem(1)->setCheckState(0, Qt::Checked);
            Save(&sheet, "brivel-python-files");
        }
    });
}

// The Mobile, Remote Management and Serial Port pages fed with settings that
// the simulated devices do not have: values outside the lists, an address
// without its scheme, and missing settings (boxes shown without their frames).
void ShootSettingsPages(const QString& name, const std::string& groups) {
    CKestrionApp app(std::make_unique<FixedPortSource>());
    app.Documents().LoadSettingsDocument("<rci_reply version=\"1.1\"><query_setting>" + groups +
                                         "</query_setting></rci_reply>\r\nOK\r\n");
    CellPage cell;
    TelvoraPage telvora;
    SerialPage serial;
    test::ScriptedPrompts prompts;
    HeadlessExecutor executor(app.Link());
    KestrionPropertySheet sheet(PageContext{app, prompts, executor});
    for (PropertyPage* page :
         {static_cast<PropertyPage*>(&cell), static_cast<PropertyPage*>(&telvora),
          static_cast<PropertyPage*>(&serial)})
        sheet.AddPage(page);
    sheet.show();
    sheet.resize(sheet.sizeHint());
    for (int i = 0; i < sheet.PageCount(); ++i) {
        sheet.SetActivePage(i);
        Save(&sheet, QString("%1-%2").arg(name).arg(FileName(sheet.Tabs()->tabText(i))));
    }
}

void ShootUnusualSettings() {
    ShootSettingsPages(
        "unusual",
        "<mobile_simple><apn>internet</apn><username>u</username><password>p</password>"
        "<pin>0000</pin><mobile_gsm_band>12</mobile_gsm_band></mobile_simple>"
        "<mgmtconnection index=\"1\"><connectionEnabled>off</connectionEnabled>"
        "<ServerArray index=\"1\"><serverAddress>mgmt.example:3197</serverAddress></ServerArray>"
        "<clientConnectionReconnectTimeout>-32768</clientConnectionReconnectTimeout>"
        "</mgmtconnection><serial><baud>460800</baud><databits>8</databits><parity>none</parity>"
        "<stopbits>1</stopbits><flowcontrol>none</flowcontrol></serial>"
        "<telnet_server><state>on</state><port>23</port><keepalive>on</keepalive></telnet_server>");
    ShootSettingsPages(
        "partial",
        "<mobile_simple><username>u</username><mobile_gsm_band>6</mobile_gsm_band></mobile_simple>"
        "<mgmtconnection><connectionEnabled>on</connectionEnabled>"
        "<clientConnectionReconnectTimeout>90</clientConnectionReconnectTimeout></mgmtconnection>"
        "<serial><databits>7</databits><parity>even</parity></serial>"
        "<tcp_server><state>on</state><port>2101</port><keepalive>off</keepalive></tcp_server>"
        "<udp_server><state>off</state><port>2102</port></udp_server>");
}

// The Device Information page after the device went away: the status says so and the
// bars and the link show that their state is not known.
void ShootDisconnected(const std::string& folder) {
    sim::DeviceOptions options;
    options.linkPath = folder + "/tty-gone";
    sim::SimulatedDevice device(options);
    if (!device.Start()) return;
    RunDesktopOn(device, [&](KestrionPropertySheet& sheet) {
        sheet.SetActivePage(0);
        Save(&sheet, "brivel-connected");
        device.Unplug();
        sheet.Page(0)->findChild<QPushButton*>("refreshButton")->click();
        Save(&sheet, "brivel-disconnected");
    });
}

// The signal plot with two pauses in the samples: gaps, not lines across them.
void ShootSignalGap() {
    const int64_t now = 1'800'000'000'000;
    SignalHistory history;
    for (int64_t second = -540; second <= 0; second += 2) {
        // Nothing from 6 to 5 minutes ago (the device away), nor for 30 s around 2 minutes
        // ago (polling paused for an apply).
        if ((second > -360 && second < -300) || (second > -135 && second < -105)) continue;
        history.Add({now + second * 1000, 14 + static_cast<int>((second / 20) % 5), 1});
    }
    SignalPlot plot;
    plot.resize(640, 300);
    plot.Show(history, now);
    plot.show();
    Save(&plot, "signal-plot-gaps");
}

// The compare dialog with a secret among the differences and one row ticked.
void ShootCompareDialog() {
    CompareDialog dialog(
        "/home/user/golden.cfg",
        {{"mobile_simple/apn", "changed.example", "broadband.varik.example"},
         {"mobile_simple/password", "old-secret", "new-secret"},
         {"mgmtconnection&index=3/connectionEnabled", "off", "on"},
         {"serial/baud", "9600", "115200"}},
        [](const std::vector<std::string>&) {}, [](const std::vector<std::string>&) {});
    dialog.show();
    dialog.findChild<QTableWidget*>("differencesTable")->item(0, 0)->setCheckState(Qt::Checked);
    Save(&dialog, "compare-dialog");
}

// The Serial Port page refusing a port of 0, with the desktop's own message box.
void ShootPortRefusal() {
    CKestrionApp app(std::make_unique<FixedPortSource>());
    app.Documents().LoadSettingsDocument(
        "<rci_reply version=\"1.1\"><query_setting><serial><baud>9600</baud><databits>8"
        "</databits><parity>none</parity><stopbits>1</stopbits><flowcontrol>none</flowcontrol>"
        "</serial><telnet_server><state>on</state><port>2001</port><keepalive>on</keepalive>"
        "</telnet_server><tcp_server><state>on</state><port>2101</port><keepalive>off"
        "</keepalive></tcp_server></query_setting></rci_reply>\r\nOK\r\n");
    SerialPage serial;
    QtPrompts prompts;
    HeadlessExecutor executor(app.Link());
    KestrionPropertySheet sheet(PageContext{app, prompts, executor});
    sheet.AddPage(&serial);
    sheet.show();
    sheet.resize(sheet.sizeHint());
    serial.findChild<QLineEdit*>("telnetPortEdit")->setText("0");
    serial.SetModified();
    GrabNextModal<QMessageBox>("serial-port-refused-message",
                               [](QWidget* modal) { static_cast<QDialog*>(modal)->accept(); });
    sheet.Apply();
    Save(&sheet, "serial-port-refused-page");
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
    ShootPythonFiles(devices);
    ShootDisconnected(devices);
    std::filesystem::remove_all(devices);
    ShootUnusualSettings();
    ShootSignalGap();
    ShootPortRefusal();
    ShootCompareDialog();

    ComSearch search;
    search.candidates = {"/dev/ttyACM1", "/dev/ttyACM0"};
    GrabNextModal<ComSearch>("comsearch",
                             [](QWidget* modal) { static_cast<QDialog*>(modal)->accept(); });
    search.exec();
    return 0;
}
