#include "session/read_back.h"

#include "session/session.h"

namespace vela {

ReceiveResult readProgramBack(Session& s, Channel channel, std::uint8_t memory) {
    const ReceiveResult r = ReceiveProgram(s.link, s.programImage, channel, memory, s.receivedImage);
    if (r.received) ApplyReceivedImage(s.receivedImage, s.libraryWindow);
    return r;
}

}  // namespace vela
