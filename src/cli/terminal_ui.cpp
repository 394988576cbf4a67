#include "cli/terminal_ui.h"

#include "platform/console.h"

#include <QCoreApplication>

#include <algorithm>

namespace vela::cli {

bool isInteractiveTerminal() { return platform::interactiveConsole(); }

bool isHeadlineStep(std::string_view text) {
    return text.find("Memory ") != std::string_view::npos || text.find("DSP Program") != std::string_view::npos ||
           text.rfind("Reading Configuration", 0) == 0;
}

bool TerminalUi::isHeadline(StatusField field, std::string_view text) const {
    // The run's own step ("Memory 3 of 5") labels the bar; without one the exchange that
    // follows gives the memory its line.
    if (field == StatusField::RunStep) return false;
    // A read's request carries no data: its "Sending DATA... to Memory 1" names no memory read.
    if (text.rfind("Sending DATA", 0) == 0 && gaugeMaximumOf(Gauge::ProgressBar) == 0) return false;
    return isHeadlineStep(text);
}

namespace {

// The texts of the exchange steps, as opposed to the connection, scan, download and preset
// texts, which are few and always shown.
bool isStepField(StatusField field) {
    return field == StatusField::LibraryInfo || field == StatusField::TransferInfo ||
           field == StatusField::InfoComLabel || field == StatusField::RunStep;
}

bool isLinkStatus(StatusField field) {
    return field == StatusField::InfoLabel || field == StatusField::ConnectedL ||
           field == StatusField::StatusB;
}

}  // namespace

TerminalUi::TerminalUi(TerminalOptions options, std::FILE* in, std::FILE* err)
    : options_(options), in_(in), err_(err) {}

TerminalUi::~TerminalUi() { finishProgress(); }

void TerminalUi::finishProgress() {
    if (barShown_) std::fputc('\n', err_);
    barShown_ = false;
    drawnPercent_[0] = drawnPercent_[1] = -1;
}

void TerminalUi::line(std::string_view text) {
    finishProgress();
    std::fprintf(err_, "%.*s\n", static_cast<int>(text.size()), text.data());
    std::fflush(err_);
}

Answer TerminalUi::message(MessageKind kind, Buttons buttons, std::string_view text) {
    const bool question = isQuestion(buttons);
    // Quiet keeps what went wrong: errors, warnings and the plain boxes ("ERROR", "This is not
    // a HALDA40 processor..."); it drops the information boxes.
    if (!options_.quiet || kind != MessageKind::Information || question) {
        // Where the exchange stopped, when the default output left that step out.
        if (kind == MessageKind::Error && !lastStep_.empty()) line(lastStep_);
        lastStep_.clear();
        const char* prefix = kind == MessageKind::Error ? "error: " : kind == MessageKind::Warning ? "warning: " : "";
        // Under --yes the question is shown with the answer it was given.
        const char* answered = !question || !options_.yes ? ""
                               : buttons == Buttons::OkCancel ? " OK (--yes)"
                                                              : " Yes (--yes)";
        line(std::string(prefix) + std::string(text) + answered);
    }
    if (!question && kind != MessageKind::Information) lastError_ = std::string(text);
    const Answer a = ask(buttons);
    if (a == Answer::No || a == Answer::Cancel) declined_ = true;
    if (log_) log_->message(kind, buttons, text, a);
    return a;
}

Answer TerminalUi::ask(Buttons buttons) {
    if (!isQuestion(buttons)) return safeAnswer(buttons);
    const bool yesNo = buttons == Buttons::YesNo || buttons == Buttons::YesNoCancel;
    const Answer yes = yesNo ? Answer::Yes : Answer::Ok;
    const Answer no = safeAnswer(buttons);
    if (options_.yes) return yes;
    if (!options_.interactive) {
        std::fprintf(err_, "(no terminal to answer on: taken as %s; --yes answers yes)\n", yesNo ? "No" : "Cancel");
        return no;
    }
    const char* prompt = buttons == Buttons::YesNo        ? "[y]es/[n]o? "
                         : buttons == Buttons::YesNoCancel ? "[y]es/[n]o/[c]ancel? "
                                                           : "[o]k/[c]ancel? ";
    for (;;) {
        std::fputs(prompt, err_);
        std::fflush(err_);
        char buf[64];
        // An interrupt while the question waits is a No.
        if (!std::fgets(buf, sizeof buf, in_)) {
            std::clearerr(in_);
            std::fputc('\n', err_);
            return no;
        }
        const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(buf[0])));
        if (c == 'y' && yesNo) return Answer::Yes;
        if (c == 'o' && !yesNo) return Answer::Ok;
        if (c == 'n' && yesNo) return Answer::No;
        if (c == 'c' && buttons != Buttons::YesNo) return Answer::Cancel;
    }
}

