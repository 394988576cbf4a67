#include "app/document_link.h"

#include "app/session_worker.h"
#include "session/preset_document.h"
#include "session/session.h"

#include <vector>

namespace vela::app {

DocumentLink::DocumentLink(SessionWorker& worker, PresetDocument& document, QObject* parent)
    : QObject(parent), worker_(worker), document_(document) {
    document_.setRealTimeSink(this);
    connect(&worker_, &SessionWorker::sessionChanged, this,
            [this](const SessionViewPtr& view) { document_.setRealTimeMode(view->state.RealTimeMode); });
}

DocumentLink::~DocumentLink() { document_.setRealTimeSink(nullptr); }

void DocumentLink::send(dsp::RealTimeType type, std::uint16_t address, std::span<const std::uint32_t> words) {
    worker_.run([type, address, copy = std::vector<std::uint32_t>(words.begin(), words.end())](Session& s) {
        // The mode may have ended while the frame waited.
        if (s.state.RealTimeMode) s.realTime.send(type, address, copy);
    });
}

void DocumentLink::setTarget(std::uint8_t target) {
    worker_.run([target](Session& s) { s.realTime.setTarget(target); });
}

}  // namespace vela::app

namespace vela::app {

void endRealTime(SessionWorker& worker) {
    worker.run([](Session& s) { s.state.RealTimeMode = false; });
}

}  // namespace vela::app
