#pragma once
// A user interface that answers every question with OK and shows nothing.

#include "core/user_interface.h"

namespace vela::fuzz {

class SilentUi : public GaugeKeeper {
public:
    Answer message(MessageKind, Buttons buttons, std::string_view) override {
        return buttons == Buttons::Ok || buttons == Buttons::OkCancel ? Answer::Ok : Answer::Yes;
    }
    void status(StatusField, std::string_view) override {}
    void showTransferWindow() override {}
    void closeTransferWindow() override {}
    void beep() override {}
    void pump() override {}
};

}  // namespace vela::fuzz
