#include "tune/fitter.h"
#include "tune/quiet_ui.h"

#include "dsp/design_error.h"
#include "dsp/xover.h"
#include "preset/parameter_table.h"
#include "preset/program_image.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <numbers>
#include <stdexcept>
#include <tuple>

namespace vela::tune {
namespace {

constexpr std::int32_t kFs = kSampleRate;
constexpr int kMaxDelay = 139;                   // samples, the delay control's top
constexpr int kLevelTop = 361, kLevelBottom = 0; // the level slider's positions
constexpr std::uint8_t kBandType = dsp::kCodeParametricAdaptive;
constexpr int kLowestQ = 30, kHighestQ = 1200; // hundredths: wider or sharper helps no 1/6-octave sum
constexpr double kMaxCutDb = 15.0;
constexpr double kOutOfBand = 0.1; // -20 dB
// A magnitude-only fit judges an output where its crossover passes at least this much.
constexpr double kPassbandDb = -12.0;

// An output's crossover in dB, where a magnitude-only fit judges it; -inf elsewhere.
std::vector<double> passbandDb(const Response& crossover) {
    std::vector<double> db(crossover.size());
    for (std::size_t i = 0; i < db.size(); ++i) {
        db[i] = levelDb(crossover[i]);
        if (!(db[i] >= kPassbandDb)) db[i] = -HUGE_VAL;
    }
    return db;
}

// The level slider's dB, computed as its procedure computes it.
double levelOfPosition(int position) {
    return (361 - position) * 0.1 - 30.0;
}
int positionOfLevel(double db) {
    return std::clamp(static_cast<int>(std::lround((db + 30.0) * -10.0 + 361.0)), kLevelBottom, kLevelTop);
}

// Whole tenths and hundredths as text that reads back as k / 10.0 and k / 100.0 exactly.
std::string decimalText(int k, int places) {
    const int unit = places == 1 ? 10 : 100;
    const int a = std::abs(k);
    std::string frac = std::to_string(a % unit);
    while (static_cast<int>(frac.size()) < places)
        frac = "0" + frac;
    return (k < 0 ? "-" : "") + std::to_string(a / unit) + "." + frac;
}

std::string levelText(int position) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.1f", levelOfPosition(position));
    return buf;
}

const char* alignmentName(std::uint8_t code) {
    switch ((code + 1) / 2) {
    case 1:
        return "ButtW";
    case 2:
        return "L-Riley";
    case 3:
        return "Bessel";
    default:
        return "ByPass";
    }
}

struct Band {
    int hz = 1000, gain = 0, q = 100; // Hz, tenths of a dB, hundredths
    Response r;
};

// One candidate: the edge between the drivers on each output, levels, delays, polarities and
// the equaliser bands the fit places.
struct State {
    std::array<EdgeChoice, 2> edge{};
    std::array<const Response*, 2> edgeR{};
    std::array<int, 2> level{}; // slider positions
    std::array<bool, 2> inverted{};
    std::array<int, 2> delay{};
    std::array<std::vector<Band>, 2> bands;
    std::array<Response, 2> bandProduct;
};

class Fitter {
  public:
    Fitter(const PresetParameters& p, const std::array<DriverResponse, 2>& drivers, const FitOptions& o,
           std::stop_token stop, const FitProgress& progress)
        : p_(p), o_(o), stop_(std::move(stop)), progress_(progress), grid_(fitGrid(o.low, o.high)) {
        const std::size_t n = grid_.hz.size();
        if (o_.magnitudeOnly) {
            // Without phase there is no sum to choose a crossover or an alignment by.
            o_.keepCrossover = true;
            o_.keepAlignment = true;
        }
        for (const double f : grid_.hz)
            target_.push_back(o.target.at(f));
        use_ = grid_.inRange;
        for (int d = 0; d <= kMaxDelay; ++d)
            delays_.push_back(delayResponse(d, grid_.hz, kFs));
        // Which driver plays low: the one whose power lies lower in frequency.
        std::array<double, 2> centre{};
        for (std::size_t k = 0; k < 2; ++k) {
            double w = 0, s = 0;
            for (std::size_t i = 0; i < n; ++i) {
                const double power = std::norm(drivers[k].at(grid_.hz[i]));
                w += power;
                s += power * std::log2(grid_.hz[i]);
            }
            centre[k] = w > 0 ? s / w : 0;
        }
        woofer_ = centre[0] <= centre[1] ? 0 : 1;
        lowestTweeterEdge_ = lowestTweeterEdge(drivers[static_cast<std::size_t>(1 - woofer_)]);
        // Each output's part that stays: its driver, the edge the fit does not choose and, when
        // kept, the equaliser or the chosen edge as well.
        for (int out = 0; out < 2; ++out) {
            const auto k = static_cast<std::size_t>(out);
            Response f = drivers[k].at(grid_.hz);
            if (o_.magnitudeOnly) {
                for (auto& h : f)
                    h = std::abs(h);
                goalDb_[k] = passbandDb(outputTransfer(p, out, grid_.hz, kFs).crossover);
                for (std::size_t i = 0; i < n; ++i)
                    goalDb_[k][i] += target_[i];
            }
            const dsp::TXOVER& x = p.Crossovers[k];
            const dsp::TXOVERPB& other = lowPassTuned(out) ? x.HighPass : x.LowPass;
            for (int j = 0; j < dsp::kDesignedSections; ++j)
                applySection(other.Sections[static_cast<std::size_t>(j)], grid_.hz, kFs, f);
            if (o.keepEqualiser)
                for (int b = 1; b <= kBandsPerOutput; ++b)
                    applySection(p.band(out, b), grid_.hz, kFs, f);
            fixed_[k] = std::move(f);
            const dsp::TXOVERPB& tuned = lowPassTuned(out) ? x.LowPass : x.HighPass;
            presetEdge_[k] = {tuned.Alignment, tuned.Order, static_cast<int>(std::lround(tuned.Frequency))};
            presetEdgeR_[k] = Response(n, 1.0);
            for (int j = 0; j < dsp::kDesignedSections; ++j)
                applySection(tuned.Sections[static_cast<std::size_t>(j)], grid_.hz, kFs, presetEdgeR_[k]);
        }
    }