bool TerminalUi::takeDeclined() { return std::exchange(declined_, false); }

// The exchange's failure texts ("  ¡¡ERROR!! HEADER NO VALID(0)", " ERROR FINAL...") say at
// which step it failed.
static bool reportsAnError(std::string_view text) { return text.find("ERROR") != std::string_view::npos; }

void TerminalUi::status(StatusField field, std::string_view text) {
    if (log_) log_->status(field, text);
    if (reportsAnError(text)) lastError_ = std::string(text);
    // The transfer window repeats the library window's line; show each text once.
    if (field == StatusField::TransferInfo || text == lastStatus_) return;
    // The link's state is news when it changes: not the offline state every run starts in.
    if (isLinkStatus(field)) {
        if (text == linkStatus_) return;
        linkStatus_ = std::string(text);
    }
    if (options_.quiet) {
        if (reportsAnError(text)) line(text);
        lastStatus_ = std::string(text);
        return;
    }
    lastStatus_ = std::string(text);
    if (options_.interactive) {
        label_ = lastStatus_;
        drawBar();
        return;
    }
    if (field == StatusField::InfoComLabel) logged_.clear();  // a new exchange begins
    // A label being emptied is nothing to log.
    if (text.empty() || !logged_.insert(lastStatus_).second) return;
    if (!options_.verbose && isStepField(field) && !isHeadline(field, text)) {
        lastStep_ = lastStatus_;
        return;
    }
    lastStep_.clear();
    line(text);
}

void TerminalUi::gaugeMoved(Gauge gauge) {
    if (options_.quiet || !options_.interactive) return;
    const auto i = static_cast<std::size_t>(gauge);
    const int max = gaugeMaximumOf(gauge);
    const int percent = max > 0 ? gaugePositionOf(gauge) * 100 / max : 0;
    if (percent == drawnPercent_[i]) return;
    drawnPercent_[i] = percent;
    scanBar_ = gauge == Gauge::ScanProgress;
    drawBar();
}

void TerminalUi::drawBar() {
    auto bar = [this](Gauge g) {
        const int max = gaugeMaximumOf(g);
        const int filled = max > 0 ? std::clamp(gaugePositionOf(g) * 20 / max, 0, 20) : 0;
        // Appended piece by piece: GCC 12 at -O3 takes "[" + std::string for overlapping copies.
        std::string out = "[";
        out.append(static_cast<std::size_t>(filled), '#').append(static_cast<std::size_t>(20 - filled), ' ') += ']';
        return out;
    };
    std::string text = scanBar_ ? "scan " + bar(Gauge::ScanProgress) + " " + label_
                            : "program " + bar(Gauge::ProgressBar) + " all " + bar(Gauge::TotalProgress) + " " + label_;
    // Stay on one line of the terminal, however wide it is.
    const int columns = platform::consoleColumns(err_);
    const int width = columns > 20 ? columns - 1 : 79;
    if (text.size() > static_cast<std::size_t>(width)) text.resize(static_cast<std::size_t>(width));
    std::fprintf(err_, "\r%-*s", width, text.c_str());
    std::fflush(err_);
    barShown_ = true;
}

void TerminalUi::beep() {
    if (options_.interactive) std::fputc('\a', err_);
}

void TerminalUi::pump() {
    // Nothing of the command line waits on Qt's events, so a round now and then serves them:
    // on Windows each round is calls to the system, which a lock-step exchange would feel.
    const auto now = std::chrono::steady_clock::now();
    if (QCoreApplication::instance() && now >= nextEventRound_) {
        QCoreApplication::processEvents();
        nextEventRound_ = now + std::chrono::milliseconds(20);
    }
    if (stop.requested() && !stop.critical() && !std::exchange(stopAnnounced_, true))
        line(kStoppingAfterExchange);
    stop.checkpoint(*this);
}

}  // namespace vela::cli
