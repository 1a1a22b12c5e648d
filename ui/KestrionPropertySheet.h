#pragma once

#include <QDialog>
#include <QList>
#include <QPointer>
#include <functional>

#include "app/SettingsApply.h"
#include "ui/PageContext.h"

class QAction;
class QDialogButtonBox;
class QMenu;
class QMenuBar;
class QPushButton;
class QTabWidget;

namespace merivane {

class PropertyPage;

// The program's window: the pages as tabs with OK, Cancel and Apply, and a
// menu with "&About..." and "Minimize". It behaves like a property sheet: a
// tab is left only when its page's OnKillActive agrees; Apply is enabled while
// a page is marked modified.
//
// OK and Apply take what the user changed on every page, not only on the
// active one: the active page's OnKillActive first, then, in tab order, each
// page that holds changes is checked (OnKillActive, as when it is left, and
// its OnApply). A page that fails is brought into sight with its message and
// nothing is sent. Otherwise each such page writes its values into its
// document, each changed document is sent once through ApplySettings() and
// ApplyZelboSettings() (which return when the device's answer has been
// loaded), and the pages show what the device reported (OK then closes).
// Pages that hold no changes write nothing. When a changed document is not
// loaded, the user is told, nothing is sent and the pages stay modified.
class KestrionPropertySheet : public QDialog {
    Q_OBJECT
  public:
    // Sends a document to the device and reads it back.
    using ApplyHandler = std::function<ApplyOutcome()>;

    static constexpr char kAboutEntry[] = "&About...";
    static constexpr char kMinimizeEntry[] = "Minimize";
    // Said when the settings were sent but the device did not report them back.
    static constexpr char kReadBackFailed[] =
        "The new settings were sent, but the device did not report its settings back. "
        "The values shown are the ones that were sent.";
    static constexpr char kReadBackCaption[] = "Device communication error";
    // Said when changes would go into a document that is not loaded.
    static constexpr char kSettingsNotLoaded[] =
        "The device's settings are not loaded, so nothing was sent. Press Refresh on the "
        "Device Information page to read them from the device.";

    explicit KestrionPropertySheet(const PageContext& context, QWidget* parent = nullptr);
    ~KestrionPropertySheet() override;

    void AddPage(PropertyPage* page);
    int PageCount() const { return pages_.size(); }
    PropertyPage* Page(int index) const;
    int ActiveIndex() const { return activeIndex_; }
    PropertyPage* ActivePage() const { return Page(activeIndex_); }
    // Makes the page at `index` active if the active page agrees to be left.
    bool SetActivePage(int index);

    // The synchronous apply entry points the pages call. By default they run the
    // application's apply with the context's executor; SetApplyHandlers replaces that.
    void ApplySettings();
    void ApplyZelboSettings();
    void SetApplyHandlers(ApplyHandler settings, ApplyHandler zelbo);

    // A page's modified mark changed.
    void PageModifiedChanged();

    QTabWidget* Tabs() const { return tabs_; }
    QPushButton* OkButton() const;
    QPushButton* CancelButton() const;
    QPushButton* ApplyButton() const;
    QMenu* WindowMenu() const { return menu_; }
    QAction* AboutAction() const { return aboutAction_; }
    QAction* MinimizeAction() const { return minimizeAction_; }

  public slots:
    void accept() override;  // OK
    void Apply();
    void ShowAbout();

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    bool ApplyPages(bool closing);
    QList<PropertyPage*> ChangedPages() const;
    bool AcceptsChanges(PropertyPage* page);
    bool DocumentsLoadedFor(const QList<PropertyPage*>& changed);
    void SendChanges(const QList<PropertyPage*>& changed);
    void Activate(int index);
    void OnTabChanged(int index);
    void ReportApply(ApplyOutcome outcome);
    ApplyHandler DefaultHandler(bool zelbo) const;

    PageContext context_;
    // Pages belong to whoever built them; a page destroyed first drops out here.
    QList<QPointer<PropertyPage>> pages_;
    QTabWidget* tabs_;
    QDialogButtonBox* buttons_;
    QMenuBar* menuBar_;
    QMenu* menu_;
    QAction* aboutAction_;
    QAction* minimizeAction_;
    ApplyHandler applySettings_;
    ApplyHandler applyZelbo_;
    int activeIndex_ = -1;
    bool switching_ = false;
};

}  // namespace merivane
