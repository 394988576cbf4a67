#include "app/transfer_form.h"

#include "app/connect_form.h"
#include "app/library_form.h"
#include "app/qt_user_interface.h"
#include "app/window_set.h"
#include "link/firmware_image.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QEvent>

namespace vela::app {

TW_Serial_Info_Form::TW_Serial_Info_Form(AppContext& context, QWidget* parent)
    : BorderlessWindow("QuadLink Serial Interface", QSize(320, 118), parent) {
    setObjectName("TW_Serial_Info_Form");
    // A progress window: it shows on top but leaves the keyboard with the window in use.
    setAttribute(Qt::WA_ShowWithoutActivating);
    addBanner("QuadLink Serial Interface", QRect(10, 8, 300, 22));
    Info = new QLabel("Conecting...", this);
    Info->setObjectName("Info");
    Info->setProperty("role", "status");
    Info->setGeometry(16, 38, 288, 20);
    Info_Com_Label = new QLabel("Comunication Port : COM1", this);
    Info_Com_Label->setObjectName("Info_Com_Label");
    Info_Com_Label->setGeometry(16, 60, 288, 18);
    Info_Com_Label->hide();
    Gauge = new QProgressBar(this);
    Gauge->setObjectName("Gauge");
    Gauge->setAccessibleName("Transfer progress");
    Gauge->setGeometry(16, 84, 288, 16);
    Gauge->setTextVisible(false);
    Memo2 = new QPlainTextEdit(this);
    Memo2->setObjectName("Memo2");
    Memo2->setPlainText(QString::fromUtf8(builtInFirmwareText().data(),
                                          static_cast<qsizetype>(builtInFirmwareText().size())));
    Memo2->hide();

    // The connection window keeps its link buttons hidden until the exchanges can run.
    if (context.windows && context.windows->connect) context.windows->connect->showLinkButtons();

    QtUserInterface& ui = context.ui;
    connect(&ui, &QtUserInterface::transferWindowShown, this, [this] {
        show();
        raise();
    });
    // The library window brought back (restored, activated) does not cover the transfer.
    if (context.windows && context.windows->library) context.windows->library->installEventFilter(this);
    connect(&ui, &QtUserInterface::transferWindowClosed, this, &QWidget::hide);
    connect(&ui, &QtUserInterface::statusChanged, this, [this](StatusField field, const QString& text) {
        if (field == StatusField::TransferInfo) Info->setText(text);
        if (field == StatusField::InfoComLabel) Info_Com_Label->setText(text);
    });
    connect(&ui, &QtUserInterface::gaugeChanged, this, [this](vela::Gauge gauge, int position, int maximum) {
        if (gauge != vela::Gauge::ProgressBar) return;
        Gauge->setMaximum(std::max(maximum, 1));
        Gauge->setValue(position);
    });
}

bool TW_Serial_Info_Form::eventFilter(QObject* watched, QEvent* event) {
    const auto type = event->type();
    if (isVisible() && (type == QEvent::WindowActivate || type == QEvent::Show || type == QEvent::WindowStateChange))
        QMetaObject::invokeMethod(this, &QWidget::raise, Qt::QueuedConnection);
    return BorderlessWindow::eventFilter(watched, event);
}

TDATAForm::TDATAForm(AppContext&, QWidget* parent) : BorderlessWindow(QString(), QSize(200, 80), parent) {
    setObjectName("TDATAForm");
}

}  // namespace vela::app
