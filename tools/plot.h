// acquire --plot: a picture of the acquired channels.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace mirbax::tool {

struct PlotSeries {
  std::string name;          // "ch 3"
  std::vector<double> values;  // one per scan
};

// Writes a PNG of the series against the scan number; false with a message.
// `unit` labels the value axis.
bool WritePlot(const std::string &path, const std::vector<PlotSeries> &series,
               const std::string &unit, double scansPerSecond, std::string &error);

// False when the tool was built without Qt.
bool PlotAvailable();

}  // namespace mirbax::tool