    FitResult run() {
        FitResult result;
        State s = startingState();
        report(0, "crossover");
        if (!o_.keepCrossover)
            chooseCrossover(s);
        else
            alignOnly(s);
        if (stopped()) return stoppedResult();
        if (!o_.magnitudeOnly) findUnreachable(s, result);
        report(40, "equaliser");
        if (!o_.keepEqualiser) placeBands(s);
        if (stopped()) return stoppedResult();
        report(95, "checking");
        result.edits = edits(s);
        for (int out = 0; out < 2; ++out)
            result.outputs[static_cast<std::size_t>(out)] = choice(s, out);
        report(100, "done");
        return result;
    }

  private:
    bool lowPassTuned(int out) const { return out == woofer_; }
    bool stopped() const { return stop_.stop_requested(); }
    void report(int percent, std::string_view step) const {
        if (progress_) progress_(percent, step);
    }
    FitResult stoppedResult() const {
        FitResult r;
        r.stopped = true;
        return r;
    }

    State startingState() const {
        State s;
        for (std::size_t k = 0; k < 2; ++k) {
            s.edge[k] = presetEdge_[k];
            s.edgeR[k] = &presetEdgeR_[k];
            s.level[k] = p_.OutputTrack[k].position();
            s.inverted[k] = p_.PolOutput[k].on();
            s.delay[k] = std::clamp(p_.OutputDelay[k], 0, kMaxDelay);
            s.bandProduct[k] = Response(grid_.hz.size(), 1.0);
        }
        return s;
    }

    Response output(const State& s, std::size_t k) const {
        Response r(grid_.hz.size());
        const double gain = imageCoefficient(std::pow(10.0, levelOfPosition(s.level[k]) / 20.0) *
                                             (s.inverted[k] ? -1.0 : 1.0) * p_.MuteFactor[k]);
        const Response& d = delays_[static_cast<std::size_t>(s.delay[k])];
        const Response& e = *s.edgeR[k];
        for (std::size_t i = 0; i < r.size(); ++i)
            r[i] = fixed_[k][i] * e[i] * s.bandProduct[k][i] * d[i] * gain;
        return r;
    }

    Response sum(const State& s) const {
        Response r = output(s, 0);
        const Response b = output(s, 1);
        for (std::size_t i = 0; i < r.size(); ++i)
            r[i] += b[i];
        return r;
    }

    // Mean square deviation with a share of the largest, so that no single peak is left.
    double cost(const Response& r) const {
        const std::vector<double> smooth = smoothedDb(r);
        double mean = 0;
        int count = 0;
        for (std::size_t i = 0; i < smooth.size(); ++i)
            if (use_[i]) {
                mean += smooth[i] - target_[i];
                ++count;
            }
        mean /= std::max(count, 1);
        double squares = 0, peak = 0;
        for (std::size_t i = 0; i < smooth.size(); ++i)
            if (use_[i]) {
                const double d = smooth[i] - target_[i] - mean;
                squares += d * d;
                peak = std::max(peak, d * d);
            }
        return squares / std::max(count, 1) + 0.05 * peak;
    }
    double cost(const State& s) const {
        if (!o_.magnitudeOnly) return cost(sum(s));
        // Both outputs against their goals, with one level match, so that their levels meet.
        const std::array<std::vector<double>, 2> d{outputDeviation(s, 0), outputDeviation(s, 1)};
        double squares = 0, peak = 0;
        int count = 0;
        for (const auto& dk : d)
            for (std::size_t i = 0; i < dk.size(); ++i)
                if (std::isfinite(dk[i])) {
                    squares += dk[i] * dk[i];
                    peak = std::max(peak, dk[i] * dk[i]);
                    ++count;
                }
        return squares / std::max(count, 1) + 0.05 * peak;
    }

