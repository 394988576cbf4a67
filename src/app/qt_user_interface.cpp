#include "app/qt_user_interface.h"

#include "app/message_dialog.h"
#include "core/run_log.h"

#include <QApplication>
#include <QThread>

namespace vela::app {

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
    if (closing_) return safeAnswer(buttons);
    QWidget* parent = dialogParent ? dialogParent() : QApplication::activeWindow();
    MessageDialog box(kind, buttons, text, parent);
    emit messageShown(text);
    return box.ask();
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
