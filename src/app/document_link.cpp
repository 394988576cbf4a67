#include "app/document_link.h"

#include "app/session_worker.h"
#include "session/preset_document.h"
#include "session/realtime_mode.h"
#include "session/session.h"

namespace vela::app {

DocumentLink::DocumentLink(SessionWorker& worker, PresetDocument& document, QObject* parent)
    : QObject(parent), document_(document) {
    document_.setRealTimeSink(&worker.realTimeQueue());
    document_.onReplaced = [&worker] {
        worker.run([](Session& s) { endRealTime(s, kRealTimeOtherPreset); });
    };
    connect(&worker, &SessionWorker::sessionChanged, this,
            [this](const SessionViewPtr& view) { document_.setRealTimeMode(view->state.RealTimeMode); });
}

DocumentLink::~DocumentLink() {
    document_.onReplaced = nullptr;
    document_.setRealTimeSink(nullptr);
}

}  // namespace vela::app
