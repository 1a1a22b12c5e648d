#include "ui/SignalPlot.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>
#include <iterator>

#include "ops/SignalHistory.h"

namespace merivane {
namespace {

constexpr double kLowestDbm = -115;
constexpr double kHighestDbm = -51;
constexpr int kDbmTicks = 5;
constexpr int kMinutesShown = 10;
// Where the registration markers run: just above the bottom of the plot.
constexpr double kMarkerRow = -112;
constexpr double kMarkerSize = 9;

enum class Shape { Circle, Square, Triangle, Star, Diamond };

struct RegistrationLook {
    const char* name;
    Shape shape;
    QRgb colour;
};

// Each state with its own shape, so the plot reads without colour too.
constexpr RegistrationLook kLooks[] = {
    {"registered home", Shape::Circle, 0xff209fdf}, {"roaming", Shape::Square, 0xfff6a625},
    {"searching", Shape::Triangle, 0xff99ca53},     {"denied", Shape::Star, 0xffbf593e},
    {"not registered", Shape::Diamond, 0xff6d5fd5},
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

QPainterPath ShapePath(Shape shape, QPointF centre, double size) {
    const double r = size / 2;
    QPainterPath path;
    switch (shape) {
        case Shape::Circle:
            path.addEllipse(centre, r, r);
            break;
        case Shape::Square:
            path.addRect(QRectF(centre.x() - r, centre.y() - r, size, size));
            break;
        case Shape::Triangle:
            path.moveTo(centre.x(), centre.y() - r);
            path.lineTo(centre.x() + r, centre.y() + r);
            path.lineTo(centre.x() - r, centre.y() + r);
            path.closeSubpath();
            break;
        case Shape::Star:
            for (int i = 0; i < 10; ++i) {
                const double radius = i % 2 == 0 ? r * 1.15 : r * 0.5;
                const double angle = M_PI * (i / 5.0 - 0.5);
                const QPointF p(centre.x() + radius * std::cos(angle),
                                centre.y() + radius * std::sin(angle));
                i == 0 ? path.moveTo(p) : path.lineTo(p);
            }
            path.closeSubpath();
            break;
        case Shape::Diamond:
            path.moveTo(centre.x(), centre.y() - r);
            path.lineTo(centre.x() + r, centre.y());
            path.lineTo(centre.x(), centre.y() + r);
            path.lineTo(centre.x() - r, centre.y());
            path.closeSubpath();
            break;
    }
    return path;
}

void DrawMarker(QPainter& painter, int look, QPointF centre) {
    painter.setPen(QPen(QColor(kLooks[look].colour).darker(150), 1));
    painter.setBrush(QColor(kLooks[look].colour));
    painter.drawPath(ShapePath(kLooks[look].shape, centre, kMarkerSize));
}

// Maps (minutes before now, dBm) into the plot's rectangle.
class PlotArea {
  public:
    explicit PlotArea(QRectF rect) : rect_(rect) {}
    QPointF At(QPointF value) const {
        const double x = (value.x() + kMinutesShown) / kMinutesShown;
        const double y = (kHighestDbm - value.y()) / (kHighestDbm - kLowestDbm);
        return {rect_.left() + x * rect_.width(), rect_.top() + y * rect_.height()};
    }
    const QRectF& Rect() const { return rect_; }

  private:
    QRectF rect_;
};

}  // namespace

SignalPlot::SignalPlot(QWidget* parent) : QWidget(parent) {
    setAccessibleName(tr("Signal strength over the last 10 minutes"));
    setMinimumHeight(220);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void SignalPlot::Show(const SignalHistory& history, int64_t nowMs) {
    segments_.clear();
    markers_.clear();
    points_ = 0;

    bool inSegment = false;
    const SignalSample* previous = nullptr;
    for (const SignalSample& sample : history.Samples()) {
        if (previous != nullptr && sample.timeMs - previous->timeMs > gapMs_)
            inSegment = false;  // no samples for a while: a gap, not a line across it
        previous = &sample;
        const double minutes = static_cast<double>(sample.timeMs - nowMs) / 60000.0;
        markers_.push_back({QPointF(minutes, kMarkerRow), LookFor(sample.registration)});
        const auto dbm = CsqToDbm(sample.csq);
        if (!dbm) {
            inSegment = false;  // a gap
            continue;
        }
        if (!inSegment) segments_.emplace_back();
        inSegment = true;
        segments_.back().emplace_back(minutes, *dbm);
        ++points_;
    }
    update();
}

int SignalPlot::DrawLegend(QPainter& painter, const QRect& area) const {
    const QFontMetrics metrics = painter.fontMetrics();
    const int symbol = 16;
    const int rowHeight = std::max(metrics.height(), symbol) + 2;
    // The line first, then each registration state, flowing onto more rows when narrow.
    std::vector<QString> names{tr("signal (dBm)")};
    for (const RegistrationLook& look : kLooks) names.push_back(tr(look.name));
    std::vector<QRect> places;
    int x = 0;
    int row = 0;
    for (const QString& name : names) {
        const int width = symbol + 4 + metrics.horizontalAdvance(name);
        if (x > 0 && x + width > area.width()) x = 0, ++row;
        places.emplace_back(x, row * rowHeight, width, rowHeight);
        x += width + 14;
    }
    const int height = (row + 1) * rowHeight;
    const int top = area.bottom() - height + 1;
    for (size_t i = 0; i < names.size(); ++i) {
        const QRect place = places[i].translated(area.left(), top);
        const QPointF centre(place.left() + symbol / 2.0, place.center().y());
        if (i == 0) {
            painter.setPen(QPen(palette().color(QPalette::WindowText), 2));
            painter.drawLine(QPointF(place.left(), centre.y()),
                             QPointF(place.left() + symbol, centre.y()));
        } else {
            DrawMarker(painter, static_cast<int>(i - 1), centre);
        }
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(place.adjusted(symbol + 4, 0, 0, 0), Qt::AlignVCenter | Qt::AlignLeft,
                         names[i]);
    }
    return height;
}

void SignalPlot::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(rect(), palette().color(QPalette::Base));
    const QColor text = palette().color(QPalette::WindowText);
    const QFontMetrics metrics = painter.fontMetrics();
    const int line = metrics.height();

    const QRect inside = rect().adjusted(6, 6, -6, -6);
    const int legendHeight = DrawLegend(painter, inside);
    const int left = inside.left() + line + 6 + metrics.horizontalAdvance("-115") + 6;
    const int right = inside.right() - metrics.horizontalAdvance("-10") / 2;
    const int top = inside.top() + line / 2;
    const int bottom = inside.bottom() - legendHeight - 2 * line - 10;
    if (right - left < 40 || bottom - top < 40) return;  // too small to read
    const PlotArea area(QRectF(QPointF(left, top), QPointF(right, bottom)));

    // The grid, with a label at each line.
    QColor grid = text;
    grid.setAlpha(40);
    for (int minute = -kMinutesShown; minute <= 0; ++minute) {
        const QPointF at = area.At(QPointF(minute, kLowestDbm));
        painter.setPen(grid);
        painter.drawLine(QPointF(at.x(), top), at);
        painter.setPen(text);
        painter.drawText(QRectF(at.x() - 30, bottom + 3, 60, line), Qt::AlignHCenter,
                         QString::number(minute));
    }
    for (int tick = 0; tick < kDbmTicks; ++tick) {
        const double dbm = kLowestDbm + tick * (kHighestDbm - kLowestDbm) / (kDbmTicks - 1);
        const QPointF at = area.At(QPointF(-kMinutesShown, dbm));
        painter.setPen(grid);
        painter.drawLine(at, QPointF(right, at.y()));
        painter.setPen(text);
        painter.drawText(QRectF(left - 200 - 6, at.y() - line / 2.0, 200, line),
                         Qt::AlignRight | Qt::AlignVCenter, QString::number(std::lround(dbm)));
    }
    painter.drawText(QRectF(left, bottom + line + 6, right - left, line), Qt::AlignHCenter,
                     tr("minutes ago"));
    painter.save();
    painter.translate(inside.left(), (top + bottom) / 2.0);
    painter.rotate(-90);
    painter.drawText(QRectF(-100, 0, 200, line), Qt::AlignHCenter, tr("dBm"));
    painter.restore();
    painter.setPen(QPen(text, 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(area.Rect());

    // Samples from before the window or (with a fast clock) after now stay outside it.
    painter.setClipRect(area.Rect().adjusted(-kMarkerSize, -kMarkerSize, 1, 1));
    painter.setPen(QPen(text, 2));
    for (const auto& segment : segments_) {
        std::vector<QPointF> points;
        std::transform(segment.begin(), segment.end(), std::back_inserter(points),
                       [&](QPointF value) { return area.At(value); });
        painter.drawPolyline(points.data(), static_cast<int>(points.size()));
        painter.setBrush(text);  // a sample between two gaps still shows
        for (const QPointF& point : points) painter.drawEllipse(point, 2.5, 2.5);
        painter.setBrush(Qt::NoBrush);
    }
    for (const Marker& marker : markers_) DrawMarker(painter, marker.look, area.At(marker.at));
}

}  // namespace merivane
