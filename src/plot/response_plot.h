#pragma once
// The response plot of a preset: magnitude and phase of each output's equaliser, crossover and
// their sum on the display grid, with the imported measurement and what the processing makes
// of it. Split shows each output in its own pair of panels; combined shows both outputs'
// totals in one pair.

#include <QSize>

#include <string>

class QPainter;
class QRectF;

namespace vela {

struct PresetParameters;

namespace plot {

// The size the plot is laid out for; a picture file has this size.
inline constexpr QSize kResponsePlotSize{1400, 1040};

// Draws the plot scaled to fit `target`, in its own proportions, centred. Leaves the
// painter's state as it found it.
void drawResponsePlot(QPainter& painter, const QRectF& target, const PresetParameters& preset,
                      const std::string& caption, bool combined);

// The picture files saveResponsePlot writes: names ending in .svg or .png, in any case.
bool isPlotFileName(const std::string& file);

// Writes the plot at its own size to `file`, SVG or PNG by the name's ending. The file is
// replaced only once the whole picture is written, where its folder allows. False with the
// reason in `error`.
bool saveResponsePlot(const std::string& file, const PresetParameters& preset, const std::string& caption,
                      bool combined, std::string& error);

}  // namespace plot
}  // namespace vela
