// acquire --plot with Qt's painter: the channels against time (or scan
// number), on a white picture with axes, a grid and a legend.
#include <QtCore/QString>
#include <QtGui/QColor>
#include <QtGui/QFont>
#include <QtGui/QGuiApplication>
#include <QtGui/QImage>
#include <QtGui/QPainter>
#include <QtGui/QPainterPath>

#include <algorithm>
#include <cmath>
#include <memory>

#include "plot.h"

namespace mirbax::tool {

namespace {

constexpr int kWidth = 1200;
constexpr int kHeight = 700;
constexpr int kLeft = 90, kRight = 30, kTop = 40, kBottom = 60;
constexpr int kGridLines = 5;

const QColor kColours[] = {QColor(31, 119, 180), QColor(255, 127, 14), QColor(44, 160, 44),
                           QColor(214, 39, 40),  QColor(148, 103, 189), QColor(140, 86, 75),
                           QColor(227, 119, 194), QColor(127, 127, 127)};

// Fonts need a GUI application; the tool draws off screen, on any machine.
void EnsureGuiApplication() {
  if (QGuiApplication::instance()) return;
  static int argc = 3;
  static char name[] = "mirbax", option[] = "-platform", platform[] = "offscreen";
  static char *argv[] = {name, option, platform, nullptr};
  static std::unique_ptr<QGuiApplication> application =
      std::make_unique<QGuiApplication>(argc, argv);
}

struct Range {
  double low, high;
};

Range ValueRange(const std::vector<PlotSeries> &series) {
  Range range{INFINITY, -INFINITY};
  for (const PlotSeries &s : series)
    for (double v : s.values) {
      range.low = std::min(range.low, v);
      range.high = std::max(range.high, v);
    }
  if (!(range.low <= range.high)) return {0, 1};
  if (range.high - range.low < 1e-9) return {range.low - 1, range.high + 1};
  const double margin = (range.high - range.low) * 0.05;
  return {range.low - margin, range.high + margin};
}

void DrawAxes(QPainter &painter, const QRect &area, Range values, double xEnd,
              const QString &xLabel, const QString &yLabel) {
  painter.setPen(QPen(QColor(220, 220, 220), 1));
  for (int i = 0; i <= kGridLines; ++i) {
    const int y = area.bottom() - i * area.height() / kGridLines;
    const int x = area.left() + i * area.width() / kGridLines;
    painter.drawLine(area.left(), y, area.right(), y);
    painter.drawLine(x, area.top(), x, area.bottom());
  }
  painter.setPen(QPen(Qt::black, 1));
  painter.drawRect(area);
  for (int i = 0; i <= kGridLines; ++i) {
    const int y = area.bottom() - i * area.height() / kGridLines;
    const int x = area.left() + i * area.width() / kGridLines;
    const double value = values.low + (values.high - values.low) * i / kGridLines;
    painter.drawText(QRect(0, y - 10, kLeft - 8, 20), Qt::AlignRight | Qt::AlignVCenter,
                     QString::number(value, 'g', 6));
    painter.drawText(QRect(x - 50, area.bottom() + 6, 100, 20), Qt::AlignHCenter,
                     QString::number(xEnd * i / kGridLines, 'g', 6));
  }
  painter.drawText(QRect(area.left(), area.bottom() + 30, area.width(), 20), Qt::AlignHCenter,
                   xLabel);
  painter.save();
  painter.translate(16, area.center().y());
  painter.rotate(-90);
  painter.drawText(QRect(-area.height() / 2, -10, area.height(), 20), Qt::AlignHCenter, yLabel);
  painter.restore();
}

void DrawSeries(QPainter &painter, const QRect &area, Range values, std::size_t scans,
                const PlotSeries &series, const QColor &colour) {
  if (series.values.empty()) return;
  QPainterPath path;
  const double xScale = scans > 1 ? double(area.width()) / double(scans - 1) : 0.0;
  const double yScale = area.height() / (values.high - values.low);
  for (std::size_t i = 0; i < series.values.size(); ++i) {
    const QPointF point(area.left() + i * xScale,
                        area.bottom() - (series.values[i] - values.low) * yScale);
    if (i == 0) path.moveTo(point);
    else path.lineTo(point);
  }
  painter.setPen(QPen(colour, 1.5));
  painter.drawPath(path);
}

void DrawLegend(QPainter &painter, const QRect &area, const std::vector<PlotSeries> &series) {
  int y = area.top() + 8;
  for (std::size_t i = 0; i < series.size() && y < area.bottom() - 16; ++i, y += 18) {
    const QColor &colour = kColours[i % std::size(kColours)];
    painter.fillRect(area.right() - 90, y + 4, 14, 8, colour);
    painter.setPen(Qt::black);
    painter.drawText(area.right() - 70, y + 12, QString::fromStdString(series[i].name));
  }
}

}  // namespace

bool PlotAvailable() { return true; }

bool WritePlot(const std::string &path, const std::vector<PlotSeries> &series,
               const std::string &unit, double scansPerSecond, std::string &error) {
  EnsureGuiApplication();
  QImage image(kWidth, kHeight, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  const QRect area(kLeft, kTop, kWidth - kLeft - kRight, kHeight - kTop - kBottom);
  std::size_t scans = 0;
  for (const PlotSeries &s : series) scans = std::max(scans, s.values.size());
  const Range values = ValueRange(series);
  const bool timed = scansPerSecond > 0;
  const double xEnd = scans > 1 ? (timed ? (scans - 1) / scansPerSecond : double(scans - 1)) : 1.0;
  DrawAxes(painter, area, values, xEnd, timed ? "time (s)" : "scan",
           QString::fromStdString(unit));
  painter.setClipRect(area);
  for (std::size_t i = 0; i < series.size(); ++i)
    DrawSeries(painter, area, values, scans, series[i], kColours[i % std::size(kColours)]);
  painter.setClipping(false);
  DrawLegend(painter, area, series);
  painter.drawText(QRect(kLeft, 8, area.width(), 24), Qt::AlignHCenter,
                   QString("mirbax acquire: %1 scans").arg(scans));
  painter.end();
  if (!image.save(QString::fromStdString(path), "PNG")) {
    error = "cannot write the plot '" + path + "'";
    return false;
  }
  return true;
}

}  // namespace mirbax::tool
