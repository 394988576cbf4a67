#include "update/qt_settings_store.h"

namespace vela {

QtSettingsStore::QtSettingsStore()
    : settings_(std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, "velaupdate", "velaupdate")) {}

QtSettingsStore::QtSettingsStore(const std::string& file)
    : settings_(std::make_unique<QSettings>(QString::fromStdString(file), QSettings::IniFormat)) {}

std::optional<std::string> QtSettingsStore::value(const std::string& key) const {
    const QVariant v = settings_->value(QString::fromStdString(key));
    if (!v.isValid()) return std::nullopt;
    return v.toString().toStdString();
}

void QtSettingsStore::setValue(const std::string& key, const std::string& value) {
    settings_->setValue(QString::fromStdString(key), QString::fromStdString(value));
}

bool QtSettingsStore::sync() {
    settings_->sync();
    return settings_->status() == QSettings::NoError;
}

}  // namespace vela
