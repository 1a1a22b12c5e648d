#pragma once

#include <QColor>
#include <QLabel>

namespace merivane {

// A text that behaves like a link: drawn in the link colour, underlined and
// drawn in the hover colour while the mouse is over it, with a hand cursor, a
// focus frame when tabbed to, and a click (or the space key) reported through
// Clicked() when the parent asked for reports.
class CHyperLink : public QLabel {
    Q_OBJECT
  public:
    explicit CHyperLink(QWidget* parent = nullptr);

    // A click is reported to the parent (through Clicked) instead of being ignored.
    void SetNotifyParent(bool notify) { notifyParent_ = notify; }
    bool NotifyParent() const { return notifyParent_; }

    bool Hovered() const { return hovered_; }
    QColor LinkColour() const { return linkColour_; }
    QColor HoverColour() const { return hoverColour_; }
    QColor ShownColour() const;
    void SetColours(const QColor& link, const QColor& hover);

  signals:
    void Clicked();

  protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

  private:
    void SetHovered(bool hovered);
    void ApplyLook();
    void Report();

    bool notifyParent_ = false;
    bool hovered_ = false;
    QColor linkColour_;
    QColor hoverColour_;
};

}  // namespace merivane
