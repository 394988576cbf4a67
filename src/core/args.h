#pragma once
// Command-line arguments: positionals and --options. An option takes a value with "=" or
// as the next word, except the switches, which never take one; --usb and --serial take the
// next word only when it names a device. "-h" is --help.

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace vela {

class Args {
public:
    // An option at the end of the line that needs a value and has none is kept without one
    // and named by missingValue(), so that the caller can first say whether it is known.
    static Args parse(int argc, char** argv);
    static Args parse(const std::vector<std::string>& words);

    std::vector<std::string> positional;

    bool has(const std::string& name) const;
    bool flag(const std::string& name) const { return has(name); }
    std::optional<std::string> value(const std::string& name) const;
    std::string value(const std::string& name, const std::string& fallback) const;
    // Every value of a repeatable option, in order.
    std::vector<std::string> values(const std::string& name) const;
    // Numeric values; throw std::invalid_argument naming the option when malformed.
    std::optional<double> number(const std::string& name) const;
    std::optional<long> integer(const std::string& name) const;

    // Options the command did not expect; empty when all are known.
    std::vector<std::string> unknown(const std::set<std::string>& known) const;
    // "--name" of an option given without its value, if any.
    const std::optional<std::string>& missingValue() const { return missing_; }

private:
    std::multimap<std::string, std::string> options_;
    std::optional<std::string> missing_;
};

// Parses a whole decimal number or throws std::invalid_argument naming `what`.
long parseInteger(const std::string& text, const std::string& what);
double parseNumber(const std::string& text, const std::string& what);

}  // namespace vela
