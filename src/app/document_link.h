#pragma once
// Binds the windows' preset document to the session on the worker: the document learns
// whether real-time mode is on, and the frames its procedures send go to the unit through
// the worker. Kept in one place so that a queue can take over the sending.

#include "dsp/realtime_sink.h"

#include <QObject>

namespace vela {
class PresetDocument;
}

namespace vela::app {

class SessionWorker;

class DocumentLink : public QObject, public dsp::RealTimeSink {
    Q_OBJECT
public:
    DocumentLink(SessionWorker& worker, PresetDocument& document, QObject* parent = nullptr);
    ~DocumentLink() override;

    // Each frame goes to the worker, which sends it on the active links as it comes.
    void send(dsp::RealTimeType type, std::uint16_t address, std::span<const std::uint32_t> words) override;
    void setTarget(std::uint8_t target) override;

private:
    SessionWorker& worker_;
    PresetDocument& document_;
};

}  // namespace vela::app

namespace vela::app {

// New and Open end real-time mode: the unit no longer holds what the window shows.
void endRealTime(SessionWorker& worker);

}  // namespace vela::app
