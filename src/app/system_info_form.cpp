#include "app/system_info_form.h"

#include "app/app_context.h"
#include "app/modal_window.h"
#include "app/session_worker.h"
#include "preset/preset_parameters.h"
#include "preset/parameter_table.h"
#include "session/preset_document.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextCursor>

namespace vela::app {
namespace {

constexpr int kCommentsLimit = 200;

QLabel* legend(const QString& text, const QRect& geometry, QWidget* buddy, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setProperty("role", "legend");
    label->setGeometry(geometry);
    label->setBuddy(buddy);
    return label;
}

QLineEdit* field(const QString& name, int limit, const QRect& geometry, QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setMaxLength(limit);
    edit->setAccessibleName(name);
    edit->setGeometry(geometry);
    return edit;
}

}  // namespace

TSystemInfoForm::TSystemInfoForm(AppContext& context, QWidget* parent)
    : BorderlessWindow(QStringLiteral("System Info"), {464, 297}, parent), context_(context) {
    makeModal(*this);
    addBanner(QStringLiteral("System Info"), {20, 12, 424, 22});

    const SystemInfoFields limits;
    SystemName = field(QStringLiteral("PRESET NAME"), int(limits.SystemName.limit()), {140, 50, 304, 22}, this);
    ProjectName = field(QStringLiteral("PROJECT NAME"), int(limits.ProjectName.limit()), {140, 80, 304, 22}, this);
    EngineerLabel = field(QStringLiteral("ENGINEER"), int(limits.EngineerLabel.limit()), {140, 110, 304, 22}, this);
    Comments = new QPlainTextEdit(this);
    Comments->setAccessibleName(QStringLiteral("COMMENTS"));
    Comments->setGeometry(140, 140, 304, 120);
    Comments->setTabChangesFocus(true);
    legend(QStringLiteral("PRESET NAME"), {20, 50, 116, 22}, SystemName, this);
    legend(QStringLiteral("PROJECT NAME"), {20, 80, 116, 22}, ProjectName, this);
    legend(QStringLiteral("ENGINEER"), {20, 110, 116, 22}, EngineerLabel, this);
    legend(QStringLiteral("COMMENTS"), {20, 140, 116, 22}, Comments, this);

    // Reset at creation: the name as the processor window has it, the rest empty.
    SystemName->setText(QString::fromLatin1(kDefaultSystemName));

    // The icons come last in the keyboard order, after the window's own controls.
    addCloseIcon({432, 10});

    connect(SystemName, &QLineEdit::textChanged, this, &TSystemInfoForm::SystemNameChange);
    connect(ProjectName, &QLineEdit::textChanged, this, &TSystemInfoForm::storeFields);
    connect(EngineerLabel, &QLineEdit::textChanged, this, &TSystemInfoForm::storeFields);
    connect(Comments, &QPlainTextEdit::textChanged, this, &TSystemInfoForm::limitComments);
}

void TSystemInfoForm::SystemNameChange(const QString& text) { emit systemNameChanged(text); }

void TSystemInfoForm::copySystemName(const QString& name) {
    if (SystemName->text() != name) SystemName->setText(name.left(SystemName->maxLength()));
}

void TSystemInfoForm::limitComments() {
    const QString text = Comments->toPlainText();
    if (text.size() > kCommentsLimit) {
        // Refuse what goes past the limit, as the one-line fields do.
        QTextCursor cursor = Comments->textCursor();
        const int at = std::min<int>(cursor.position(), kCommentsLimit);
        Comments->setPlainText(text.left(kCommentsLimit));
        cursor = Comments->textCursor();
        cursor.setPosition(at);
        Comments->setTextCursor(cursor);
        return;  // setPlainText brings us back here with the text within the limit
    }
    storeFields();
}

void TSystemInfoForm::showFields(const SystemInfoFields& fields) {
    showing_ = true;
    copySystemName(QString::fromStdString(fields.SystemName.text()));
    ProjectName->setText(QString::fromStdString(fields.ProjectName.text()));
    EngineerLabel->setText(QString::fromStdString(fields.EngineerLabel.text()));
    if (Comments->toPlainText() != QString::fromStdString(fields.Comments.text()))
        Comments->setPlainText(QString::fromStdString(fields.Comments.text()));
    showing_ = false;
}

void TSystemInfoForm::storeFields() {
    // Fields shown from the session need not go back to it.
    if (showing_) return;
    const SystemInfoFields& stored = context_.document.preset().SystemInfo;
    const std::pair<const char*, std::pair<std::string, const std::string*>> fields[] = {
        {"project", {ProjectName->text().toStdString(), &stored.ProjectName.text()}},
        {"engineer", {EngineerLabel->text().toStdString(), &stored.EngineerLabel.text()}},
        {"comments", {Comments->toPlainText().toStdString(), &stored.Comments.text()}},
    };
    // Typing in one field is one step to undo.
    for (const auto& [key, value] : fields)
        if (value.first != *value.second) context_.document.set(*findParameter(key), value.first, key);
}

}  // namespace vela::app