    // A magnitude-only fit: each output's smoothed level less its goal, less the mean of both
    // outputs' differences; not finite where the output is not judged.
    std::vector<double> outputDeviation(const State& s, std::size_t k) const {
        std::array<std::vector<double>, 2> d;
        double mean = 0;
        int count = 0;
        for (std::size_t j = 0; j < 2; ++j) {
            d[j] = smoothedDb(output(s, j));
            for (std::size_t i = 0; i < d[j].size(); ++i) {
                d[j][i] = use_[i] ? d[j][i] - goalDb_[j][i] : -HUGE_VAL;
                if (std::isfinite(d[j][i])) {
                    mean += d[j][i];
                    ++count;
                }
            }
        }
        mean /= std::max(count, 1);
        for (double& v : d[k])
            v -= mean;
        return d[k];
    }

    // The deviation of the smoothed sum from the target, level matched.
    std::vector<double> deviation(const State& s) const {
        std::vector<double> d = smoothedDb(sum(s));
        double mean = 0;
        int count = 0;
        for (std::size_t i = 0; i < d.size(); ++i) {
            d[i] -= target_[i];
            if (use_[i]) {
                mean += d[i];
                ++count;
            }
        }
        mean /= std::max(count, 1);
        for (double& v : d)
            v -= mean;
        return d;
    }

    // ---- Crossover and alignment ----

    // The edge's response, designed as the crossover procedure designs it; nothing when the
    // designer refuses or limits it.
    const Response* edgeResponse(int out, EdgeChoice e) {
        const auto key = std::make_tuple(out, e.alignment, e.order, e.hz);
        if (const auto it = edgeCache_.find(key); it != edgeCache_.end())
            return it->second ? &*it->second : nullptr;
        dsp::TXOVERPB edge;
        edge.Alignment = e.alignment;
        edge.Order = e.order;
        edge.Frequency = e.hz;
        std::optional<Response> r;
        try {
            if (!edge.DesignAtEdgeFrequency(kFs)) {
                r = Response(grid_.hz.size(), 1.0);
                for (int j = 0; j < dsp::kDesignedSections; ++j)
                    applySection(edge.Sections[static_cast<std::size_t>(j)], grid_.hz, kFs, *r);
            }
        } catch (const dsp::DesignError&) {
        }
        auto& slot = edgeCache_[key];
        slot = std::move(r);
        return slot ? &*slot : nullptr;
    }

    bool setEdge(State& s, std::size_t k, EdgeChoice e) {
        const Response* r = edgeResponse(static_cast<int>(k), e);
        if (!r || !edgeAllowed(static_cast<int>(k), e)) return false;
        s.edge[k] = e;
        s.edgeR[k] = r;
        return true;
    }

    // The output's other edge keeps the chosen one on its side, unless it is bypassed (it is
    // then moved out of the way).
    bool edgeAllowed(int out, EdgeChoice e) const {
        const dsp::TXOVER& x = p_.Crossovers[static_cast<std::size_t>(out)];
        if (e.hz < 10 || e.hz > 22000) return false;
        if (!lowPassTuned(out) && e.hz < lowestTweeterEdge_) return false;
        if (lowPassTuned(out))
            return x.HighPass.Alignment == dsp::kAlignBypass ||
                   p_.HighPassOff[static_cast<std::size_t>(out)] || e.hz > x.HighPass.Frequency;
        return x.LowPass.Alignment == dsp::kAlignBypass || p_.LowPassOff[static_cast<std::size_t>(out)] ||
               e.hz < x.LowPass.Frequency;
    }

    // A dome crossed near its resonance is driven where it moves most and handles least: the
    // tweeter's high-pass stays an octave or more above where the driver itself has fallen
    // 6 dB below its level over the upper half of the range (about its resonance).
    double lowestTweeterEdge(const DriverResponse& tweeter) const {
        const Response r = tweeter.at(grid_.hz);
        const std::vector<double> db = smoothedDb(r);
        std::vector<double> upper;
        const double middle = std::sqrt(o_.low * o_.high);
        for (std::size_t i = 0; i < db.size(); ++i)
            if (grid_.inRange[i] && grid_.hz[i] >= middle) upper.push_back(db[i]);
        if (upper.empty()) return 0;
        std::nth_element(upper.begin(), upper.begin() + static_cast<std::ptrdiff_t>(upper.size() / 2), upper.end());
        const double level = upper[upper.size() / 2];
        std::size_t i = db.size();
        while (i > 0 && !(grid_.hz[i - 1] < middle && db[i - 1] < level - 6.0))
            --i;
        return i == 0 ? 0 : grid_.hz[i - 1] * 2.0;
    }

    EdgeChoice edgeOf(int out, int family, int order, int hz) const {
        // Families 1..3 (Butterworth, Linkwitz-Riley, Bessel): odd codes low-pass.
        const auto code = static_cast<std::uint8_t>(lowPassTuned(out) ? 2 * family - 1 : 2 * family);
        return {code, order, hz};
    }

