#include "support/scripted_ui.h"

#include <algorithm>

namespace vela::test {

Answer ScriptedUi::message(MessageKind kind, Buttons buttons, std::string_view text) {
    messages.push_back({kind, buttons, std::string(text)});
    if (!isQuestion(buttons)) return safeAnswer(buttons);
    if (!answers.empty()) {
        const Answer a = answers.front();
        answers.pop_front();
        return a;
    }
    return buttons == Buttons::OkCancel ? Answer::Ok : Answer::Yes;
}

void ScriptedUi::status(StatusField field, std::string_view text) { statuses.emplace_back(field, std::string(text)); }

void ScriptedUi::showTransferWindow() {
    transferWindowVisible = true;
    events.push_back("show");
}

void ScriptedUi::closeTransferWindow() {
    transferWindowVisible = false;
    events.push_back("close");
}


void ScriptedUi::stopWhenStatus(std::string text, int times) {
    onPump = [text = std::move(text), times, done = false](ScriptedUi& u) mutable {
        if (done || u.lastStatus(StatusField::LibraryInfo) != text) return;
        for (int i = 0; i < times; ++i) u.stop.request();
        done = true;
    };
}

std::string ScriptedUi::lastStatus(StatusField field) const {
    for (auto it = statuses.rbegin(); it != statuses.rend(); ++it)
        if (it->first == field) return it->second;
    return {};
}

bool ScriptedUi::hasStatus(std::string_view text) const {
    return std::any_of(statuses.begin(), statuses.end(), [&](const auto& s) { return s.second == text; });
}

}  // namespace vela::test
