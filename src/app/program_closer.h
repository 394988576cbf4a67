#pragma once
// Every way of closing the connection, library or processor window ends the program. While an
// operation is under way the user is asked first; Yes stops it, and every cabinet of a rig run,
// as Ctrl-C does on the command line (the step under way finishes, the run's summary says what
// was written), and the program ends once the worker is idle. A close is never ignored without a word.
// Before all that, the designer asks about unsaved edits; its Cancel keeps the program running.

#include <QObject>

#include <functional>

namespace vela::app {

class QtUserInterface;
class SessionWorker;

inline constexpr const char* kCloseDuringRunQuestion = "An update is running. Stop it after the current step?";
inline constexpr const char* kCloseWhileStoppingQuestion =
    "The update stops after the current step. Stop it at once instead?";
inline constexpr const char* kStoppingStatus = "Stopping after the current step...";

class ProgramCloser : public QObject {
    Q_OBJECT
public:
    ProgramCloser(SessionWorker& worker, QtUserInterface& ui, QObject* parent = nullptr);

    void requestClose();
    // The user agreed to stop: the program ends when the worker is idle.
    bool ending() const { return ending_; }

    // Ends the event loop; the tests watch it instead.
    std::function<void()> quit;
    // Asked first on every route: false (edits kept, the user cancelled or the save failed)
    // keeps the program running.
    std::function<bool()> mayEnd;

private:
    void finish();

    SessionWorker& worker_;
    QtUserInterface& ui_;
    bool ending_ = false;
    bool asking_ = false;
};

}  // namespace vela::app
