#pragma once
// The password dialog of the processor window: a code of one to seven printable characters,
// typed twice, masked. Setting a code the installer mistyped would lock them out of the
// unit's keyboard, so OK waits until both entries agree.

#include "session/unit_commands.h"

#include <QDialog>

#include <optional>

class QLineEdit;
class QLabel;
class QPushButton;

namespace vela::app {

class PasswordDialog : public QDialog {
    Q_OBJECT
public:
    explicit PasswordDialog(QWidget* parent = nullptr);

    // The seven data bytes of the confirmed code; nothing unless accepted.
    std::optional<PasswordBytes> confirmedBytes() const;

    QLineEdit* codeEdit() const { return code_; }
    QLineEdit* repeatEdit() const { return repeat_; }
    QPushButton* okButton() const { return ok_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void check();

    QLineEdit* code_;
    QLineEdit* repeat_;
    QLabel* hint_;
    QPushButton* ok_;
};

}  // namespace vela::app
