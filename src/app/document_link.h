#pragma once
// Binds the windows' preset document to the session on the worker: the document learns
// whether real-time mode is on, and the frames its procedures send wait in the session's
// real-time queue, which the worker sends one at a time.

#include <QObject>

namespace vela {
class PresetDocument;
}

namespace vela::app {

class SessionWorker;

class DocumentLink : public QObject {
    Q_OBJECT
public:
    DocumentLink(SessionWorker& worker, PresetDocument& document, QObject* parent = nullptr);
    ~DocumentLink() override;

private:
    PresetDocument& document_;
};

}  // namespace vela::app

namespace vela::app {

// New and Open end real-time mode: the unit no longer holds what the window shows.
void endRealTime(SessionWorker& worker);

}  // namespace vela::app
