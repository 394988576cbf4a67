#pragma once
// A user interface for tests: records every call and answers questions from a script.

#include "core/user_interface.h"

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace vela::test {

struct RecordedMessage {
    MessageKind kind;
    Buttons buttons;
    std::string text;
};

class ScriptedUi : public GaugeKeeper {
public:
    Answer message(MessageKind kind, Buttons buttons, std::string_view text) override;
    void status(StatusField field, std::string_view text) override;
    void showTransferWindow() override;
    void closeTransferWindow() override;
    void beep() override { ++beeps; }
    void pump() override {
        ++pumps;
        if (onPump) onPump(*this);
        stop.checkpoint(*this);
    }
    // Runs at every pump: a test asks for a stop at the moment it wants.
    std::function<void(ScriptedUi&)> onPump;
    // Asks `times` times to stop once the library window's status reads `text`, as Ctrl-C
    // or the Cancel button would.
    void stopWhenStatus(std::string text, int times);

    // Answers for the next questions, in order; when empty, Yes or OK.
    std::deque<Answer> answers;

    std::vector<RecordedMessage> messages;
    std::vector<std::pair<StatusField, std::string>> statuses;
    std::vector<std::string> events;  // "show", "close", in order, with gauge maxima
    std::string lastStatus(StatusField field) const;
    bool hasStatus(std::string_view text) const;
    bool transferWindowVisible = false;
    int beeps = 0;
    long pumps = 0;

protected:
};

}  // namespace vela::test
