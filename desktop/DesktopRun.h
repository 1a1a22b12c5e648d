#pragma once

#include <functional>

namespace merivane {

class CKestrionApp;
class KestrionPropertySheet;
class Prompts;
struct StartupOptions;

// The desktop program's whole run: start-up with its messages and progress
// dialogs, then the sheet with the pages that suit the product, until the
// sheet closes. `sheetShown`, when given, is called once the sheet's modal
// run has started (tests drive the sheet from there).
void RunDesktop(CKestrionApp& app, const StartupOptions& options, Prompts& prompts,
                const std::function<void(KestrionPropertySheet&)>& sheetShown = {});

}  // namespace merivane
