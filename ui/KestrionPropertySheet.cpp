#include "ui/KestrionPropertySheet.h"

#include <QAction>
#include <QDialogButtonBox>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

#include "app/CKestrionApp.h"
#include "app/Prompts.h"
#include "ui/CAboutDlg.h"
#include "ui/GuiResources.h"
#include "ui/PropertyPage.h"

namespace merivane {

KestrionPropertySheet::KestrionPropertySheet(const PageContext& context, QWidget* parent)
    // The sheet is the program's main window: it can be minimized like one.
    : QDialog(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      context_(context) {
    setWindowTitle(CKestrionApp::kDisplayName);
    setWindowIcon(AppIcon());

    auto* layout = new QVBoxLayout(this);
    menuBar_ = new QMenuBar(this);
    menu_ = menuBar_->addMenu("&Merivane");
    aboutAction_ = menu_->addAction(kAboutEntry);
    menu_->addSeparator();
    minimizeAction_ = menu_->addAction(kMinimizeEntry);
    layout->setMenuBar(menuBar_);

    tabs_ = new QTabWidget(this);
    tabs_->setObjectName("pages");
    tabs_->setAccessibleName("Pages");
    // Every tab stays in sight, as on a property sheet: the window is made wide enough.
    tabs_->setUsesScrollButtons(false);
    layout->addWidget(tabs_);

    buttons_ = new QDialogButtonBox(
        QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Apply, this);
    OkButton()->setText("OK");
    CancelButton()->setText("Cancel");
    ApplyButton()->setText("&Apply");
    for (QPushButton* button : {OkButton(), CancelButton(), ApplyButton()})
        button->setIcon(QIcon());
    ApplyButton()->setEnabled(false);
    layout->addWidget(buttons_);

    connect(buttons_, &QDialogButtonBox::accepted, this, &KestrionPropertySheet::accept);
    connect(buttons_, &QDialogButtonBox::rejected, this, &KestrionPropertySheet::reject);
    connect(ApplyButton(), &QPushButton::clicked, this, &KestrionPropertySheet::Apply);
    connect(tabs_, &QTabWidget::currentChanged, this, &KestrionPropertySheet::OnTabChanged);
    connect(aboutAction_, &QAction::triggered, this, &KestrionPropertySheet::ShowAbout);
    connect(minimizeAction_, &QAction::triggered, this, &QWidget::showMinimized);
}

KestrionPropertySheet::~KestrionPropertySheet() {
    // The pages belong to whoever built them; they outlive the sheet's tabs.
    for (const QPointer<PropertyPage>& page : pages_) {
        if (page == nullptr) continue;
        page->AttachTo(nullptr, nullptr);
        page->setParent(nullptr);
    }
}

QPushButton* KestrionPropertySheet::OkButton() const {
    return buttons_->button(QDialogButtonBox::Ok);
}
QPushButton* KestrionPropertySheet::CancelButton() const {
    return buttons_->button(QDialogButtonBox::Cancel);
}
QPushButton* KestrionPropertySheet::ApplyButton() const {
    return buttons_->button(QDialogButtonBox::Apply);
}

void KestrionPropertySheet::AddPage(PropertyPage* page) {
    page->AttachTo(this, &context_);
    pages_.append(page);
    switching_ = true;
    tabs_->addTab(page, page->Caption());
    switching_ = false;
    PageModifiedChanged();
}

PropertyPage* KestrionPropertySheet::Page(int index) const {
    return index >= 0 && index < pages_.size() ? pages_[index] : nullptr;
}

void KestrionPropertySheet::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (activeIndex_ < 0 && Page(0) != nullptr) Activate(0);
}

void KestrionPropertySheet::Activate(int index) {
    activeIndex_ = index;
    switching_ = true;
    tabs_->setCurrentIndex(index);
    switching_ = false;
    PropertyPage* page = Page(index);
    if (page == nullptr) return;
    page->EnsureInitialized();
    page->OnSetActive();
}

bool KestrionPropertySheet::SetActivePage(int index) {
    if (Page(index) == nullptr) return false;
    if (index == activeIndex_) return true;
    PropertyPage* active = ActivePage();
    if (active != nullptr && !active->OnKillActive()) return false;
    Activate(index);
    return true;
}

void KestrionPropertySheet::OnTabChanged(int index) {
    if (switching_ || activeIndex_ < 0 || index == activeIndex_) return;
    // The tab bar has already switched. Put the active page back before anything
    // is drawn, then ask it whether it may be left.
    switching_ = true;
    tabs_->setCurrentIndex(activeIndex_);
    switching_ = false;
    QTimer::singleShot(0, this, [this, index] { SetActivePage(index); });
}

bool KestrionPropertySheet::ApplyPages(bool closing) {
    PropertyPage* active = ActivePage();
    if (active != nullptr && !active->OnKillActive()) return false;
    // Every page is checked before any is written, so that nothing goes out half.
    const QList<PropertyPage*> changed = ChangedPages();
    for (PropertyPage* page : changed)
        if (!AcceptsChanges(page)) return false;
    if (!DocumentsLoadedFor(changed)) return false;
    SendChanges(changed);
    if (!closing && ActivePage() != nullptr) ActivePage()->OnSetActive();
    return true;
}

QList<PropertyPage*> KestrionPropertySheet::ChangedPages() const {
    QList<PropertyPage*> changed;
    for (const QPointer<PropertyPage>& page : pages_)
        if (page != nullptr && page->Initialized() && page->IsModified()) changed.append(page);
    return changed;
}

bool KestrionPropertySheet::AcceptsChanges(PropertyPage* page) {
    // The active page has just been asked whether it may be left; the others
    // are asked the same, since their values go out as well.
    const bool active = page == ActivePage();
    if ((active || page->OnKillActive()) && page->OnApply()) return true;
    // The page whose values failed comes into sight; it has said why.
    if (!active) Activate(pages_.indexOf(page));
    return false;
}

bool KestrionPropertySheet::DocumentsLoadedFor(const QList<PropertyPage*>& changed) {
    for (PropertyPage* page : changed) {
        if (page->ChangedDocument() == PropertyPage::BoundDocument::None ||
            page->StartNode() != nullptr)
            continue;
        context_.prompts.Inform(kSettingsNotLoaded, CKestrionApp::kDisplayName,
                                Prompts::Icon::Warning);
        return false;
    }
    return true;
}

void KestrionPropertySheet::SendChanges(const QList<PropertyPage*>& changed) {
    bool settings = false;
    bool zelbo = false;
    for (PropertyPage* page : changed) {
        page->WriteChanges();
        settings = settings || page->ChangedDocument() == PropertyPage::BoundDocument::Settings;
        zelbo = zelbo || page->ChangedDocument() == PropertyPage::BoundDocument::Zelbo;
    }
    // However many pages changed a document, it goes to the device once.
    if (settings) ApplySettings();
    if (zelbo) ApplyZelboSettings();
    for (PropertyPage* page : changed) page->ShowAppliedDocument();
}

void KestrionPropertySheet::accept() {
    if (ApplyPages(true)) QDialog::accept();
}

void KestrionPropertySheet::Apply() { ApplyPages(false); }

void KestrionPropertySheet::PageModifiedChanged() {
    bool any = false;
    for (const QPointer<PropertyPage>& page : pages_)
        any = any || (page != nullptr && page->IsModified());
    ApplyButton()->setEnabled(any);
}

void KestrionPropertySheet::SetApplyHandlers(ApplyHandler settings, ApplyHandler zelbo) {
    applySettings_ = std::move(settings);
    applyZelbo_ = std::move(zelbo);
}

KestrionPropertySheet::ApplyHandler KestrionPropertySheet::DefaultHandler(bool zelbo) const {
    CKestrionApp* app = &context_.app;
    BatchExecutor* executor = &context_.executor;
    if (zelbo) return [app, executor] { return app->ApplyZelboSettings(*executor); };
    return [app, executor] { return app->ApplySettings(*executor); };
}

void KestrionPropertySheet::ApplySettings() {
    const ApplyHandler handler = applySettings_ ? applySettings_ : DefaultHandler(false);
    if (handler) ReportApply(handler());
}

void KestrionPropertySheet::ApplyZelboSettings() {
    const ApplyHandler handler = applyZelbo_ ? applyZelbo_ : DefaultHandler(true);
    if (handler) ReportApply(handler());
}

void KestrionPropertySheet::ReportApply(ApplyOutcome outcome) {
    if (outcome == ApplyOutcome::ReadBackFailed)
        context_.prompts.Inform(kReadBackFailed, kReadBackCaption, Prompts::Icon::Warning);
}

void KestrionPropertySheet::ShowAbout() {
    CAboutDlg about(this);
    about.exec();
}

}  // namespace merivane
