#include "update/update_preferences.h"

#include <cstdlib>

namespace vela {

bool UpdatePreferences::checkAtStart() const { return store_.value(kCheckAtStartKey).value_or("1") != "0"; }

void UpdatePreferences::setCheckAtStart(bool on) { store_.setValue(kCheckAtStartKey, on ? "1" : "0"); }

bool UpdatePreferences::switchedOffByEnvironment() {
    const char* v = std::getenv(kNoUpdateCheckVariable);
    return v && *v && std::string(v) != "0";
}

}  // namespace vela
