#include "app/qt_user_interface.h"

#include "core/run_log.h"

#include <QApplication>
#include <QMessageBox>
#include <QThread>

#include <algorithm>

namespace vela::app {
namespace {

QMessageBox::Icon iconOf(MessageKind kind) {
    switch (kind) {
    case MessageKind::Plain: return QMessageBox::NoIcon;
    case MessageKind::Information: return QMessageBox::Information;
    case MessageKind::Warning: return QMessageBox::Warning;
    case MessageKind::Error: return QMessageBox::Critical;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons buttonsOf(Buttons buttons) {
    switch (buttons) {
    case Buttons::Ok: return QMessageBox::Ok;
    case Buttons::YesNo: return QMessageBox::Yes | QMessageBox::No;
    case Buttons::YesNoCancel: return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case Buttons::OkCancel: return QMessageBox::Ok | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

// What closing the box with Escape or its close button means: the safe answer.
QMessageBox::StandardButton escapeOf(Buttons buttons) {
    switch (buttons) {
    case Buttons::Ok: return QMessageBox::Ok;
    case Buttons::YesNo: return QMessageBox::No;
    case Buttons::YesNoCancel:
    case Buttons::OkCancel: return QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

Answer answerOf(int button) {
    switch (button) {
    case QMessageBox::Yes: return Answer::Yes;
    case QMessageBox::No: return Answer::No;
    case QMessageBox::Cancel: return Answer::Cancel;
    default: return Answer::Ok;
    }
}

}  // namespace

QString answerName(Answer answer) {
    switch (answer) {
    case Answer::Ok: return "OK";
    case Answer::Cancel: return "Cancel";
    case Answer::Yes: return "Yes";
    case Answer::No: return "No";
    }
    return {};
}

QtUserInterface::QtUserInterface(QObject* parent) : QObject(parent) {
    qRegisterMetaType<vela::StatusField>();
    qRegisterMetaType<vela::Gauge>();
}

Answer QtUserInterface::message(MessageKind kind, Buttons buttons, std::string_view text) {
    const QString qtext = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    Answer answer = Answer::Cancel;
    if (QThread::currentThread() == thread()) {
        answer = ask(kind, buttons, qtext);
    } else {
        // The worker waits here while the GUI thread shows the box.
        QMetaObject::invokeMethod(
            this, [&] { answer = ask(kind, buttons, qtext); }, Qt::BlockingQueuedConnection);
    }
    std::lock_guard lock(logMutex_);
    if (log_) log_->message(kind, buttons, text, answer);
    return answer;
}

void QtUserInterface::setRunLog(RunLog* log) {
    std::lock_guard lock(logMutex_);
    log_ = log;
}

Answer QtUserInterface::ask(MessageKind kind, Buttons buttons, const QString& text) {
    if (closing_) return answerOf(escapeOf(buttons));
    QWidget* parent = dialogParent ? dialogParent() : QApplication::activeWindow();
    QMessageBox box(iconOf(kind), QApplication::applicationName(), text, buttonsOf(buttons), parent);
    box.setEscapeButton(escapeOf(buttons));
    box.setAccessibleName(text);
    emit messageShown(text);
    return answerOf(box.exec());
}

void QtUserInterface::status(StatusField field, std::string_view text) {
    {
        std::lock_guard lock(logMutex_);
        if (log_) log_->status(field, text);
    }
    emit statusChanged(field, QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
}

void QtUserInterface::pump() {
    if (QThread::currentThread() == thread()) QCoreApplication::processEvents();
    else stop.checkpoint(*this);  // a request to stop at once ends the exchange under way
}

}  // namespace vela::app
