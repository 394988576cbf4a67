#pragma once
// A user interface that says nothing: a fit's edits run through the procedures without anyone
// watching, and their notices are not the fit's to show.

#include "core/user_interface.h"

namespace vela::tune {

class QuietUi : public GaugeKeeper {
public:
    Answer message(MessageKind, Buttons, std::string_view) override { return Answer::Ok; }
    void status(StatusField, std::string_view) override {}
    void showTransferWindow() override {}
    void closeTransferWindow() override {}
    void beep() override {}
    void pump() override {}
};

}  // namespace vela::tune
