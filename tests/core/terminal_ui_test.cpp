#include "cli/terminal_ui.h"
#include "platform/process.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <string>

namespace vela::cli {
namespace {

// Runs the terminal interface against files standing in for stdin and stderr.
struct Terminal {
    explicit Terminal(TerminalOptions o, const std::string& typed = "") : in(std::tmpfile()), err(std::tmpfile()) {
        std::fputs(typed.c_str(), in);
        std::rewind(in);
        ui = std::make_unique<TerminalUi>(o, in, err);
    }
    ~Terminal() {
        ui.reset();
        std::fclose(in);
        std::fclose(err);
    }
    std::string written() {
        std::fflush(err);
        std::rewind(err);
        std::string s;
        for (int c; (c = std::fgetc(err)) != EOF;) s += static_cast<char>(c);
        return s;
    }
    std::FILE* in;
    std::FILE* err;
    std::unique_ptr<TerminalUi> ui;
};

TEST(TerminalUi, WithoutATerminalQuestionsAreDeclined) {
    Terminal t({.yes = false, .quiet = false, .interactive = false});
    EXPECT_EQ(t.ui->message(MessageKind::Warning, Buttons::YesNo, "Overwrite?"), Answer::No);
    EXPECT_TRUE(t.ui->takeDeclined());
    EXPECT_EQ(t.ui->message(MessageKind::Plain, Buttons::OkCancel, "Go?"), Answer::Cancel);
    EXPECT_EQ(t.ui->message(MessageKind::Plain, Buttons::YesNoCancel, "Save?"), Answer::Cancel);
    EXPECT_EQ(t.ui->message(MessageKind::Error, Buttons::Ok, "ERROR"), Answer::Ok);
    EXPECT_NE(t.written().find("warning: Overwrite?"), std::string::npos);
}

TEST(TerminalUi, ANoticeWithASingleYesIsNoQuestion) {
    Terminal t({.yes = false, .quiet = false, .interactive = false});
    EXPECT_EQ(t.ui->message(MessageKind::Information, Buttons::Yes, "MEMORY PROTECTED."), Answer::Yes);
    EXPECT_FALSE(t.ui->takeDeclined());
    EXPECT_EQ(t.written(), "MEMORY PROTECTED.\n");
}

TEST(TerminalUi, YesAnswersEveryQuestion) {
    Terminal t({.yes = true, .quiet = false, .interactive = false});
    EXPECT_EQ(t.ui->message(MessageKind::Plain, Buttons::YesNo, "?"), Answer::Yes);
    EXPECT_EQ(t.ui->message(MessageKind::Plain, Buttons::OkCancel, "?"), Answer::Ok);
    EXPECT_FALSE(t.ui->takeDeclined());
}

TEST(TerminalUi, AsksAtTheTerminalUntilItGetsAnAnswer) {
    Terminal t({.yes = false, .quiet = false, .interactive = true}, "maybe\nn\nc\n");
    EXPECT_EQ(t.ui->message(MessageKind::Plain, Buttons::YesNo, "Write memory 5?"), Answer::No);
    EXPECT_EQ(t.ui->message(MessageKind::Plain, Buttons::YesNoCancel, "Save?"), Answer::Cancel);
    // End of input declines.
    EXPECT_EQ(t.ui->message(MessageKind::Plain, Buttons::YesNo, "Again?"), Answer::No);
}

TEST(TerminalUi, QuietKeepsOnlyErrorsAndShowsTextsVerbatim) {
    Terminal t({.yes = false, .quiet = true, .interactive = false});
    t.ui->status(StatusField::LibraryInfo, "Sending START...");
    t.ui->information("Turn Off and ON the cabinet.");
    t.ui->error("  ¡¡ERROR!! HEADER NO VALID(3)");
    EXPECT_EQ(t.written(), "error:   ¡¡ERROR!! HEADER NO VALID(3)\n");
}

TEST(TerminalUi, StatusTextsAreShownOnceEach) {
    Terminal t({.yes = false, .quiet = false, .interactive = false, .verbose = true});
    t.ui->status(StatusField::LibraryInfo, "Sending START...");
    t.ui->status(StatusField::TransferInfo, "Sending START...");
    t.ui->status(StatusField::LibraryInfo, "Received START...");
    EXPECT_EQ(t.written(), "Sending START...\nReceived START...\n");
}

// The steps of a write to memory 3 that stops at LONG, as the procedures report them.
void stepsOfAFailedWrite(TerminalUi& ui) {
    ui.status(StatusField::InfoLabel, "Status : USB");
    ui.status(StatusField::InfoComLabel, "Comunication: USB");
    for (const char* step : {"Sending START...", "Received START...", "Sending DATA... to Memory 3", "Sending LONG..."})
        ui.status(StatusField::LibraryInfo, step);
    ui.error("  ¡¡ERROR!! HEADER NO VALID(3)");
}

TEST(TerminalUi, WithoutATerminalEachExchangeGetsOneLineAndAnErrorItsLastStep) {
    Terminal t({.yes = false, .quiet = false, .interactive = false});
    stepsOfAFailedWrite(*t.ui);
    EXPECT_EQ(t.written(), "Status : USB\nSending DATA... to Memory 3\nSending LONG...\nerror:   ¡¡ERROR!! HEADER NO VALID(3)\n");

    Terminal verbose({.yes = false, .quiet = false, .interactive = false, .verbose = true});
    stepsOfAFailedWrite(*verbose.ui);
    EXPECT_EQ(verbose.written(), "Status : USB\nComunication: USB\nSending START...\nReceived START...\n"
                                 "Sending DATA... to Memory 3\nSending LONG...\nerror:   ¡¡ERROR!! HEADER NO VALID(3)\n");
}

TEST(TerminalUi, HeadlinesNameTheMemoryOrTheOperatingSystem) {
    EXPECT_TRUE(isHeadlineStep("Sending DATA... to Memory 13"));
    EXPECT_TRUE(isHeadlineStep("Sending DATA... DSP Program "));
    EXPECT_TRUE(isHeadlineStep("Reading Configuration 2 from the HALDA40"));
    EXPECT_FALSE(isHeadlineStep("Sending DATA..."));
    EXPECT_FALSE(isHeadlineStep("Communication OK..."));
}

TEST(TerminalUi, UnderYesTheQuestionShowsItsAnswerAndTheLogGetsEverything) {
    const auto file = std::filesystem::temp_directory_path() / ("vela-terminal-log-" + std::to_string(platform::processId()));
    {
        Terminal t({.yes = true, .quiet = true, .interactive = false});
        RunLog log;
        ASSERT_TRUE(log.open(file));
        t.ui->setRunLog(&log);
        EXPECT_EQ(t.ui->message(MessageKind::Warning, Buttons::YesNoCancel, "Overwrite it?"), Answer::Yes);
        t.ui->status(StatusField::LibraryInfo, "Sending START...");  // quiet: not shown, but logged
        EXPECT_EQ(t.written(), "warning: Overwrite it? Yes (--yes)\n");
    }
    std::string logged;
    {
        std::ifstream in(file);
        logged.assign(std::istreambuf_iterator<char>(in), {});
    }  // closed first: Windows removes no open file
    std::filesystem::remove(file);
    EXPECT_NE(logged.find("question: Overwrite it?\n"), std::string::npos);
    EXPECT_NE(logged.find("answer: Yes\n"), std::string::npos);
    EXPECT_NE(logged.find("Sending START...\n"), std::string::npos);
}

TEST(TerminalUi, GaugesStayWithinTheirMaximum) {
    Terminal t({.yes = false, .quiet = false, .interactive = true});
    t.ui->gaugeMaximum(Gauge::ProgressBar, 3570);
    t.ui->gaugePosition(Gauge::ProgressBar, 64);
    t.ui->gaugeAdvance(Gauge::ProgressBar, 5000);
    EXPECT_EQ(t.ui->gaugePositionOf(Gauge::ProgressBar), 3570);
    t.ui->gaugeMaximum(Gauge::ProgressBar, 100);
    EXPECT_EQ(t.ui->gaugePositionOf(Gauge::ProgressBar), 100);
    EXPECT_NE(t.written().find("[####################]"), std::string::npos);
}

TEST(TerminalUi, TheModuleScanHasItsOwnBar) {
    Terminal t({.yes = false, .quiet = false, .interactive = true});
    t.ui->gaugeMaximum(Gauge::ProgressBar, 100);
    t.ui->gaugePosition(Gauge::ProgressBar, 50);
    t.ui->gaugeMaximum(Gauge::ScanProgress, 100);
    t.ui->gaugePosition(Gauge::ScanProgress, 100);
    const std::string out = t.written();
    EXPECT_NE(out.find("scan [####################]"), std::string::npos);
    EXPECT_EQ(t.ui->gaugePositionOf(Gauge::ProgressBar), 50) << "a scan leaves the program gauge alone";
}

}  // namespace
}  // namespace vela::cli
