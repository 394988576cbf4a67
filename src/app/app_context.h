#pragma once
// What every window is given: the worker that runs the session's operations, the user
// interface that carries their texts and questions, the command line's options and the
// other windows.

namespace vela {
class PresetDocument;
}

namespace vela::app {

class SessionWorker;
class QtUserInterface;
struct GuiOptions;
struct WindowSet;

struct AppContext {
    SessionWorker& worker;
    QtUserInterface& ui;
    const GuiOptions& options;
    WindowSet* windows;
    // The preset the windows edit, on their thread.
    PresetDocument& document;
};

}  // namespace vela::app
