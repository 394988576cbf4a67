#pragma once
// The response a cabinet is tuned towards: flat, a slope in dB per octave through 0 dB at
// 1 kHz, or points of frequency and dB read from a file (straight lines between them on a
// logarithmic frequency axis, level beyond the ends).

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vela::tune {

class Target {
  public:
    static Target flat() { return Target{}; }
    static Target slope(double dbPerOctave);
    // Two or more points, frequencies rising.
    static Target points(std::vector<std::pair<double, double>> hzDb);

    double at(double hz) const;
    std::string describe() const;

  private:
    double slope_ = 0.0;
    std::vector<std::pair<double, double>> points_;
};

// A target file: a line per point, frequency and dB separated by blanks, tabs or a comma; blank
// lines, lines of column names and lines beginning with * # or " are skipped. Nothing, with
// `error` saying why, for a file of fewer than two points or with frequencies that do not rise.
std::optional<Target> parseTarget(std::string_view text, std::string& error);

} // namespace vela::tune
