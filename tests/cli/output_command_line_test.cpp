// What the command line says and refuses: load-all over links and units it must not write,
// --quiet keeping failures, --json staying one document, and names from units and files
// reaching the terminal decoded and with their control bytes shown.

#include "library/library_window.h"
#include "platform/process.h"
#include "support/velaupdate_process.h"
#ifndef _WIN32
#include "support/pty_pair.h"
#endif

#include <gtest/gtest.h>

#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace {

using vela::test::has;
using vela::test::Outcome;
using vela::test::run;
using vela::test::SimProcess;

// A strict reader of one JSON value; true when `text` is exactly that value and a newline.
class JsonCheck {
public:
    explicit JsonCheck(const std::string& text) : s_(text) {}
    bool oneDocument() {
        if (!value()) return false;
        return i_ + 1 == s_.size() && s_[i_] == '\n';
    }

private:
    bool value() {
        if (i_ >= s_.size()) return false;
        const char c = s_[i_];
        if (c == '{') return container('}', true);
        if (c == '[') return container(']', false);
        if (c == '"') return string();
        for (const char* word : {"true", "false", "null"})
            if (s_.compare(i_, std::strlen(word), word) == 0) return (i_ += std::strlen(word)), true;
        const std::size_t start = i_;
        while (i_ < s_.size() && std::strchr("+-0123456789.eE", s_[i_])) ++i_;
        return i_ > start;
    }
    bool container(char close, bool object) {
        ++i_;
        if (i_ < s_.size() && s_[i_] == close) return ++i_, true;
        for (;;) {
            if (object && !(string() && i_ < s_.size() && s_[i_++] == ':')) return false;
            if (!value() || i_ >= s_.size()) return false;
            if (s_[i_] == close) return ++i_, true;
            if (s_[i_++] != ',') return false;
        }
    }
    bool string() {
        if (i_ >= s_.size() || s_[i_] != '"') return false;
        for (++i_; i_ < s_.size(); ++i_) {
            const auto c = static_cast<unsigned char>(s_[i_]);
            if (c < 0x20) return false;
            if (c == '\\') ++i_;
            else if (c == '"') return ++i_, true;
        }
        return false;
    }
    const std::string& s_;
    std::size_t i_ = 0;
};

bool oneJsonDocument(const std::string& text) { return JsonCheck(text).oneDocument(); }

// True when the text is valid UTF-8 with no control byte but the newline.
bool cleanForATerminal(const std::string& text) {
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        if ((c < 0x20 && c != '\n') || c == 0x7F) return false;
        const std::size_t len = c < 0x80 ? 1 : (c & 0xE0) == 0xC0 ? 2 : (c & 0xF0) == 0xE0 ? 3 : (c & 0xF8) == 0xF0 ? 4 : 0;
        if (len == 0 || i + len > text.size()) return false;
        for (std::size_t k = 1; k < len; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
        i += len;
    }
    return true;
}

std::string serviceCode() {
    const std::time_t now = std::time(nullptr);
    const std::tm local = vela::platform::localTime(now);
    return vela::LibraryWindow::serviceCodeFor(local.tm_year + 1900, local.tm_mon + 1);
}

