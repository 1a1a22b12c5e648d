#include "ui/GuiResources.h"

#include <QPainter>
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

QPixmap UnknownImage() {
    // The unlit image, faded, with a question mark over it: neither lit nor unlit.
    const QPixmap unlit = UnlitImage();
    QPixmap unknown(unlit.size());
    unknown.fill(Qt::transparent);
    QPainter painter(&unknown);
    painter.setOpacity(0.45);
    painter.drawPixmap(0, 0, unlit);
    painter.setOpacity(1.0);
    QFont font = painter.font();
    font.setBold(true);
    font.setPixelSize(unknown.height() - 2);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(unknown.rect(), Qt::AlignCenter, QStringLiteral("?"));
    return unknown;
}

}  // namespace merivane
