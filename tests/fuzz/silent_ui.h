#pragma once
// A user interface that answers every question with OK and shows nothing.

#include "core/user_interface.h"

namespace vela::fuzz {

class SilentUi : public GaugeKeeper {
public:
    Answer message(MessageKind, Buttons buttons, std::string_view) override {
        return buttons == Buttons::YesNo || buttons == Buttons::YesNoCancel ? Answer::Yes : Answer::Ok;
    }
    void status(StatusField, std::string_view) override {}
    void showTransferWindow() override {}
    void closeTransferWindow() override {}
    void beep() override {}
    void pump() override {}
};

}  // namespace vela::fuzz
