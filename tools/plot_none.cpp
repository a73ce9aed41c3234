// acquire --plot in a build without Qt 6 Gui.
#include "plot.h"

namespace mirbax::tool {

bool PlotAvailable() { return false; }

bool WritePlot(const std::string &, const std::vector<PlotSeries> &, const std::string &, double,
               std::string &error) {
  error = "this mirbax was built without Qt 6 Gui: --plot is not available";
  return false;
}

}  // namespace mirbax::tool
