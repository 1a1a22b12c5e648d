#pragma once

#include <QPointF>
#include <QWidget>
#include <cstdint>
#include <vector>

namespace merivane {

class SignalHistory;

// The received signal strength of the last ten minutes, in dBm over minutes
// before now. A sample whose strength is not known leaves a gap in the line, and
// so does a time without samples (the device gone, polling paused for an apply).
// Along the bottom, each sample's registration state is a marker whose shape
// (not only its colour) tells home, roaming, searching, denied and not
// registered apart; the legend names them. Drawn with QPainter alone, so the
// program needs nothing of Qt beyond its base modules on any platform.
class SignalPlot : public QWidget {
    Q_OBJECT
  public:
    explicit SignalPlot(QWidget* parent = nullptr);

    // Draws `history` as seen at `nowMs` (milliseconds since 1970).
    void Show(const SignalHistory& history, int64_t nowMs);

    // Two samples further apart than this have a gap between them, not a line.
    void SetGapMs(int64_t gapMs) { gapMs_ = gapMs; }

    // How many samples the line shows (known strengths), and in how many pieces, for tests.
    int PointCount() const { return points_; }
    int SegmentCount() const { return static_cast<int>(segments_.size()); }

    QSize sizeHint() const override { return {640, 260}; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    struct Marker {
        QPointF at;  // minutes before now, dBm
        int look;    // index into the registration looks
    };

    // Draws the legend along the bottom of `area`, returns the height it took.
    int DrawLegend(QPainter& painter, const QRect& area) const;

    std::vector<std::vector<QPointF>> segments_;  // each: (minutes before now, dBm)
    std::vector<Marker> markers_;
    int points_ = 0;
    int64_t gapMs_ = 6000;
};

}  // namespace merivane