// A program image whose name field holds an escape sequence and Windows-1252 letters.
std::string hostileImage() {
    const std::string path = ::testing::TempDir() + "vela-names-" + std::to_string(::getpid()) + ".bin";
    std::string bytes(3570, '\0');
    bytes[0] = 0x0D;
    bytes[1] = static_cast<char>(0xF0);
    bytes.replace(12, 10, "A\x1b[2JB\xe9\x80\x7f\x07");
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

#ifndef _WIN32  // the test plays the line on a pseudo-terminal
TEST(LoadAllRefusals, TheSerialLineGetsNoByte) {
    vela::test::PtyPair unit;
    const Outcome r = run("--serial=" + unit.slavePath() + " load-all --model M01 --force");
    EXPECT_EQ(r.code, 2) << r.out;
    EXPECT_TRUE(has(r, "over USB or Ethernet only")) << r.out;
    EXPECT_TRUE(unit.receive(1, std::chrono::milliseconds(200)).empty());
}

TEST(QuietOutput, KeepsFailuresAndTheSummaryOfAFailedRun) {
    vela::test::PtyPair silent;  // a line on which nothing answers
    const Outcome probe = run("--quiet --usb=" + silent.slavePath() + " probe");
    EXPECT_EQ(probe.code, 1);
    EXPECT_TRUE(has(probe, "This is not a HALDA40 processor, It cannot communicate.")) << probe.out;

    SimProcess sim("--pty --protect 2");
    const Outcome r = run("--quiet --usb=" + sim.line().substr(4) + " load-all --model M01 --force");
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(has(r, "Memory 2 is protected: unprotect it on the processor, then run the update again. Memories "
                       "written: 1; memories 2 to 5 keep their old programs"))
        << r.out;
    EXPECT_FALSE(has(r, "Sending DATA")) << r.out;
}
#endif

TEST(LoadAllRefusals, ALockedUnitTakesAnotherModelOnlyWithTheServiceCode) {
    VELA_LINUX_ONLY("a pseudo-terminal");
    SimProcess outside("--pty --model-code 40");  // a code past the catalogue: locked, no row
    const std::string usb = "--usb=" + outside.line().substr(4);
    const Outcome refused = run(usb + " load-all --model M02 --force");
    EXPECT_EQ(refused.code, 2) << refused.out;
    EXPECT_TRUE(has(refused, "model code 40 is no model of this catalogue")) << refused.out;
    EXPECT_FALSE(has(refused, "Sending DATA... to Memory 2")) << refused.out;
    EXPECT_EQ(run(usb + " load-all --model M02 --force --service-code 1").code, 2);
    const Outcome unlocked = run(usb + " --quiet load-all --model M09 --force --service-code " + serviceCode());
    EXPECT_EQ(unlocked.code, 0) << unlocked.out;

    SimProcess m02("--pty --model-code 4");
    const std::string own = "--usb=" + m02.line().substr(4);
    const Outcome other = run(own + " load-all --library " + std::string(FACTORY_LIBRARIES) + "/M09.HLB --force");
    EXPECT_EQ(other.code, 2) << other.out;
    EXPECT_TRUE(has(other, "this unit is a M02")) << other.out;
}

TEST(RestoreUnderTheModelLock, AnotherModelsBackupGoesBackOnlyWithTheServiceCode) {
    VELA_LINUX_ONLY("a pseudo-terminal");
    SimProcess m09("--pty --model-code 15");
    const std::string usb = "--usb=" + m09.line().substr(4);
    // The factory library of M01 is a backup of an M01 cabinet's five memories.
    const std::string m01 = std::string(FACTORY_LIBRARIES) + "/M01.HLB";
    const Outcome refused = run(usb + " --yes restore " + m01);
    EXPECT_EQ(refused.code, 2) << refused.out;
    EXPECT_TRUE(has(refused, "This backup holds M01 programs; this cabinet is an M09")) << refused.out;
    EXPECT_EQ(run(usb + " --yes restore " + m01 + " --service-code 1").code, 2);
    EXPECT_TRUE(has(run(usb + " probe --json", false), "\"modelCode\":15"));

    const Outcome restored = run(usb + " --yes restore " + m01 + " --service-code " + serviceCode());
    EXPECT_EQ(restored.code, 0) << restored.out;
    EXPECT_TRUE(has(restored, "Restore 5 memories from M01.HLB? 5 differ from the cabinet, 0 are the same"))
        << restored.out;
    EXPECT_TRUE(has(run(usb + " probe --json", false), "\"modelCode\":2"));
}

TEST(JsonOutput, VerifyAndRepeatStayInsideTheDocuments) {
    const Outcome verify = run("--sim --quiet load-all --model M09 --verify --json", false);
    EXPECT_EQ(verify.code, 0);
    EXPECT_TRUE(oneJsonDocument(verify.out)) << verify.out;
    EXPECT_TRUE(has(verify, "\"verify\":[{\"memory\":1,\"result\":\"same\"},{\"memory\":2,")) << verify.out;

    const Outcome repeat = run("--sim --quiet load-all --model M09 --repeat --count 2 --json", false);
    EXPECT_EQ(repeat.code, 0);
    const auto split = repeat.out.find('\n') + 1;
    EXPECT_TRUE(oneJsonDocument(repeat.out.substr(0, split))) << repeat.out;
    EXPECT_TRUE(oneJsonDocument(repeat.out.substr(split))) << repeat.out;
    EXPECT_TRUE(has(repeat, "\"unit\":2,\"unitsDone\":2,\"unitsFailed\":0}\n")) << repeat.out;
}

TEST(JsonOutput, EveryCommandGivesOneDocumentEvenWhenItFails) {
    const std::string missing = ::testing::TempDir() + "vela-missing-file";
    const char* commands[] = {
        "models --json",
        "devices --json",
        "--sim probe --json",
        "--sim read 3 --json",
        "--usb=/dev/pts/99 read 3 --json",
        "--usb=/dev/pts/99 load-all --model M01 --force --json",
        "--sim load-all --model M99 --json",
        "--sim load-all --json --verify --model M09",
        "--offline realtime --address 1 --value 2 --json",
        "--sim realtime --address 1 --value 2 --json",
        "design biquad --type 99 --json",
        "design biquad --type 1 --json",
        "design dynamics --json",
        "import --format 0 MISSING --json",
        "preset show MISSING --json",
        "library show MISSING --json",
        "ethernet connect --ip 127.0.0.1 --tcp-port 1 --json",
        "check-update --url http://127.0.0.1:1 --json",
    };
    for (std::string command : commands) {
        if (const auto at = command.find("MISSING"); at != std::string::npos) command.replace(at, 7, missing);
        const Outcome r = run(command, false);
        EXPECT_TRUE(oneJsonDocument(r.out)) << command << " gave: " << r.out;
        if (r.code != 0) {
            EXPECT_TRUE(has(r, "\"exitCode\":") || has(r, "\"answered\":false")) << command << r.out;
        }
    }
}

TEST(UnitNames, AreDecodedAndTheirControlBytesShownInTextAndJson) {
    VELA_LINUX_ONLY("a pseudo-terminal");
    SimProcess sim("--pty");
    const std::string usb = "--usb=" + sim.line().substr(4);
    const std::string image = hostileImage();
    ASSERT_EQ(run(usb + " --quiet write 6 --image " + image + " --yes").code, 0);
    const Outcome text = run(usb + " --quiet read 6", false);
    EXPECT_TRUE(cleanForATerminal(text.out)) << text.out;
    EXPECT_TRUE(has(text, "name: A\\x1b[2JB\xc3\xa9\xe2\x82\xac\\x7f\\x07\n")) << text.out;
    const Outcome json = run(usb + " --quiet read 6 --json", false);
    EXPECT_TRUE(oneJsonDocument(json.out)) << json.out;
    EXPECT_TRUE(has(json, "\"name\":\"A\\\\x1b[2JB\xc3\xa9\xe2\x82\xac\\\\x7f\\\\x07\"")) << json.out;

    // The same name as a library entry.
    std::ifstream in(image, std::ios::binary);
    std::string library(57121, '\0');
    library[0] = 1;
    in.read(&library[1], 3570);
    const std::string file = image + ".HLB";
    std::ofstream(file, std::ios::binary) << library;
    const Outcome show = run("library show " + file, false);
    EXPECT_TRUE(cleanForATerminal(show.out)) << show.out;
    EXPECT_TRUE(has(show, "A\\x1b[2JB")) << show.out;
    std::remove(image.c_str());
    std::remove(file.c_str());
}

}  // namespace
