#include "ui/PropertyPage.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>

#include "app/CKestrionApp.h"
#include "settings/Bindings.h"
#include "settings/SettingLimits.h"
#include "ui/ComboBoxAccessible.h"
#include "ui/DataExchange.h"
#include "ui/KestrionPropertySheet.h"
#include "ui/QtText.h"

namespace merivane {
namespace {

// Widgets that only arrange others: walked through, never hidden themselves.
bool IsLayoutContainer(const QWidget* widget) {
    const QMetaObject* type = widget->metaObject();
    return type == &QWidget::staticMetaObject || type == &QFrame::staticMetaObject;
}

// The direct child widgets that belong to the page's form (not Qt's own parts
// of a control, nor windows of their own such as a combo box's popup).
QList<QWidget*> FormChildren(const QWidget* parent) {
    QList<QWidget*> children;
    for (QObject* child : parent->children()) {
        auto* widget = qobject_cast<QWidget*>(child);
        if (widget && !widget->isWindow()) children.append(widget);
    }
    return children;
}

void HideControlsUnder(QWidget* parent) {
    for (QWidget* child : FormChildren(parent)) {
        if (IsLayoutContainer(child)) {
            HideControlsUnder(child);
            continue;
        }
        child->hide();
        if (qobject_cast<QGroupBox*>(child)) HideControlsUnder(child);
    }
}

// Shown: not hidden itself (whether its parents show does not matter here).
bool IsShown(const QWidget* widget) { return widget != nullptr && !widget->isHidden(); }

// A group box with or without its frame and title; without them it only holds
// its controls. The title is kept aside while the box goes without it.
void SetFramed(QGroupBox* group, bool framed) {
    constexpr char kTitleProperty[] = "frameTitle";
    if (!group->property(kTitleProperty).isValid())
        group->setProperty(kTitleProperty, group->title());
    group->setTitle(framed ? group->property(kTitleProperty).toString() : QString());
    group->setFlat(!framed);
    group->setStyleSheet(framed ? QString() : QStringLiteral("QGroupBox { border: none; }"));
}

}  // namespace

PropertyPage::PropertyPage(QWidget* parent) : QWidget(parent) {
    // Every control named by its label, combo boxes included.
    InstallComboBoxNames();
}

PropertyPage::~PropertyPage() = default;

void PropertyPage::AttachTo(KestrionPropertySheet* sheet, const PageContext* context) {
    sheet_ = sheet;
    context_ = context;
}

void PropertyPage::EnsureInitialized() {
    if (initialized_) return;
    initialized_ = true;
    OnInitDialog();
}

void PropertyPage::OnInitDialog() {
    InitDialogBase();
    if (document_ == BoundDocument::None) return;
    FillChoiceLists();
    HideAllControls();
    ReadPageBindings();
    ShowLabelsOfVisibleControls();
    UpdateData(false);
    SetModified(false);
}

bool PropertyPage::OnSetActive() {
    // Values the user changed and has not applied yet stay as typed.
    if (document_ != BoundDocument::None && !modified_) ReadPageBindings();
    return BaseSetActive();
}

bool PropertyPage::BaseSetActive() {
    // The first activation follows the initialisation, which has just loaded the controls.
    if (firstActivation_)
        firstActivation_ = false;
    else
        UpdateData(false);
    return true;
}

bool PropertyPage::OnKillActive() { return UpdateData(true); }

bool PropertyPage::OnApply() { return true; }

PropertyPage::BoundDocument PropertyPage::ChangedDocument() const {
    if (document_ == BoundDocument::Settings || document_ == BoundDocument::Zelbo) return document_;
    return BoundDocument::None;
}

void PropertyPage::WriteChanges() {
    if (ChangedDocument() != BoundDocument::None) WritePageBindings();
}

void PropertyPage::ShowAppliedDocument() {
    SetModified(false);
    if (ChangedDocument() == BoundDocument::None) return;
    ReadPageBindings();
    UpdateData(false);
}

void PropertyPage::SetModified(bool modified) {
    if (modified_ == modified) return;
    modified_ = modified;
    if (sheet_) sheet_->PageModifiedChanged();
}

bool PropertyPage::UpdateData(bool saveAndValidate) {
    DataExchange exchange(saveAndValidate, &Context().prompts);
    DoDataExchange(exchange);
    if (saveAndValidate) CheckNumberedSettings(exchange);
    return !exchange.Failed();
}

void PropertyPage::CheckNumberedSettings(DataExchange& exchange) {
    for (const SettingBinding& binding : bindings_) {
        if (binding.path.empty()) break;
        const SettingLimit* limit = FindSettingLimit(binding.path);
        if (limit == nullptr || limit->choices != nullptr) continue;
        // A field the user cannot reach (no such setting, or its service switched off) is not
        // held to the range: the device keeps what it has there.
        auto* edit = findChild<QLineEdit*>(ToQt(binding.control_id));
        if (edit != nullptr && !edit->isHidden() && edit->isEnabled())
            exchange.CheckInt(edit, limit->min, limit->max);
    }
}

void PropertyPage::DoDataExchange(DataExchange&) {}

void PropertyPage::InitDialogBase() { UpdateData(false); }

void PropertyPage::ShowControl(const std::string& control_id) {
    if (QWidget* control = findChild<QWidget*>(ToQt(control_id))) control->show();
}

xmlNode* PropertyPage::StartNode() const {
    const DocumentStore& documents = Context().app.Documents();
    switch (document_) {
        case BoundDocument::Settings:
            return documents.SettingsNode();
        case BoundDocument::State:
            return documents.StateNode();
        case BoundDocument::Zelbo:
            return documents.ZelboNode();
        case BoundDocument::None:
            break;
    }
    return nullptr;
}

void PropertyPage::FillChoiceLists() {
    for (const SettingBinding& binding : bindings_) {
        if (binding.path.empty()) break;
        if (!(binding.flags & BIND_CHOICES) || binding.choices == nullptr) continue;
        auto* box = findChild<QComboBox*>(ToQt(binding.control_id));
        if (box == nullptr) continue;
        box->clear();
        for (const std::string& entry : SplitChoices(*binding.choices)) box->addItem(ToQt(entry));
        box->setCurrentIndex(0);
    }
}

void PropertyPage::HideAllControls() { HideControlsUnder(this); }

void PropertyPage::ReadPageBindings() { ReadBindings(this, bindings_, StartNode()); }

void PropertyPage::WritePageBindings() { WriteBindings(bindings_, StartNode()); }

void PropertyPage::ShowLabelsOfVisibleControls() {
    // Controls first, then the labels that name them, then the boxes around them.
    for (const FollowRule& rule : showRules_)
        if (!qobject_cast<QLabel*>(rule.follower) && IsShown(rule.leader)) rule.follower->show();
    for (QLabel* label : findChildren<QLabel*>()) {
        const QWidget* buddy = label->buddy();
        const FollowRule* rule = ShowRuleOf(label);
        if (buddy == nullptr && rule == nullptr) continue;
        if ((buddy == nullptr || IsShown(buddy)) && (rule == nullptr || IsShown(rule->leader)))
            label->show();
    }
    ShowGroupsWithShownControls(this);
}

// Shows every group box that holds a shown control; true when `parent` holds one.
bool PropertyPage::ShowGroupsWithShownControls(QWidget* parent) const {
    bool any = false;
    for (QWidget* child : FormChildren(parent)) {
        if (IsLayoutContainer(child)) {
            any = ShowGroupsWithShownControls(child) || any;
        } else if (auto* group = qobject_cast<QGroupBox*>(child)) {
            if (ShowGroupsWithShownControls(group)) {
                if (const FollowRule* rule = FrameRuleOf(group))
                    SetFramed(group, IsShown(rule->leader));
                group->show();
                any = true;
            }
        } else if (IsShown(child)) {
            any = true;
        }
    }
    return any;
}

void PropertyPage::ShowWith(const QWidget* leader, std::initializer_list<QWidget*> followers) {
    for (QWidget* follower : followers) showRules_.push_back({leader, follower});
}

void PropertyPage::FrameWith(QGroupBox* group, const QWidget* leader) {
    frameRules_.push_back({leader, group});
}

const PropertyPage::FollowRule* PropertyPage::ShowRuleOf(const QWidget* follower) const {
    for (const FollowRule& rule : showRules_)
        if (rule.follower == follower) return &rule;
    return nullptr;
}

const PropertyPage::FollowRule* PropertyPage::FrameRuleOf(const QWidget* group) const {
    for (const FollowRule& rule : frameRules_)
        if (rule.follower == group) return &rule;
    return nullptr;
}

void PropertyPage::MarkModifiedOnChange(std::initializer_list<QWidget*> controls) {
    for (QWidget* control : controls) {
        if (auto* edit = qobject_cast<QLineEdit*>(control)) {
            connect(edit, &QLineEdit::textEdited, this, [this] { SetModified(true); });
        } else if (auto* box = qobject_cast<QComboBox*>(control)) {
            connect(box, &QComboBox::activated, this, [this] { SetModified(true); });
            if (QLineEdit* typed = box->lineEdit())
                connect(typed, &QLineEdit::textEdited, this, [this] { SetModified(true); });
        } else if (auto* button = qobject_cast<QAbstractButton*>(control)) {
            connect(button, &QAbstractButton::clicked, this, [this] { SetModified(true); });
        }
    }
}

void PropertyPage::AddSwitch(QAbstractButton* button, std::function<void()> rule) {
    connect(button, &QAbstractButton::clicked, this, [this, rule = std::move(rule)] {
        UpdateData(true);
        rule();
        SetModified(true);
    });
}

void PropertyPage::AddShowToggle(QLineEdit* edit, QAbstractButton* show) {
    edit->setEchoMode(QLineEdit::Password);
    show->setCheckable(true);
    connect(show, &QAbstractButton::toggled, edit, [edit](bool shown) {
        edit->setEchoMode(shown ? QLineEdit::Normal : QLineEdit::Password);
    });
    ShowWith(edit, {show});
}

void PropertyPage::EnableControls(std::initializer_list<QWidget*> controls, bool enabled) {
    for (QWidget* control : controls)
        if (control != nullptr) control->setEnabled(enabled);
}

void PropertyPage::AcceptDigitsOnly(std::initializer_list<QLineEdit*> edits) {
    static const QRegularExpression kDigits(QStringLiteral("[0-9]*"));
    for (QLineEdit* edit : edits)
        edit->setValidator(new QRegularExpressionValidator(kDigits, edit));
}

}  // namespace merivane
