#include "app/document_link.h"

#include "app/session_worker.h"
#include "session/preset_document.h"
#include "session/session.h"

namespace vela::app {

DocumentLink::DocumentLink(SessionWorker& worker, PresetDocument& document, QObject* parent)
    : QObject(parent), document_(document) {
    document_.setRealTimeSink(&worker.realTimeQueue());
    connect(&worker, &SessionWorker::sessionChanged, this,
            [this](const SessionViewPtr& view) { document_.setRealTimeMode(view->state.RealTimeMode); });
}

DocumentLink::~DocumentLink() { document_.setRealTimeSink(nullptr); }

}  // namespace vela::app

namespace vela::app {

void endRealTime(SessionWorker& worker) {
    worker.run([](Session& s) { s.state.RealTimeMode = false; });
}

}  // namespace vela::app
