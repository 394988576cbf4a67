#pragma once
// The designer's link: the Real time button with its indicator, a Connect button that
// connects with the link the program was started with, and the link's status. Everything it
// shows comes from the session; the installer's windows never come up from here.

#include "app/session_worker.h"

#include <QWidget>

class QLabel;
class QPushButton;

namespace vela::app {

struct AppContext;
class LedButton;

class DesignerLinkBar : public QWidget {
    Q_OBJECT
public:
    explicit DesignerLinkBar(AppContext& context, QWidget* parent = nullptr);

    LedButton* RealTimeB;
    QPushButton* ConnectB;
    QLabel* LinkStatus;

signals:
    // Something the designer's banner should say: real time ended by itself, and why.
    void notice(const QString& text);

public slots:
    void RealTimeBClick();
    void ConnectBClick();
    void showView(const SessionViewPtr& view);

private:
    AppContext& context_;
    bool connected_ = false;
    unsigned realTimeEndings_ = 0;
    bool viewSeen_ = false;
};

}  // namespace vela::app
