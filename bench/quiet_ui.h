#pragma once
// A user interface for benchmarks: pumps the event queue as the command line does, shows
// nothing and answers Yes.

#include "core/user_interface.h"

#include <QCoreApplication>

namespace vela::bench {

class QuietUi : public GaugeKeeper {
public:
    Answer message(MessageKind, Buttons, std::string_view) override { return Answer::Yes; }
    void status(StatusField, std::string_view) override {}
    void showTransferWindow() override {}
    void closeTransferWindow() override {}
    void beep() override {}
    void pump() override { QCoreApplication::processEvents(); }
};

}  // namespace vela::bench
