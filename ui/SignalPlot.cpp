#include "ui/SignalPlot.h"

#include <QChart>
#include <QLegendMarker>
#include <QLineSeries>
#include <QScatterSeries>
#include <QValueAxis>

#include "ops/SignalHistory.h"

namespace merivane {
namespace {

constexpr double kLowestDbm = -115;
constexpr double kHighestDbm = -51;
// Where the registration markers run: just above the bottom of the plot.
constexpr double kMarkerRow = -112;

struct RegistrationLook {
    const char* name;
    QScatterSeries::MarkerShape shape;
};

// The states in the order of registration_[], each with its own shape.
constexpr RegistrationLook kLooks[] = {
    {"registered home", QScatterSeries::MarkerShapeCircle},
    {"roaming", QScatterSeries::MarkerShapeRectangle},
    {"searching", QScatterSeries::MarkerShapeTriangle},
    {"denied", QScatterSeries::MarkerShapeStar},
    {"not registered", QScatterSeries::MarkerShapeRotatedRectangle},
};

int LookFor(int registration) {
    switch (registration) {
        case 1:
            return 0;
        case 5:
            return 1;
        case 2:
            return 2;
        case 3:
            return 3;
        default:
            return 4;
    }
}

}  // namespace

SignalPlot::SignalPlot(QWidget* parent) : QChartView(parent), chart_(new QChart) {
    setChart(chart_);
    setRenderHint(QPainter::Antialiasing);
    setAccessibleName(tr("Signal strength over the last 10 minutes"));
    setMinimumHeight(220);
    chart_->setMargins(QMargins(4, 4, 4, 4));
    chart_->legend()->setAlignment(Qt::AlignBottom);
    // The legend shows each state by its marker shape, not by colour alone.
    chart_->legend()->setMarkerShape(QLegend::MarkerShapeFromSeries);

    timeAxis_ = new QValueAxis(chart_);
    timeAxis_->setRange(-10, 0);
    timeAxis_->setTickCount(11);
    timeAxis_->setLabelFormat("%d");
    timeAxis_->setTitleText(tr("minutes ago"));
    chart_->addAxis(timeAxis_, Qt::AlignBottom);
    dbmAxis_ = new QValueAxis(chart_);
    dbmAxis_->setRange(kLowestDbm, kHighestDbm);
    dbmAxis_->setTickCount(5);
    dbmAxis_->setLabelFormat("%d");
    dbmAxis_->setTitleText(tr("dBm"));
    chart_->addAxis(dbmAxis_, Qt::AlignLeft);

    for (size_t i = 0; i < std::size(kLooks); ++i) {
        auto* series = new QScatterSeries(chart_);
        series->setName(tr(kLooks[i].name));
        series->setMarkerShape(kLooks[i].shape);
        series->setMarkerSize(9);
        chart_->addSeries(series);
        series->attachAxis(timeAxis_);
        series->attachAxis(dbmAxis_);
        registration_[i] = series;
    }
}

QLineSeries* SignalPlot::NewSegment() {
    auto* segment = new QLineSeries(chart_);
    segment->setName(tr("signal (dBm)"));
    // The text colour: apart from every registration marker's.
    segment->setPen(QPen(palette().color(QPalette::WindowText), 2));
    segment->setPointsVisible(true);  // a sample between two gaps still shows
    chart_->addSeries(segment);
    segment->attachAxis(timeAxis_);
    segment->attachAxis(dbmAxis_);
    // One legend entry for the line, however many pieces the gaps cut it into.
    const auto markers = chart_->legend()->markers(segment);
    const bool first = segments_ == 0;
    for (QLegendMarker* marker : markers) marker->setVisible(first);
    ++segments_;
    return segment;
}

void SignalPlot::Show(const SignalHistory& history, int64_t nowMs) {
    for (QAbstractSeries* series : chart_->series())
        if (qobject_cast<QLineSeries*>(series) != nullptr &&
            qobject_cast<QScatterSeries*>(series) == nullptr)
            chart_->removeSeries(series), delete series;
    for (QScatterSeries* series : registration_) series->clear();
    points_ = 0;
    segments_ = 0;

    QLineSeries* segment = nullptr;
    const SignalSample* previous = nullptr;
    for (const SignalSample& sample : history.Samples()) {
        if (previous != nullptr && sample.timeMs - previous->timeMs > gapMs_)
            segment = nullptr;  // no samples for a while: a gap, not a line across it
        previous = &sample;
        const double minutes = static_cast<double>(sample.timeMs - nowMs) / 60000.0;
        registration_[LookFor(sample.registration)]->append(minutes, kMarkerRow);
        const auto dbm = CsqToDbm(sample.csq);
        if (!dbm) {
            segment = nullptr;  // a gap
            continue;
        }
        if (segment == nullptr) segment = NewSegment();
        segment->append(minutes, *dbm);
        ++points_;
    }
}

}  // namespace merivane
