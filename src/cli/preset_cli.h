#pragma once
// What the preset commands share: the session's preset context and loading a preset file.

#include "cli/commands.h"
#include "preset/preset_context.h"
#include "session/preset_operations.h"
#include "session/session.h"

#include <string>

namespace vela::cli {

// The preset procedures' progress texts (New's and Open's steps) mean nothing at a terminal:
// this passes messages, questions and beeps on and keeps the rest to itself.
class MessagesOnlyUi : public GaugeKeeper {
  public:
    explicit MessagesOnlyUi(UserInterface& ui) : ui_(ui) {}
    Answer message(MessageKind kind, Buttons buttons, std::string_view text) override {
        return ui_.message(kind, buttons, text);
    }
    void status(StatusField, std::string_view) override {}
    void showTransferWindow() override {}
    void closeTransferWindow() override {}
    void beep() override { ui_.beep(); }
    void pump() override { ui_.pump(); }

  private:
    UserInterface& ui_;
};

// New, then opens `path` into the session's preset. False when the file was refused (the
// reason has been shown).
bool loadPreset(Session& s, const std::string& path);
// Opens a preset file and generates its program image into the session's ProgramImage, as
// the Write and copy-all commands do before sending. False when the file was refused.
bool imageFromPreset(Session& s, const std::string& path);
// The one positional FILE argument after the subcommand; throws std::invalid_argument.
std::string presetFileArgument(const Context& ctx, const char* usage);

// Subcommands of "preset", one file each.
int runPresetShow(Context& ctx);
int runPresetSet(Context& ctx);
int runPresetPlot(Context& ctx);
int runPresetTune(Context& ctx);
// One line per parameter name that preset set takes, with its values, for the help.
std::string presetSetNames();

} // namespace vela::cli
