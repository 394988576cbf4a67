#pragma once
// The one way every procedure reaches the user: dialogs, status texts, gauges, the transfer
// window, beeps and the message-queue pump. The GUI, the command line and the tests each
// answer it in their own way, so a procedure is written once.

#include "core/stop_request.h"

#include <string>
#include <string_view>

namespace vela {

enum class MessageKind { Plain, Information, Warning, Error };
// Ok and Yes are a notice with its single button; the other sets ask a question.
enum class Buttons { Ok, Yes, YesNo, YesNoCancel, OkCancel };
enum class Answer { Ok, Cancel, Yes, No };

// The caption of the button that gives this answer.
inline const char* buttonCaption(Answer answer) {
    switch (answer) {
    case Answer::Ok: return "OK";
    case Answer::Cancel: return "Cancel";
    case Answer::Yes: return "Yes";
    case Answer::No: return "No";
    }
    return "";
}

inline bool isQuestion(Buttons buttons) { return buttons != Buttons::Ok && buttons != Buttons::Yes; }
// The answer that changes nothing: what Escape, closing the box or a missing answer mean.
inline Answer safeAnswer(Buttons buttons) {
    switch (buttons) {
    case Buttons::Ok: return Answer::Ok;
    case Buttons::Yes: return Answer::Yes;
    case Buttons::YesNo: return Answer::No;
    case Buttons::YesNoCancel:
    case Buttons::OkCancel: return Answer::Cancel;
    }
    return Answer::Cancel;
}

// Status lines: the library window's Info, the transfer window's Info, the processor window's
// InfoLabel, the connection window's ConnectedL and StatusB, the transfer window's
// Info_Com_Label; the Ethernet window's scan label Label2; the download window's InfoLabel;
// the preset progress window's title and step text; the library window's label of its program
// gauge ("Memory 3 of 5", "DSP Operating System").
enum class StatusField {
    LibraryInfo, TransferInfo, InfoLabel, ConnectedL, StatusB, InfoComLabel, ScanStatus, DownloadInfo,
    PresetTitle, PresetStep, RunStep
};
// ProgressBar and TotalProgress: the library window's program and run gauges (ProgressBar is
// also the transfer window's); ScanProgress: the module window's scan gauge; LibraryBuild: the
// preset files a library build has read.
enum class Gauge { ProgressBar, TotalProgress, ScanProgress, LibraryBuild };
inline constexpr int kGaugeCount = 4;

class UserInterface {
public:
    virtual ~UserInterface() = default;

    // A modal message box; returns the button the user chose.
    virtual Answer message(MessageKind kind, Buttons buttons, std::string_view text) = 0;
    virtual void status(StatusField field, std::string_view text) = 0;
    virtual void gaugeMaximum(Gauge gauge, int maximum) = 0;
    virtual void gaugePosition(Gauge gauge, int position) = 0;
    virtual int gaugePositionOf(Gauge gauge) const = 0;
    virtual void showTransferWindow() = 0;
    virtual void closeTransferWindow() = 0;
    virtual void beep() = 0;
    // Handles the events that are pending, once. Implementations end with
    // stop.checkpoint(*this), so that a request to stop at once ends the exchange under way.
    virtual void pump() = 0;

    // Ctrl-C, a closed terminal or the Cancel button ask the run in progress to stop.
    StopRequest stop;

    // Conveniences built on the calls above.
    void pump(int times);
    void gaugeAdvance(Gauge gauge, int by) { gaugePosition(gauge, gaugePositionOf(gauge) + by); }
    void error(std::string_view text) { message(MessageKind::Error, Buttons::Ok, text); }
    void warning(std::string_view text) { message(MessageKind::Warning, Buttons::Ok, text); }
    void information(std::string_view text) { message(MessageKind::Information, Buttons::Ok, text); }
    bool confirm(MessageKind kind, std::string_view text) {
        const Answer a = message(kind, Buttons::YesNo, text);
        return a == Answer::Yes || a == Answer::Ok;
    }
};

// Keeps gauge positions so that front ends which only draw need not track them.
class GaugeKeeper : public UserInterface {
public:
    void gaugeMaximum(Gauge gauge, int maximum) override;
    void gaugePosition(Gauge gauge, int position) override;
    int gaugePositionOf(Gauge gauge) const override { return position_[index(gauge)]; }
    int gaugeMaximumOf(Gauge gauge) const { return maximum_[index(gauge)]; }

protected:
    // Called after a gauge's maximum was set or its position moved.
    virtual void gaugeMoved(Gauge) {}

private:
    static int index(Gauge g) { return static_cast<int>(g); }
    int position_[kGaugeCount] = {0, 0, 0, 0};
    int maximum_[kGaugeCount] = {100, 100, 100, 100};
};

}  // namespace vela
