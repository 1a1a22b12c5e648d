#pragma once

// Shared pieces of the settings pages' tests: a page in a sheet fed with settings documents,
// and the same against the simulated device.

#include <gtest/gtest.h>
#include <libxml/tree.h>

#include <QAbstractButton>
#include <QAccessible>
#include <QGroupBox>
#include <QTabWidget>
#include <memory>
#include <optional>
#include <string>

#include "GuiTestSupport.h"
#include "app/BatchExecutor.h"
#include "app/CKestrionApp.h"
#include "app/Product.h"
#include "settings/DocumentSerializer.h"
#include "settings/SettingPath.h"
#include "settings/XmlText.h"
#include "sim/SimulatedDevice.h"
#include "support/Clock.h"
#include "support/ScriptedPrompts.h"
#include "support/TempDir.h"
#include "ui/KestrionPropertySheet.h"
#include "ui/PropertyPage.h"

namespace merivane::test {

// The device's answer to the settings query when its settings are `groups`.
inline std::string SettingsAnswer(const std::string& groups) {
    return "<rci_reply version=\"1.1\"><query_setting>" + groups +
           "</query_setting></rci_reply>\r\nOK\r\n";
}

// The text at `path` in the application's settings document; none when the path does not resolve.
inline std::optional<std::string> DocumentValue(CKestrionApp& app, const std::string& path) {
    xmlNode* element = ResolveSettingPath(app.Documents().SettingsNode(), path);
    if (element == nullptr) return std::nullopt;
    return element->children != nullptr ? NodeText(element->children) : std::string();
}

inline QString AccessibleName(QWidget* widget) {
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(widget);
    return face != nullptr ? face->text(QAccessible::Name) : QString();
}

inline std::string AccessibleValue(QWidget* widget) {
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(widget);
    return face != nullptr ? face->text(QAccessible::Value).toStdString() : std::string();
}

// Clicks a check box on its box, as a user does (a wide check box takes clicks only on its box
// and text, not in the middle of its row).
inline void ClickBox(QAbstractButton* box) {
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
}

// A group box that shows with its frame and title (not only the controls inside it).
inline bool FrameShown(const QGroupBox* group) {
    return group->isVisible() && !group->title().isEmpty() && !group->isFlat();
}

// A tab without settings, to make the page under test inactive.
class PlainPage : public PropertyPage {
  public:
    PlainPage() { setWindowTitle("Other"); }
};

// Finds the page's widgets by object name.
template <typename Page>
class PageWidgets {
  public:
    explicit PageWidgets(Page& page) : page_(page) {}
    template <typename Widget = QWidget>
    Widget* Get(const char* name) const {
        auto* widget = page_.template findChild<Widget*>(name);
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    bool Visible(const char* name) const {
        QWidget* widget = Get(name);
        return widget != nullptr && widget->isVisible();
    }

  private:
    Page& page_;
};

// The page under test, first of two tabs, fed with a settings document. Apply goes to a
// stand-in device that accepts what it is sent: the document stays as the page wrote it.
template <typename Page>
class PageHarness : public PageWidgets<Page> {
  public:
    PageHarness()
        : PageWidgets<Page>(page),
          app(std::make_unique<FixedPortSource>()),
          sheet(PageContext{app, prompts, executor}) {
        sheet.AddPage(&page);
        sheet.AddPage(&other);
        sheet.SetApplyHandlers(
            [this] {
                ++applies;
                return ApplyOutcome::Applied;
            },
            {});
    }

    // Loads the settings and shows the sheet on the page under test.
    void Show(const std::string& groups) {
        app.Documents().LoadSettingsDocument(SettingsAnswer(groups));
        sheet.show();
        ProcessEvents();
    }
    // The sheet's Apply after the user changed the page under test (the tests set its
    // controls directly, which does not mark it).
    void Apply() {
        page.SetModified();
        sheet.Apply();
        ProcessEvents();
    }
    bool SwitchTo(int index) {
        sheet.Tabs()->setCurrentIndex(index);
        ProcessEvents();
        return sheet.ActiveIndex() == index;
    }
    std::optional<std::string> Value(const std::string& path) { return DocumentValue(app, path); }
    std::string Sent() { return SerializeForSending(app.Documents().SettingsDocument()); }

    CKestrionApp app;
    ScriptedPrompts prompts;
    HeadlessExecutor executor{app.Link()};
    Page page;
    PlainPage other;
    KestrionPropertySheet sheet;
    int applies = 0;
};

// The page under test and another settings page in a sheet, against the simulated device:
// Apply really sends the settings and reads them back. The 30 s settle pause runs on a
// scaled clock.
template <typename Page, typename Other>
class DeviceHarness : public PageWidgets<Page> {
  public:
    DeviceHarness()
        : PageWidgets<Page>(page),
          clock_(50.0, 1500),
          installed_(clock_),
          app(std::make_unique<FixedPortSource>()),
          executor(app.Link()),
          sheet(PageContext{app, prompts, executor}),
          product_(g_product),
          model_(g_deviceModel) {}
    ~DeviceHarness() {
        g_product = product_;
        g_deviceModel = model_;
    }

    // Starts the device, reads its settings and shows the sheet on the page under test.
    bool Start(sim::Product product) {
        sim::DeviceOptions options;
        options.linkPath = dir_.File("ttyDEVICE");
        options.product = product;
        options.console = false;
        device = std::make_unique<sim::SimulatedDevice>(options);
        if (!device->Start() || !app.Link().OpenNamedPort(device->LinkPath())) return false;
        g_product = sim::ProductName(product);
        g_deviceModel.clear();
        if (!app.IdentifyDevice(executor)) return false;
        sheet.AddPage(&page);
        sheet.AddPage(&other);
        sheet.show();
        ProcessEvents();
        return true;
    }
    // As PageHarness::Apply.
    void Apply() {
        page.SetModified();
        sheet.Apply();
        ProcessEvents();
    }
    bool SwitchTo(int index) {
        sheet.Tabs()->setCurrentIndex(index);
        ProcessEvents();
        return sheet.ActiveIndex() == index;
    }
    std::string Setting(const std::string& path) const {
        return device->Setting(path).value_or("(missing)");
    }

  private:
    ScaledClock clock_;
    ScopedClock installed_;
    TempDir dir_;

  public:
    std::unique_ptr<sim::SimulatedDevice> device;
    CKestrionApp app;
    HeadlessExecutor executor;
    ScriptedPrompts prompts;
    Page page;
    Other other;
    KestrionPropertySheet sheet;

  private:
    // The process-wide texts as they were before.
    std::string product_;
    std::string model_;
};

}  // namespace merivane::test
