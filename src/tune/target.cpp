#include "tune/target.h"

#include <charconv>
#include <cmath>
#include <sstream>

namespace vela::tune {
namespace {

std::optional<double> number(std::string_view s) {
    double v = 0;
    if (!s.empty() && s.front() == '+') s.remove_prefix(1);
    const auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (s.empty() || ec != std::errc() || p != s.data() + s.size() || !std::isfinite(v)) return std::nullopt;
    return v;
}

std::vector<std::string_view> fields(std::string_view line) {
    std::vector<std::string_view> out;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == ',' || line[i] == ';'))
            ++i;
        const std::size_t start = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != ',' && line[i] != ';')
            ++i;
        if (i > start) out.push_back(line.substr(start, i - start));
    }
    return out;
}

} // namespace

Target Target::slope(double dbPerOctave) {
    Target t;
    t.slope_ = dbPerOctave;
    return t;
}

Target Target::points(std::vector<std::pair<double, double>> hzDb) {
    Target t;
    t.points_ = std::move(hzDb);
    return t;
}

double Target::at(double hz) const {
    if (points_.empty()) return slope_ * std::log2(hz / 1000.0);
    if (hz <= points_.front().first) return points_.front().second;
    if (hz >= points_.back().first) return points_.back().second;
    std::size_t k = 1;
    while (points_[k].first < hz)
        ++k;
    const auto& [f0, d0] = points_[k - 1];
    const auto& [f1, d1] = points_[k];
    return d0 + (d1 - d0) * std::log(hz / f0) / std::log(f1 / f0);
}

std::string Target::describe() const {
    if (!points_.empty()) return std::to_string(points_.size()) + " points";
    if (slope_ == 0.0) return "flat";
    std::ostringstream s;
    s << slope_ << " dB/octave";
    return s.str();
}

std::optional<Target> parseTarget(std::string_view text, std::string& error) {
    std::vector<std::pair<double, double>> points;
    int lineNumber = 0;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view line = text.substr(start, end - start);
        start = end + 1;
        ++lineNumber;
        const auto f = fields(line);
        if (f.empty() || f[0].front() == '*' || f[0].front() == '#' || f[0].front() == '"') continue;
        const auto hz = number(f[0]);
        const auto db = f.size() > 1 ? number(f[1]) : std::nullopt;
        if (!hz && points.empty()) continue; // a line of column names
        if (!hz || !db || *hz <= 0) {
            error = "line " + std::to_string(lineNumber) + " is not a frequency and a level in dB";
            return std::nullopt;
        }
        if (!points.empty() && *hz <= points.back().first) {
            error = "line " + std::to_string(lineNumber) + ": the frequencies must rise";
            return std::nullopt;
        }
        points.emplace_back(*hz, *db);
    }
    if (points.size() < 2) {
        error = points.empty() ? "it holds no point" : "it holds one point; a target needs two or more";
        return std::nullopt;
    }
    return Target::points(std::move(points));
}

} // namespace vela::tune
