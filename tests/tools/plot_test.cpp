// acquire --plot's picture, drawn from known series.
#include <gtest/gtest.h>

#ifdef MIRBAX_TOOL_HAVE_PLOT
#include <QtGui/QImage>

#include <cmath>
#include <cstdio>

#include "plot.h"

namespace mirbax::tool {
namespace {

TEST(Plot, DrawsEachSeriesInItsColourOnAWhitePicture) {
  char pattern[] = "/tmp/mirbax-plot-XXXXXX";
  const std::string directory = mkdtemp(pattern);
  const std::string path = directory + "/plot.png";
  PlotSeries sine{"ch 0", {}}, flat{"ch 1", {}};
  for (int i = 0; i < 500; ++i) {
    sine.values.push_back(1000 + 800 * std::sin(i / 20.0));
    flat.values.push_back(100);
  }
  std::string error;
  ASSERT_TRUE(WritePlot(path, {sine, flat}, "counts", 1000, error)) << error;
  QImage image(QString::fromStdString(path));
  ASSERT_FALSE(image.isNull());
  EXPECT_EQ(image.size(), QSize(1200, 700));
  // The corner is background; the picture holds the first two colours.
  EXPECT_EQ(image.pixelColor(2, 2), QColor(Qt::white));
  int blue = 0, orange = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) {
      const QColor c = image.pixelColor(x, y);
      blue += c == QColor(31, 119, 180);
      orange += c == QColor(255, 127, 14);
    }
  EXPECT_GT(blue, 500);
  EXPECT_GT(orange, 500);
  std::remove(path.c_str());
  std::remove(directory.c_str());
}

TEST(Plot, AnUnwritablePathIsAnError) {
  std::string error;
  EXPECT_FALSE(WritePlot("/nonexistent/dir/plot.png", {{"ch 0", {1, 2}}}, "counts", 0, error));
  EXPECT_EQ(error, "cannot write the plot '/nonexistent/dir/plot.png'");
}

}  // namespace
}  // namespace mirbax::tool
#endif
