#include "desktop/DesktopRun.h"

#include <QApplication>
#include <QTimer>

#include "app/CKestrionApp.h"
#include "app/Product.h"
#include "app/Startup.h"
#include "pages/PageSet.h"
#include "ui/ComSearch.h"
#include "ui/DialogExecutor.h"
#include "ui/KestrionPropertySheet.h"
#include "ui/QtText.h"
#include "ui/StartupWindow.h"

namespace merivane {

void RunDesktop(CKestrionApp& app, const StartupOptions& options, Prompts& prompts,
                const std::function<void(KestrionPropertySheet&)>& sheetShown) {
    // Something on the screen at once: the sheet and its pages take a moment
    // to build, and start-up's exchanges take seconds.
    StartupWindow startup(app.Link());
    startup.show();
    QApplication::processEvents();

    DialogExecutor executor(app.Link());
    KestrionPropertySheet sheet(PageContext{app, prompts, executor});
    PageSet pages;

    StartupHooks hooks;
    hooks.prompts = &prompts;
    hooks.executor = &executor;
    // Detection runs on start-up's worker thread; the chooser is a dialog.
    hooks.choosePort = [](const std::vector<std::string>& candidates) {
        std::string chosen;
        StartupWindow::OnUserInterfaceThread([&] { chosen = ComSearch::Choose(candidates); });
        return chosen;
    };
    hooks.runStep = [&](const std::string& step, const std::function<void()>& exchange) {
        return startup.RunStep(ToQt(step), exchange);
    };
    hooks.runSheet = [&] {
        startup.hide();
        pages.AddTo(sheet, g_product, app.Documents().ZelboPresent());
        executor.SetOwner(&sheet);
        if (sheetShown) QTimer::singleShot(0, &sheet, [&] { sheetShown(sheet); });
        sheet.exec();
        executor.SetOwner(nullptr);
    };
    RunStartup(app, options, hooks);
    startup.hide();
}

}  // namespace merivane