    // Levels that meet where the drivers hand over: the louder output comes down.
    void matchLevels(State& s, double crossoverHz) const {
        const auto w = static_cast<std::size_t>(woofer_), t = 1 - w;
        const auto median = [&](std::size_t k, double from, double to) {
            std::vector<double> v;
            for (std::size_t i = 0; i < grid_.hz.size(); ++i)
                if (grid_.hz[i] >= from && grid_.hz[i] <= to) v.push_back(levelDb(fixed_[k][i]));
            if (v.empty()) return 0.0;
            std::nth_element(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(v.size() / 2), v.end());
            return v[v.size() / 2];
        };
        const double low = median(w, o_.low, std::max(o_.low * 1.5, crossoverHz / 2));
        const double high = median(t, std::min(o_.high / 1.5, crossoverHz * 2), o_.high);
        const double diff = (high + levelOfPosition(s.level[t])) - (low + levelOfPosition(s.level[w]));
        if (diff > 0)
            s.level[t] = positionOfLevel(levelOfPosition(s.level[t]) - diff);
        else
            s.level[w] = positionOfLevel(levelOfPosition(s.level[w]) + diff);
    }

    // The best delay (of either output, the other at none) and polarity for the state's edges:
    // over the whole delay range in `step`s, or within `window` samples of the present delay.
    double bestAlignment(State& s, int step, int window = 0) const {
        if (o_.keepAlignment) return cost(s);
        const std::array<Response, 2> out{output(withoutDelay(s), 0), output(withoutDelay(s), 1)};
        const auto t = static_cast<std::size_t>(1 - woofer_);
        double best = 1e300;
        int bestDelay = 0;
        bool bestInverted = s.inverted[t];
        Response r(grid_.hz.size());
        const auto evaluate = [&](int d, bool flip) {
            const auto& d0 = delays_[static_cast<std::size_t>(std::max(-d, 0))];
            const auto& d1 = delays_[static_cast<std::size_t>(std::max(d, 0))];
            const double sign = flip ? -1.0 : 1.0;
            for (std::size_t i = 0; i < r.size(); ++i)
                r[i] = (t == 0 ? sign : 1.0) * out[0][i] * d0[i] + (t == 1 ? sign : 1.0) * out[1][i] * d1[i];
            const double c = cost(r);
            if (c < best) {
                best = c;
                bestDelay = d;
                bestInverted = flip != s.inverted[t];
            }
        };
        const int now = s.delay[1] - s.delay[0];
        const int from = window > 0 ? std::max(-kMaxDelay, now - window) : -kMaxDelay;
        const int to = window > 0 ? std::min(kMaxDelay, now + window) : kMaxDelay;
        for (const bool flip : {false, true})
            for (int d = from; d <= to; d += step)
                evaluate(d, flip);
        if (step > 1) {
            const int centre = bestDelay;
            const bool flip = bestInverted != s.inverted[t];
            for (int d = std::max(-kMaxDelay, centre - step); d <= std::min(kMaxDelay, centre + step); ++d)
                evaluate(d, flip);
        }
        s.delay = {std::max(-bestDelay, 0), std::max(bestDelay, 0)};
        s.inverted[t] = bestInverted;
        return best;
    }

    static State withoutDelay(const State& s) {
        State c = s;
        c.delay = {0, 0};
        return c;
    }

    void alignOnly(State& s) {
        matchLevels(s, std::sqrt(o_.low * o_.high));
        if (!o_.magnitudeOnly) bestAlignment(s, 1);
        refineLevels(s);
    }

    // The tweeter's level against the woofer's: the level of both together is the listener's.
    void refineLevels(State& s) const {
        double best = cost(s);
        const auto k = static_cast<std::size_t>(1 - woofer_);
        for (const int step : {10, 3, 1})
            for (bool better = true; better;) {
                better = false;
                for (const int move : {-step, step}) {
                    State c = s;
                    c.level[k] = std::clamp(c.level[k] + move, kLevelBottom, kLevelTop);
                    const double v = cost(c);
                    if (v < best - 1e-12) {
                        best = v;
                        s = std::move(c);
                        better = true;
                    }
                }
            }
    }

    void chooseCrossover(State& s) {
        struct Candidate {
            double cost;
            State state;
        };
        std::vector<Candidate> kept;
        const double from = o_.low * 1.5, to = o_.high / 1.5;
        std::vector<int> frequencies;
        for (double f = from; f <= to; f *= std::exp2(1.0 / 6.0))
            frequencies.push_back(static_cast<int>(std::lround(f)));
        const auto w = static_cast<std::size_t>(woofer_), t = 1 - w;
        const int total = 3 * 4 * static_cast<int>(frequencies.size());
        int done = 0;
        for (int family = 1; family <= 3; ++family)
            for (int order = 2; order <= 8; order += 2)
                for (const int hz : frequencies) {
                    if (stopped()) return;
                    report(30 * done++ / total, "crossover");
                    State c = s;
                    if (!setEdge(c, w, edgeOf(static_cast<int>(w), family, order, hz)) ||
                        !setEdge(c, t, edgeOf(static_cast<int>(t), family, order, hz)))
                        continue;
                    matchLevels(c, hz);
                    const double v = bestAlignment(c, 4);
                    kept.push_back({v, std::move(c)});
                    std::sort(kept.begin(), kept.end(),
                              [](const auto& a, const auto& b) { return a.cost < b.cost; });
                    if (kept.size() > 6) kept.pop_back();
                }
        if (kept.empty()) return; // no design fits between the other edges: the crossover stays
        double best = 1e300;
        for (Candidate& c : kept) {
            if (stopped()) return;
            const double v = refineCrossover(c.state);
            if (v < best) {
                best = v;
                s = c.state;
            }
        }
        report(38, "crossover");
    }

