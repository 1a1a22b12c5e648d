#pragma once

#include <libxml/tree.h>

#include <QString>
#include <QWidget>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "settings/BindingHost.h"
#include "settings/SettingBinding.h"
#include "ui/PageContext.h"

class QAbstractButton;
class QGroupBox;
class QLineEdit;

namespace merivane {

class DataExchange;
class KestrionPropertySheet;

// The base of every tab of the property sheet. The sheet calls:
//   OnInitDialog  once, the first time the page becomes active;
//   OnSetActive   each time it becomes active (the first included);
//   OnKillActive  before it stops being active, and on OK and Apply for the
//                 active page and every page that holds changes; false keeps
//                 (or brings) the page in sight;
//   OnApply       on OK and Apply, for every page that holds changes, before
//                 anything is written: the page's own checks of its values;
//                 false stops the apply (the page has said why).
// SetModified marks the page changed, which enables the sheet's Apply button.
// A page holds changes while it is marked modified.
//
// A page that binds settings names its document and fills its binding table;
// the base then runs the whole binding protocol: choice lists filled, every
// control hidden, the bindings read (showing the controls whose settings
// exist), the labels and group boxes of visible controls shown, the controls
// loaded; on activation the bindings are read again, unless the page holds
// changes the user has not applied yet (they stay as typed). On OK and Apply
// the sheet has every page that holds changes write its bindings, sends each
// document they changed once, and the pages show what came back.
//
// What follows the shown controls: a label shows with its buddy, a group box
// with any control inside it that shows. A page adds its own rules with
// ShowWith and FrameWith.
class PropertyPage : public QWidget, public BindingHost {
    Q_OBJECT
  public:
    // Which of the application's documents the bindings walk.
    enum class BoundDocument { None, Settings, State, Zelbo };

    explicit PropertyPage(QWidget* parent = nullptr);
    ~PropertyPage() override;

    // The tab caption: the title of the page's form.
    QString Caption() const { return windowTitle(); }

    virtual void OnInitDialog();
    virtual bool OnSetActive();
    virtual bool OnKillActive();
    virtual bool OnApply();

    void SetModified(bool modified = true);
    bool IsModified() const { return modified_; }
    // Copies the controls into the members (true, with validation) or the
    // members into the controls (false). False when a value failed validation.
    bool UpdateData(bool saveAndValidate = true);

    bool Initialized() const { return initialized_; }
    // The document the page's changes are written into: the settings or the
    // mesh radio settings; None for a page that changes no settings.
    BoundDocument ChangedDocument() const;
    KestrionPropertySheet* Sheet() const { return sheet_; }
    // The sheet's context; a page is used only once it is on a sheet.
    const PageContext& Context() const { return *context_; }

    // BindingHost: shows the control whose object name is `control_id`.
    void ShowControl(const std::string& control_id) override;

  protected:
    // Lists the page's members and their controls (see DataExchange).
    virtual void DoDataExchange(DataExchange& exchange);

    // The binding protocol, step by step, for pages that need to vary it.
    void SetBoundDocument(BoundDocument document) { document_ = document; }
    BoundDocument Document() const { return document_; }
    BindingTable& Bindings() { return bindings_; }
    xmlNode* StartNode() const;
    void FillChoiceLists();
    void HideAllControls();
    void ReadPageBindings();
    void WritePageBindings();
    void ShowLabelsOfVisibleControls();
    // The plain page steps, without the binding protocol: the dialog
    // initialisation (members into the controls) and the activation (members
    // into the controls on every activation but the first).
    void InitDialogBase();
    bool BaseSetActive();
    // User changes of these controls mark the page modified (typing, picking,
    // clicking; loading values from the members does not).
    void MarkModifiedOnChange(std::initializer_list<QWidget*> controls);

    // Rules for what follows the controls whose settings exist, applied with
    // the labels and group boxes. Each of `followers` shows only when `leader`
    // shows (a label with a buddy needs its buddy shown as well).
    void ShowWith(const QWidget* leader, std::initializer_list<QWidget*> followers);
    // `group` draws its frame and title only when `leader` shows (never, for a
    // null leader); otherwise the controls inside it that show appear on their
    // own, as if the box were not there.
    void FrameWith(QGroupBox* group, const QWidget* leader);
    // Makes `button` a switch: a click copies the controls into the members
    // (a value that fails validation shows its message; the click goes on with
    // the members as they are), runs `rule` and marks the page modified.
    void AddSwitch(QAbstractButton* button, std::function<void()> rule);
    // `edit` holds a secret: masked until `show` is ticked; `show` shows with it.
    void AddShowToggle(QLineEdit* edit, QAbstractButton* show);
    // Enables or disables the controls (null entries are skipped).
    static void EnableControls(std::initializer_list<QWidget*> controls, bool enabled);
    // The edits take no character but the figures 0 to 9.
    static void AcceptDigitsOnly(std::initializer_list<QLineEdit*> edits);

  private:
    struct FollowRule {
        const QWidget* leader;
        QWidget* follower;
    };

    friend class KestrionPropertySheet;
    void AttachTo(KestrionPropertySheet* sheet, const PageContext* context);
    void EnsureInitialized();
    // The sheet's apply, in its two steps around the sending: the page's values
    // into its document, then the device's answer back on the page.
    void WriteChanges();
    void ShowAppliedDocument();
    // Saving: every shown, enabled edit whose setting takes a whole number in a range (a
    // port, for one) holds one, or the exchange fails with the range message.
    void CheckNumberedSettings(DataExchange& exchange);
    const FollowRule* ShowRuleOf(const QWidget* follower) const;
    const FollowRule* FrameRuleOf(const QWidget* group) const;
    bool ShowGroupsWithShownControls(QWidget* parent) const;

    KestrionPropertySheet* sheet_ = nullptr;
    const PageContext* context_ = nullptr;
    BoundDocument document_ = BoundDocument::None;
    BindingTable bindings_;
    std::vector<FollowRule> showRules_;
    std::vector<FollowRule> frameRules_;
    bool initialized_ = false;
    bool firstActivation_ = true;
    bool modified_ = false;
};

}  // namespace merivane
