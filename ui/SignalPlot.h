#pragma once

#include <QChartView>
#include <cstdint>

class QChart;
class QLineSeries;
class QScatterSeries;
class QValueAxis;

namespace merivane {

class SignalHistory;

// The received signal strength of the last ten minutes, in dBm over minutes
// before now. A sample whose strength is not known leaves a gap in the line, and
// so does a time without samples (the device gone, polling paused for an apply).
// Along the bottom, each sample's registration state is a marker whose shape
// (not only its colour) tells home, roaming, searching, denied and not
// registered apart; the legend names them.
class SignalPlot : public QChartView {
    Q_OBJECT
  public:
    explicit SignalPlot(QWidget* parent = nullptr);

    // Draws `history` as seen at `nowMs` (milliseconds since 1970).
    void Show(const SignalHistory& history, int64_t nowMs);

    // Two samples further apart than this have a gap between them, not a line.
    void SetGapMs(int64_t gapMs) { gapMs_ = gapMs; }

    // How many samples the line shows (known strengths), and in how many pieces, for tests.
    int PointCount() const { return points_; }
    int SegmentCount() const { return segments_; }

  private:
    QLineSeries* NewSegment();

    QChart* chart_;
    QValueAxis* timeAxis_;
    QValueAxis* dbmAxis_;
    QScatterSeries* registration_[5];
    int points_ = 0;
    int segments_ = 0;
    int64_t gapMs_ = 6000;
};

}  // namespace merivane
