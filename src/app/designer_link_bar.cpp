#include "app/designer_link_bar.h"

#include "app/app_context.h"
#include "app/gui_options.h"
#include "app/led_button.h"
#include "session/preset_document.h"
#include "session/realtime_mode.h"
#include "session/session.h"
#include "session/tuning_link.h"

#include <QLabel>
#include <QPushButton>

namespace vela::app {

DesignerLinkBar::DesignerLinkBar(AppContext& context, QWidget* parent) : QWidget(parent), context_(context) {
    RealTimeB = new LedButton(QStringLiteral("Real time"), this);
    RealTimeB->setToolTip(QStringLiteral("Real Time Mode: every change goes to the unit at once"));
    RealTimeB->setAccessibleDescription(QStringLiteral("Off"));
    RealTimeB->setGeometry(8, 4, 104, 28);
    ConnectB = new QPushButton(QStringLiteral("Connect"), this);
    ConnectB->setGeometry(118, 4, 92, 28);
    if (context_.options.link.kind == LinkKind::Offline) {
        ConnectB->setEnabled(false);
        ConnectB->setToolTip(QStringLiteral("Started offline: there is no link to connect"));
    } else {
        ConnectB->setToolTip(QStringLiteral("Connect to the HALDA40 with the link the program was started with"));
    }
    // A label: assistive tools read its text.
    LinkStatus = new QLabel(QStringLiteral("Status : Offline"), this);
    LinkStatus->setProperty("role", "status");
    LinkStatus->setWordWrap(true);
    LinkStatus->setGeometry(216, 0, 180, 36);

    connect(RealTimeB, &QPushButton::clicked, this, &DesignerLinkBar::RealTimeBClick);
    connect(ConnectB, &QPushButton::clicked, this, &DesignerLinkBar::ConnectBClick);
    connect(&context_.worker, &SessionWorker::sessionChanged, this, &DesignerLinkBar::showView);
    context_.worker.run([](Session&) {});  // the bar's first view of the session
}

void DesignerLinkBar::RealTimeBClick() {
    context_.worker.run(
        [preset = context_.document.preset()](Session& s) { toggleRealTime(s, preset); });
}

void DesignerLinkBar::ConnectBClick() {
    // Pressed again while it works, it would only queue behind itself.
    ConnectB->setEnabled(false);
    const auto done = [this] { ConnectB->setEnabled(true); };
    if (connected_)
        context_.worker.run([](Session& s) { disconnectForTuning(s); }, done);
    else
        context_.worker.run([link = context_.options.link](Session& s) { connectForTuning(s, link); }, done);
}

void DesignerLinkBar::showView(const SessionViewPtr& view) {
    const SessionState& st = view->state;
    RealTimeB->setLedOn(st.RealTimeMode);
    RealTimeB->setAccessibleDescription(st.RealTimeMode ? QStringLiteral("On") : QStringLiteral("Off"));
    connected_ = linkActive(st);
    ConnectB->setText(connected_ ? QStringLiteral("Disconnect") : QStringLiteral("Connect"));
    LinkStatus->setText(QString::fromStdString(view->linkStatus));
    // Each ending is said once, and none from before the window opened.
    if (viewSeen_ && view->realTimeEndings != realTimeEndings_ && !view->realTimeEnded.empty())
        emit notice(QString::fromStdString(view->realTimeEnded));
    realTimeEndings_ = view->realTimeEndings;
    viewSeen_ = true;
}

}  // namespace vela::app
