#include "app/password_dialog.h"

#include "app/borderless_window.h"
#include "app/panel_style.h"

#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRegularExpressionValidator>

namespace vela::app {
namespace {

constexpr int kMaxCode = 7;

QLineEdit* maskedEdit(QWidget* parent, const QString& name) {
    auto* edit = new QLineEdit(parent);
    edit->setEchoMode(QLineEdit::Password);
    edit->setMaxLength(kMaxCode);
    // Printable ASCII only: the unit's keyboard offers nothing else.
    edit->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[\\x20-\\x7e]{0,7}")), edit));
    edit->setAccessibleName(name);
    return edit;
}

}  // namespace

PasswordDialog::PasswordDialog(QWidget* parent) : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint) {
    setWindowTitle(QStringLiteral("Set Password"));
    setFixedSize(300, 170);
    setModal(true);
    setStyleSheet(panelStyleSheet());

    auto* banner = new QLabel(QStringLiteral("Set Password"), this);
    banner->setProperty("role", "banner");
    banner->setGeometry(16, 10, 268, 22);

    auto* codeLabel = new QLabel(QStringLiteral("PASSWORD"), this);
    codeLabel->setProperty("role", "legend");
    codeLabel->setGeometry(20, 44, 110, 22);
    code_ = maskedEdit(this, QStringLiteral("Password"));
    code_->setGeometry(130, 44, 150, 22);
    codeLabel->setBuddy(code_);

    auto* repeatLabel = new QLabel(QStringLiteral("REPEAT"), this);
    repeatLabel->setProperty("role", "legend");
    repeatLabel->setGeometry(20, 74, 110, 22);
    repeat_ = maskedEdit(this, QStringLiteral("Repeat password"));
    repeat_->setGeometry(130, 74, 150, 22);
    repeatLabel->setBuddy(repeat_);

    hint_ = new QLabel(this);
    hint_->setGeometry(20, 102, 260, 20);
    hint_->setProperty("role", "legend");

    ok_ = new QPushButton(QStringLiteral("OK"), this);
    ok_->setGeometry(110, 130, 80, 26);
    ok_->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setGeometry(200, 130, 80, 26);

    connect(code_, &QLineEdit::textChanged, this, &PasswordDialog::check);
    connect(repeat_, &QLineEdit::textChanged, this, &PasswordDialog::check);
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    setTabOrder(code_, repeat_);
    setTabOrder(repeat_, ok_);
    setTabOrder(ok_, cancel);
    code_->setFocus();
    check();
}

void PasswordDialog::check() {
    const QString code = code_->text();
    const bool valid = passwordBytes(code.toStdString()).has_value();
    const bool same = code == repeat_->text();
    ok_->setEnabled(valid && same);
    if (code.isEmpty())
        hint_->setText(QStringLiteral("1 to 7 characters"));
    else if (!same)
        hint_->setText(QStringLiteral("Type the same password twice"));
    else
        hint_->clear();
}

std::optional<PasswordBytes> PasswordDialog::confirmedBytes() const {
    if (result() != QDialog::Accepted || code_->text() != repeat_->text()) return std::nullopt;
    return passwordBytes(code_->text().toStdString());
}

void PasswordDialog::paintEvent(QPaintEvent*) {
    QPainter p(this);
    paintPanel(p, rect());
}

}  // namespace vela::app
