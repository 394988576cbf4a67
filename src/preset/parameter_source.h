#pragma once
// Parameter sources: the editor controls whose value is the stored value of a parameter
// (slider positions, spin and edit fields, lists, switches, text fields). Each keeps its
// control's range, so a value set by a procedure is limited before anything is computed.

#include "preset/text_codec.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace vela {

// Round to nearest, ties to even: the rounding of every stored and transmitted value.
inline double roundEven(double x) { return std::nearbyint(x); }
inline std::int64_t roundToInt(double x) {
    if (!std::isfinite(x)) return 0;
    return static_cast<std::int64_t>(std::clamp(std::nearbyint(x), -9.2e18, 9.2e18));
}

// A slider, track bar or spin control: a whole-number position within minimum..maximum.
// The step is what the control's arrows move by; a procedure may set any position in range.
class PositionSource {
public:
    constexpr PositionSource(int minimum, int maximum, int position, int step = 1)
        : minimum_(minimum), maximum_(maximum), step_(step), position_(std::clamp(position, minimum, maximum)) {}

    int position() const { return position_; }
    void setPosition(std::int64_t p) {
        position_ = static_cast<int>(std::clamp<std::int64_t>(p, minimum_, maximum_));
    }
    // Positions computed from a value are rounded to the nearest whole position first.
    void setRounded(double p) { setPosition(roundToInt(p)); }
    int minimum() const { return minimum_; }
    int maximum() const { return maximum_; }
    int step() const { return step_; }

private:
    int minimum_, maximum_, step_;
    int position_;
};

// An edit field holding a number within minimum..maximum. Non-finite input is refused and
// leaves the previous value.
class NumberSource {
public:
    constexpr NumberSource(double minimum, double maximum, double value, int decimals)
        : minimum_(minimum), maximum_(maximum), decimals_(decimals), value_(std::clamp(value, minimum, maximum)) {}

    double value() const { return value_; }
    bool setValue(double v) {
        if (!std::isfinite(v)) return false;
        value_ = std::clamp(v, minimum_, maximum_);
        return true;
    }
    double minimum() const { return minimum_; }
    double maximum() const { return maximum_; }
    // Decimals the field shows.
    int decimals() const { return decimals_; }

private:
    double minimum_, maximum_;
    int decimals_;
    double value_;
};

// A two-state switch (speed button, check box).
class SwitchSource {
public:
    bool on() const { return on_; }
    void set(bool on) { on_ = on; }

private:
    bool on_ = false;
};

// A drop-down list: the selected index within the list's items.
class ListSource {
public:
    explicit ListSource(std::span<const std::string_view> items) : items_(items) {}

    int index() const { return index_; }
    void setIndex(std::int64_t i) {
        index_ = static_cast<int>(std::clamp<std::int64_t>(i, 0, static_cast<std::int64_t>(items_.size()) - 1));
    }
    std::string_view text() const { return items_[static_cast<std::size_t>(index_)]; }
    std::span<const std::string_view> items() const { return items_; }
    // The index of an item's text, or -1.
    int find(std::string_view text) const {
        for (std::size_t i = 0; i < items_.size(); ++i)
            if (items_[i] == text) return static_cast<int>(i);
        return -1;
    }

private:
    std::span<const std::string_view> items_;
    int index_ = 0;
};

// A text field with a character limit; longer text is cut, as the field refuses more.
class TextSource {
public:
    explicit TextSource(std::size_t limit, std::string text = {}) : limit_(limit) { set(std::move(text)); }

    const std::string& text() const { return text_; }
    void set(std::string text) {
        text_ = cutCharacters(std::move(text), limit_);
    }
    std::size_t limit() const { return limit_; }

private:
    std::size_t limit_;
    std::string text_;
};

}  // namespace vela
