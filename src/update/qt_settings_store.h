#pragma once
// The window's kept choices in the user's configuration directory
// ($XDG_CONFIG_HOME/velaupdate/velaupdate.ini), or in a file of the caller's.

#include "update/update_preferences.h"

#include <QSettings>

#include <memory>

namespace vela {

class QtSettingsStore : public SettingsStore {
public:
    QtSettingsStore();
    explicit QtSettingsStore(const std::string& file);

    std::optional<std::string> value(const std::string& key) const override;
    void setValue(const std::string& key, const std::string& value) override;
    // Writes what was set; false when the file could not be written.
    bool sync();
    std::string fileName() const { return settings_->fileName().toStdString(); }

private:
    std::unique_ptr<QSettings> settings_;
};

}  // namespace vela
