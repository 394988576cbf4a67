#pragma once
// Every parameter a user can name, in one table: the key that preset set takes, the accessible
// name of its control, its kind, range, step and unit, how its value reads and how it is set
// through its procedure. The command line and the editor windows are built from it.

#include "preset/preset_context.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vela {

enum class ParameterKind {
    Number,  // a field or slider holding a number in minimum..maximum
    Switch,  // on or off, written 1 or 0
    Choice,  // one of `choices`, also by the stored number
    Text,    // free text cut to the field's length
};

struct Parameter {
    std::string key;             // "eq.1.3.freq"
    std::string accessibleName;  // "Output 1 band 3 frequency"
    ParameterKind kind = ParameterKind::Number;
    double minimum = 0, maximum = 0, step = 0;  // Number; a Text's maximum is its length, 0 for any
    std::string unit;                           // "Hz", "dB", "samples" ...; may be empty
    std::vector<std::string> choices;           // Choice only, in the control's order
    // Number: whole values with a name of their own (a gate level, a file format); the control
    // lists these names instead of the number.
    std::vector<std::pair<int, std::string>> valueNames;
    // The value as text that `set` takes back to the same stored value.
    std::function<std::string(const PresetParameters&, std::int32_t sampleRate)> text;
    // The stored value of a Number in its unit.
    std::function<double(const PresetParameters&, std::int32_t sampleRate)> number;
    // Reads `value` as the kind wants it and sets it through the procedure; the procedure limits
    // it to the control's range. Throws std::invalid_argument for a value the kind refuses.
    std::function<void(PresetContext&, const std::string& value)> set;
};

// Every parameter, grouped as the editors group them.
const std::vector<Parameter>& parameterTable();

// The parameter a user's name stands for, or nothing. Case does not matter, indexes may carry
// leading zeros, and a crossover edge may also be named "low" (the high-pass) or "high".
const Parameter* findParameter(std::string_view name);

}  // namespace vela