    // Each edge on its own: frequency, order and family, with the levels and alignment after.
    double refineCrossover(State& s) {
        double best = bestAlignment(s, 1);
        refineLevels(s);
        best = cost(s);
        for (int round = 0; round < 4; ++round) {
            bool better = false;
            for (std::size_t k = 0; k < 2; ++k) {
                const EdgeChoice e = s.edge[k];
                std::vector<EdgeChoice> moves;
                for (const double step : {1.0 / 12, 1.0 / 48})
                    for (const double sign : {-1.0, 1.0})
                        moves.push_back({e.alignment, e.order,
                                         static_cast<int>(std::lround(e.hz * std::exp2(sign * step)))});
                for (const int order : {e.order - 2, e.order + 2})
                    if (order >= 2 && order <= 8) moves.push_back({e.alignment, order, e.hz});
                for (int family = 1; family <= 3; ++family)
                    moves.push_back(edgeOf(static_cast<int>(k), family, e.order, e.hz));
                for (const EdgeChoice& m : moves) {
                    if (stopped()) return best;
                    State c = s;
                    if (!setEdge(c, k, m)) continue;
                    double v = cost(c);
                    if (!o_.keepAlignment) {
                        State a = c;
                        const double va = bestAlignment(a, 1, 6);
                        if (va < v) {
                            v = va;
                            c = std::move(a);
                        }
                    }
                    if (v < best - 1e-12) {
                        best = v;
                        s = std::move(c);
                        better = true;
                    }
                }
            }
            refineLevels(s);
            best = cost(s);
            if (!better) break;
        }
        return best;
    }

    // Where the sum lies further below the target than the equaliser may lift: the fit leaves
    // these out instead of piling gain into them.
    void findUnreachable(const State& s, FitResult& result) {
        std::vector<double> d = smoothedDb(sum(s));
        std::vector<double> inRange;
        for (std::size_t i = 0; i < d.size(); ++i) {
            d[i] -= target_[i];
            if (grid_.inRange[i]) inRange.push_back(d[i]);
        }
        std::nth_element(inRange.begin(), inRange.begin() + static_cast<std::ptrdiff_t>(inRange.size() / 2),
                         inRange.end());
        const double median = inRange[inRange.size() / 2];
        const double limit = (o_.keepEqualiser ? 0.0 : o_.maxBoostDb) + 3.0;
        std::size_t i = 0;
        while (i < d.size()) {
            if (!grid_.inRange[i] || d[i] - median >= -limit) {
                ++i;
                continue;
            }
            const std::size_t first = i;
            while (i < d.size() && grid_.inRange[i] && d[i] - median < -limit)
                use_[i++] = 0;
            result.unreachable.push_back({grid_.hz[first], grid_.hz[i - 1]});
        }
    }

    // ---- Equaliser ----

    void designBand(Band& b) const {
        dsp::TSOS s;
        s.FilterType = kBandType;
        s.Frequency = b.hz;
        s.Gain = b.gain / 10.0;
        s.Q = b.q / 100.0;
        s.Redesign(kFs);
        b.r = sectionResponse(s, grid_.hz, kFs);
    }

    // Bands may not lift an output by more than the boost allowed, all together, nor sit where
    // the drivers cannot follow.
    bool allowed(const Response& product, const Band& b) const {
        const double most = std::pow(10.0, (o_.maxBoostDb + 0.05) / 20.0);
        for (const auto& h : product)
            if (std::abs(h) > most) return false;
        const auto at =
            std::lower_bound(grid_.hz.begin(), grid_.hz.end(), static_cast<double>(b.hz)) - grid_.hz.begin();
        const auto i = static_cast<std::size_t>(
            std::min<std::ptrdiff_t>(at, static_cast<std::ptrdiff_t>(grid_.hz.size()) - 1));
        return !(grid_.inRange[i] && !use_[i]);
    }

    void recomputeProduct(State& s, std::size_t k) const {
        s.bandProduct[k] = Response(grid_.hz.size(), 1.0);
        for (const Band& b : s.bands[k])
            for (std::size_t i = 0; i < b.r.size(); ++i)
                s.bandProduct[k][i] *= b.r[i];
    }

