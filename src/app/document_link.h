#pragma once
// Binds the windows' preset document to the session on the worker: the document follows the
// session's real-time mode, the frames its procedures send wait in the session's real-time
// queue, which the worker sends one at a time, and a preset replaced by New or Open ends
// real-time mode, since the unit no longer holds what the window shows.

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
