#include "ui/GuiResources.h"

#include <mutex>

// The resources live in a static library, whose registration object the
// linker would drop unless something names it.
static void RegisterGuiResources() { Q_INIT_RESOURCE(merivane); }

namespace merivane {
namespace {

void EnsureRegistered() {
    static std::once_flag once;
    std::call_once(once, RegisterGuiResources);
}

QPixmap LoadPixmap(const char* path) {
    EnsureRegistered();
    return QPixmap(path);
}

}  // namespace

QIcon AppIcon() {
    EnsureRegistered();
    return QIcon(":/images/merivane.png");
}

QPixmap LitImage() { return LoadPixmap(":/images/bar_lit.png"); }

QPixmap UnlitImage() { return LoadPixmap(":/images/bar_unlit.png"); }

}  // namespace merivane