    // Moves one band's frequency, gain and Q while the cost falls, in coarse then fine steps.
    double tuneBand(State& s, std::size_t k, std::size_t which, double best) const {
        Response others(grid_.hz.size(), 1.0);
        for (std::size_t j = 0; j < s.bands[k].size(); ++j)
            if (j != which)
                for (std::size_t i = 0; i < others.size(); ++i)
                    others[i] *= s.bands[k][j].r[i];
        const int maxGain = static_cast<int>(std::floor(o_.maxBoostDb * 10.0 + 1e-9));
        const auto tryBand = [&](Band b) {
            b.hz = std::clamp(b.hz, 10, 22000);
            b.gain = std::clamp(b.gain, static_cast<int>(-kMaxCutDb * 10), maxGain);
            b.q = std::clamp(b.q, kLowestQ, kHighestQ);
            designBand(b);
            Response product(others.size());
            for (std::size_t i = 0; i < others.size(); ++i)
                product[i] = others[i] * b.r[i];
            if (!allowed(product, b)) return false;
            std::swap(product, s.bandProduct[k]);
            const double v = cost(s);
            if (v < best - 1e-12) {
                best = v;
                s.bands[k][which] = std::move(b);
                return true;
            }
            std::swap(product, s.bandProduct[k]);
            return false;
        };
        for (const int level : {8, 4, 2, 1}) {
            for (bool better = true; better && !stopped();) {
                better = false;
                const Band b = s.bands[k][which];
                const double fStep = std::exp2(level / 96.0), qStep = 1.0 + 0.04 * level;
                std::vector<Band> moves;
                for (const double m : {1.0 / fStep, fStep}) {
                    Band c = b;
                    c.hz = static_cast<int>(std::lround(b.hz * m));
                    if (c.hz == b.hz) c.hz += m > 1 ? 1 : -1;
                    moves.push_back(c);
                }
                for (const int g : {-level, level}) {
                    Band c = b;
                    c.gain += g;
                    moves.push_back(c);
                }
                for (const double m : {1.0 / qStep, qStep}) {
                    Band c = b;
                    c.q = static_cast<int>(std::lround(b.q * m));
                    if (c.q == b.q) c.q += m > 1 ? 1 : -1;
                    moves.push_back(c);
                }
                for (const Band& m : moves)
                    better = tryBand(m) || better;
            }
        }
        return best;
    }

    void placeBands(State& s) {
        const std::size_t n = grid_.hz.size();
        double best = cost(s);
        std::vector<double> tried;
        int failures = 0;
        const int most = 2 * o_.bandsPerOutput;
        for (int placed = 0; placed < most && failures < 4 && !stopped();) {
            report(40 + 45 * placed / std::max(most, 1), "equaliser");
            // The deviation of the sum, or of each output alone in a magnitude-only fit.
            std::array<std::vector<double>, 2> dk;
            if (o_.magnitudeOnly)
                dk = {outputDeviation(s, 0), outputDeviation(s, 1)};
            else
                dk[0] = deviation(s);
            // The largest deviation not tried before.
            std::size_t at = n, track = 0;
            for (std::size_t j = 0; j < (o_.magnitudeOnly ? 2u : 1u); ++j)
                for (std::size_t i = 0; i < n; ++i) {
                    if (!use_[i] || !std::isfinite(dk[j][i])) continue;
                    const bool near = std::any_of(tried.begin(), tried.end(), [&](double f) {
                        return std::fabs(std::log2(grid_.hz[i] / f)) < 1.0 / 6;
                    });
                    if (!near && (at == n || std::fabs(dk[j][i]) > std::fabs(dk[track][at]))) {
                        at = i;
                        track = j;
                    }
                }
            const std::vector<double>& d = dk[track];
            if (at == n || std::fabs(d[at]) < 0.05) break;
            // Its width: where the deviation falls to half on either side.
            std::size_t lo = at, hi = at;
            while (lo > 0 && use_[lo - 1] && std::isfinite(d[lo - 1]) && d[lo - 1] * d[at] > 0 &&
                   std::fabs(d[lo - 1]) > std::fabs(d[at]) / 2)
                --lo;
            while (hi + 1 < n && use_[hi + 1] && std::isfinite(d[hi + 1]) && d[hi + 1] * d[at] > 0 &&
                   std::fabs(d[hi + 1]) > std::fabs(d[at]) / 2)
                ++hi;
            const double octaves = std::max(std::log2(grid_.hz[hi] / grid_.hz[lo]), 1.0 / 24);
            const double q = std::sqrt(std::exp2(octaves)) / (std::exp2(octaves) - 1.0);
            // The band goes on the output that carries most of the sum there.
            const State without = s;
            const Response o0 = output(s, 0), o1 = output(s, 1);
            std::vector<std::size_t> order{0, 1};
            if (o_.magnitudeOnly ? track == 1 : std::abs(o1[at]) > std::abs(o0[at])) std::swap(order[0], order[1]);
            bool placedOne = false;
            for (const std::size_t k : order) {
                if (static_cast<int>(s.bands[k].size()) >= o_.bandsPerOutput) continue;
                // No band where its output lies far below the other: it would lift a driver
                // out of its band (a woofer's breakup) to nudge the sum.
                if (!o_.magnitudeOnly && std::abs((k == 0 ? o0 : o1)[at]) < kOutOfBand * std::abs((k == 0 ? o1 : o0)[at]))
                    continue;
                State c = s;
                Band b;
                b.hz = static_cast<int>(std::lround(grid_.hz[at]));
                b.gain = static_cast<int>(std::lround(std::clamp(-d[at], -kMaxCutDb, o_.maxBoostDb) * 10));
                b.q = std::clamp(static_cast<int>(std::lround(q * 100)), kLowestQ, kHighestQ);
                designBand(b);
                c.bands[k].push_back(b);
                recomputeProduct(c, k);
                // Less lift where the others lift already.
                while (!allowed(c.bandProduct[k], b) && b.gain > 0) {
                    b.gain = std::max(b.gain - 10, 0);
                    designBand(b);
                    c.bands[k].back() = b;
                    recomputeProduct(c, k);
                }
                if (!allowed(c.bandProduct[k], b)) continue;
                const double v = tuneBand(c, k, c.bands[k].size() - 1, cost(c));
                // A band must earn its place.
                if (v < best - std::max(1e-6, 0.005 * best)) {
                    best = v;
                    s = std::move(c);
                    placedOne = true;
                    break;
                }
            }
            if (!placedOne) {
                s = without;
                tried.push_back(grid_.hz[at]);
                ++failures;
                continue;
            }
            ++placed;
            failures = 0;
            tried.clear();
        }
        // Every band again, now that all are placed, and the levels with them.
        for (int round = 0; round < 3 && !stopped(); ++round) {
            report(85 + 3 * round, "equaliser");
            const double before = best;
            for (std::size_t k = 0; k < 2; ++k)
                for (std::size_t j = 0; j < s.bands[k].size(); ++j)
                    best = tuneBand(s, k, j, best);
            refineLevels(s);
            best = cost(s);
            if (before - best < 1e-6) break;
        }
        // Bands that gave nothing are left out.
        for (std::size_t k = 0; k < 2; ++k)
            std::erase_if(s.bands[k], [](const Band& b) { return b.gain == 0; });
    }

