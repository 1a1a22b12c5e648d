#include "pages/DesktopRun.h"

#include <QTimer>

#include "app/CKestrionApp.h"
#include "app/Product.h"
#include "app/Startup.h"
#include "pages/PageSet.h"
#include "ui/ComSearch.h"
#include "ui/DialogExecutor.h"
#include "ui/KestrionPropertySheet.h"

namespace merivane {

void RunDesktop(CKestrionApp& app, const StartupOptions& options, Prompts& prompts,
                const std::function<void(KestrionPropertySheet&)>& sheetShown) {
    DialogExecutor executor(app.Link());
    KestrionPropertySheet sheet(PageContext{&app, &prompts, &executor});
    PageSet pages;

    StartupHooks hooks;
    hooks.prompts = &prompts;
    hooks.executor = &executor;
    hooks.choosePort = &ComSearch::Choose;
    hooks.runSheet = [&] {
        pages.AddTo(sheet, g_product, app.Documents().ZelboPresent());
        executor.SetOwner(&sheet);
        if (sheetShown) QTimer::singleShot(0, &sheet, [&] { sheetShown(sheet); });
        sheet.exec();
        executor.SetOwner(nullptr);
    };
    RunStartup(app, options, hooks);
}

}  // namespace merivane
