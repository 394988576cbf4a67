#pragma once
// The version check the window makes when it opens. It runs on a thread of its own, so that a
// slow or absent network never holds the window, and shows nothing: the window gets the result
// and asks its question only when a newer version is published.

#include "update/update_check.h"
#include "update/update_preferences.h"

#include <functional>

class QObject;

namespace vela {

class StartupUpdateCheck {
public:
    // Starts the check unless the preferences switch it off (then returns false and `done`
    // never runs). `done` runs later on the thread of `context`, and not at all once `context`
    // is gone. A check still running when the application quits is waited for.
    static bool start(const UpdatePreferences& preferences, UpdateSettings settings, QObject* context,
                      std::function<void(const CheckResult&)> done);
};

}  // namespace vela
