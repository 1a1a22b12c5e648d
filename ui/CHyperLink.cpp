#include "ui/CHyperLink.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>

namespace merivane {

CHyperLink::CHyperLink(QWidget* parent)
    : QLabel(parent), linkColour_(palette().color(QPalette::Link)), hoverColour_(255, 0, 0) {
    setCursor(Qt::PointingHandCursor);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setTextFormat(Qt::PlainText);
    setAccessibleDescription("Link");
    ApplyLook();
}

QColor CHyperLink::ShownColour() const { return hovered_ ? hoverColour_ : linkColour_; }

void CHyperLink::SetColours(const QColor& link, const QColor& hover) {
    linkColour_ = link;
    hoverColour_ = hover;
    ApplyLook();
}

void CHyperLink::SetHovered(bool hovered) {
    if (hovered_ == hovered) return;
    hovered_ = hovered;
    ApplyLook();
}

void CHyperLink::ApplyLook() {
    QPalette colours = palette();
    colours.setColor(QPalette::WindowText, ShownColour());
    setPalette(colours);
    QFont look = font();
    look.setUnderline(hovered_);
    setFont(look);
    update();
}

void CHyperLink::enterEvent(QEnterEvent* event) {
    QLabel::enterEvent(event);
    SetHovered(true);
}

void CHyperLink::leaveEvent(QEvent* event) {
    QLabel::leaveEvent(event);
    SetHovered(false);
}

void CHyperLink::mouseMoveEvent(QMouseEvent* event) {
    QLabel::mouseMoveEvent(event);
    SetHovered(rect().contains(event->position().toPoint()));
}

void CHyperLink::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        Report();
        event->accept();
        return;
    }
    QLabel::mouseReleaseEvent(event);
}

void CHyperLink::keyReleaseEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Space && !event->isAutoRepeat()) {
        Report();
        event->accept();
        return;
    }
    QLabel::keyReleaseEvent(event);
}

void CHyperLink::Report() {
    if (notifyParent_) emit Clicked();
    SetHovered(false);
}

void CHyperLink::paintEvent(QPaintEvent* event) {
    QLabel::paintEvent(event);
    if (!hasFocus()) return;
    QPainter painter(this);
    QStyleOptionFocusRect option;
    option.initFrom(this);
    option.backgroundColor = palette().color(QPalette::Window);
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
}

void CHyperLink::focusInEvent(QFocusEvent* event) {
    QLabel::focusInEvent(event);
    update();
}

void CHyperLink::focusOutEvent(QFocusEvent* event) {
    QLabel::focusOutEvent(event);
    update();
}

}  // namespace merivane