    // ---- Result ----

    std::vector<Edit> edits(const State& s) const {
        std::vector<Edit> e;
        for (int out = 0; out < 2; ++out) {
            const auto k = static_cast<std::size_t>(out);
            const std::string n = std::to_string(out + 1);
            const EdgeChoice& was = presetEdge_[k];
            const bool edgeChanged = s.edge[k].alignment != was.alignment || s.edge[k].order != was.order ||
                                     s.edge[k].hz != was.hz;
            if (!o_.keepCrossover && edgeChanged) {
                const bool low = lowPassTuned(out);
                const std::string side = low ? "lp" : "hp";
                const dsp::TXOVER& x = p_.Crossovers[k];
                // A bypassed other edge moves out of the way, so the chosen one is not held back.
                const dsp::TXOVERPB& other = low ? x.HighPass : x.LowPass;
                const bool otherOff = (low ? p_.HighPassOff : p_.LowPassOff)[k] != 0;
                if (other.Alignment == dsp::kAlignBypass && !otherOff &&
                    (low ? s.edge[k].hz <= other.Frequency : s.edge[k].hz >= other.Frequency))
                    e.push_back({"xover." + n + "." + (low ? "hp" : "lp") + ".freq", low ? "10" : "22000"});
                e.push_back({"xover." + n + "." + side + ".alignment", alignmentName(s.edge[k].alignment)});
                e.push_back({"xover." + n + "." + side + ".order", std::to_string(s.edge[k].order)});
                e.push_back({"xover." + n + "." + side + ".freq", std::to_string(s.edge[k].hz)});
            }
            if (s.level[k] != p_.OutputTrack[k].position())
                e.push_back({"out." + n + ".gain", levelText(s.level[k])});
            if (s.inverted[k] != p_.PolOutput[k].on())
                e.push_back({"out." + n + ".polarity", s.inverted[k] ? "1" : "0"});
            if (s.delay[k] != p_.OutputDelay[k]) e.push_back({"delay." + n, std::to_string(s.delay[k])});
            if (o_.keepEqualiser) continue;
            for (int b = 1; b <= kBandsPerOutput; ++b) {
                const std::string key = "eq." + n + "." + std::to_string(b) + ".";
                const auto j = static_cast<std::size_t>(b - 1);
                if (j >= s.bands[k].size()) {
                    if (p_.band(out, b).FilterType != dsp::kCodeBypass) e.push_back({key + "type", "Bypass"});
                    continue;
                }
                const Band& band = s.bands[k][j];
                e.push_back(
                    {key + "type",
                     std::string(
                         dsp::kFilterList[static_cast<std::size_t>(dsp::ListIndexOfFilterCode(kBandType))]
                             .text)});
                e.push_back({key + "freq", std::to_string(band.hz)});
                e.push_back({key + "q", decimalText(band.q, 2)});
                e.push_back({key + "gain", decimalText(band.gain, 1)});
            }
        }
        return e;
    }

