#pragma once
// TSystemInfoForm: the descriptive fields of the current preset (name, project, engineer,
// comments), which the preset file keeps. Its preset name and the processor window's are one
// name shown twice.

#include "app/borderless_window.h"

class QLineEdit;
class QPlainTextEdit;

namespace vela {
struct SystemInfoFields;
}

namespace vela::app {

struct AppContext;

class TSystemInfoForm : public BorderlessWindow {
    Q_OBJECT
public:
    explicit TSystemInfoForm(AppContext& context, QWidget* parent = nullptr);

    QLineEdit* SystemName;
    QLineEdit* ProjectName;
    QLineEdit* EngineerLabel;
    QPlainTextEdit* Comments;

    // The preset name from the processor window; the same text again changes nothing, so
    // the two copies never echo each other.
    void copySystemName(const QString& name);
    // The fields as the session's preset holds them (after New or Open).
    void showFields(const SystemInfoFields& fields);

signals:
    // The preset name changed here (by the user or by a copy).
    void systemNameChanged(const QString& name);

public slots:
    void SystemNameChange(const QString& text);

private:
    void storeFields();
    void limitComments();

    AppContext& context_;
    bool showing_ = false;
};

}  // namespace vela::app
