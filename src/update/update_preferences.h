#pragma once
// Whether the window looks for a newer version when it opens: on, unless the user switched it
// off in the window (a setting kept between runs) or VELAUPDATE_NO_UPDATE_CHECK is set, as an
// administrator of many machines or a bench without network would.

#include <optional>
#include <string>

namespace vela {

inline constexpr const char* kNoUpdateCheckVariable = "VELAUPDATE_NO_UPDATE_CHECK";
inline constexpr const char* kCheckAtStartKey = "update/checkAtStart";

// The choices the window keeps between runs, as text by key.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    virtual std::optional<std::string> value(const std::string& key) const = 0;
    virtual void setValue(const std::string& key, const std::string& value) = 0;
};

class UpdatePreferences {
public:
    explicit UpdatePreferences(SettingsStore& store) : store_(store) {}

    // The window's setting alone; on until switched off.
    bool checkAtStart() const;
    void setCheckAtStart(bool on);
    // VELAUPDATE_NO_UPDATE_CHECK set to anything but "" or "0".
    static bool switchedOffByEnvironment();
    // What start-up goes by.
    bool automaticCheck() const { return checkAtStart() && !switchedOffByEnvironment(); }

private:
    SettingsStore& store_;
};

}  // namespace vela