    OutputChoice choice(const State& s, int out) const {
        const auto k = static_cast<std::size_t>(out);
        OutputChoice c;
        c.lowPass = lowPassTuned(out);
        c.edge = s.edge[k];
        c.levelDb = levelOfPosition(s.level[k]);
        c.inverted = s.inverted[k];
        c.delaySamples = s.delay[k];
        for (const Band& b : s.bands[k])
            c.bands.push_back({b.hz, b.gain / 10.0, b.q / 100.0});
        return c;
    }

    const PresetParameters& p_;
    FitOptions o_;
    std::stop_token stop_;
    const FitProgress& progress_;
    FitGrid grid_;
    std::vector<double> target_;
    std::vector<char> use_;
    std::vector<Response> delays_;
    int woofer_ = 0;
    double lowestTweeterEdge_ = 0; // Hz
    std::array<Response, 2> fixed_;
    std::array<EdgeChoice, 2> presetEdge_{};
    std::array<Response, 2> presetEdgeR_;
    std::array<std::vector<double>, 2> goalDb_; // magnitude-only: target through each crossover
    std::map<std::tuple<int, std::uint8_t, int, int>, std::optional<Response>> edgeCache_;
};

std::vector<char> outside(const FitGrid& grid, const std::vector<FrequencyRange>& ranges) {
    std::vector<char> use(grid.hz.size(), 1);
    for (std::size_t i = 0; i < grid.hz.size(); ++i)
        for (const FrequencyRange& r : ranges)
            if (grid.hz[i] >= r.low && grid.hz[i] <= r.high) use[i] = 0;
    return use;
}

} // namespace

std::optional<std::string> refusal(const std::array<DriverResponse, 2>& drivers, const FitOptions& o) {
    if (!(o.low > 0 && o.high > o.low)) return "the range must run from a lower to a higher frequency";
    for (std::size_t k = 0; k < 2; ++k) {
        const std::string name = "the measurement of output " + std::to_string(k + 1);
        if (drivers[k].hz.size() < 2) return name + " holds fewer than two points";
        if (!drivers[k].hasPhase && !o.magnitudeOnly)
            return name + " has no phase, and without phase the outputs cannot be summed";
        if (o.low < drivers[k].lowest() || o.high > drivers[k].highest()) {
            char buf[160];
            std::snprintf(buf, sizeof buf, " covers %g-%g Hz, not the range %g-%g Hz", drivers[k].lowest(),
                          drivers[k].highest(), o.low, o.high);
            return name + buf;
        }
    }
    return std::nullopt;
}

void applyEdits(PresetParameters& p, const std::vector<Edit>& edits) {
    QuietUi ui;
    SessionState state;
    PresetContext c{p, state, ui, kSampleRate, nullptr};
    for (const Edit& e : edits) {
        const Parameter* parameter = findParameter(e.key);
        if (!parameter) throw std::invalid_argument("no parameter is named " + e.key);
        parameter->set(c, e.value);
    }
}

Figures figuresOf(const PresetParameters& p, const std::array<DriverResponse, 2>& drivers,
                  const FitOptions& o, const std::vector<FrequencyRange>& unreachable) {
    const FitGrid grid = fitGrid(o.low, o.high);
    if (o.magnitudeOnly) {
        // Both outputs' deviations from their goals as one curve, their ends apart, to level
        // match and measure together.
        std::vector<double> smoothed;
        FitGrid both;
        for (int out = 0; out < 2; ++out) {
            const OutputTransfer t = outputTransfer(p, out, grid.hz, kSampleRate);
            Response r = t.total;
            for (std::size_t i = 0; i < r.size(); ++i)
                r[i] = std::abs(r[i]) * std::abs(drivers[static_cast<std::size_t>(out)].at(grid.hz[i]));
            const std::vector<double> level = smoothedDb(r), pass = passbandDb(t.crossover);
            for (std::size_t i = 0; i < r.size(); ++i) {
                smoothed.push_back(level[i] - pass[i]);
                both.hz.push_back(grid.hz[i]);
                both.inRange.push_back(grid.inRange[i] && std::isfinite(pass[i]));
            }
        }
        return figures(smoothed, both, o.target);
    }
    const Response s = acousticSum(p, {&drivers[0], &drivers[1]}, grid.hz, kSampleRate);
    return figures(smoothedDb(s), grid, o.target, outside(grid, unreachable));
}

FitResult fitCabinet(const PresetParameters& preset, const std::array<DriverResponse, 2>& drivers,
                     const FitOptions& options, std::stop_token stop, const FitProgress& progress) {
    if (const auto why = refusal(drivers, options)) throw std::invalid_argument(*why);
    Fitter fitter(preset, drivers, options, std::move(stop), progress);
    FitResult r = fitter.run();
    if (r.stopped) return r;
    // The figures and the image come from the preset as the procedures leave it, so that what
    // is reported is what a save of it holds.
    PresetParameters tuned = preset;
    applyEdits(tuned, r.edits);
    r.before = figuresOf(preset, drivers, options, r.unreachable);
    r.after = figuresOf(tuned, drivers, options, r.unreachable);
    generateProgramImage(tuned, kSampleRate, r.image);
    return r;
}

} // namespace vela::tune
