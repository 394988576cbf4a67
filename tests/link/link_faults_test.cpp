// Links that fail under the program: a device another program holds, a setting or a write
// the device refuses, a device that goes away, one that does not exist.
#include "link/device_link.h"
#include "link/device_lock.h"
#include "link/realtime.h"
#include "link/tty_port.h"
#include "support/pty_pair.h"
#include "support/scripted_ui.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace vela {
namespace {

using Bytes = std::vector<std::uint8_t>;

bool contains(const std::string& text, std::string_view part) { return text.find(part) != std::string::npos; }

std::string ownName() {
    std::ifstream in("/proc/self/comm");
    std::string name;
    std::getline(in, name);
    return name;
}

// A pseudo-terminal whose unit side can be switched off: the slave then hangs up.
class UnpluggablePty {
public:
    UnpluggablePty() {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
        ::grantpt(master_);
        ::unlockpt(master_);
        path_ = ::ptsname(master_);
    }
    ~UnpluggablePty() { unplug(); }
    const std::string& path() const { return path_; }
    void unplug() {
        if (master_ >= 0) ::close(master_);
        master_ = -1;
    }

private:
    int master_ = -1;
    std::string path_;
};

LinkDevices usbAt(const std::string& path) {
    return LinkDevices{[path](int) -> std::unique_ptr<ByteChannel> { return std::make_unique<TtyPort>(path); },
                       nullptr, nullptr};
}

TEST(ExclusiveUse, ASecondOpenOfTheDeviceIsRefusedAndNamesTheHolder) {
    test::PtyPair pty;
    TtyPort first(pty.slavePath());
    ASSERT_TRUE(first.open());
    TtyPort second(pty.slavePath());
    EXPECT_FALSE(second.open());
    EXPECT_FALSE(second.isOpen());
    EXPECT_TRUE(contains(second.errorText(), pty.slavePath() + " is in use by another program"))
        << second.errorText();
    EXPECT_TRUE(contains(second.errorText(), ownName() + ", PID " + std::to_string(::getpid())))
        << second.errorText();
    first.close();
    EXPECT_TRUE(second.open());  // free again once the holder lets go
}

TEST(ExclusiveUse, AProgramThatFindsTheBridgeBusySendsNothing) {
    test::PtyPair pty;
    test::ScriptedUi ui1, ui2;
    SessionState state1, state2;
    DeviceLink running(state1, ui1, usbAt(pty.slavePath()));
    DeviceLink second(state2, ui2, usbAt(pty.slavePath()));
    ASSERT_EQ(running.usb.UsbOpen(), FT_OK);  // in the middle of an exchange

    second.usb.UsbConnect();
    EXPECT_FALSE(state2.UsbActive);
    EXPECT_EQ(state2.Link, LinkKind::Offline);
    ASSERT_EQ(ui2.messages.size(), 1u);
    EXPECT_TRUE(contains(ui2.messages[0].text, "Can't open the USB. Please verify that the USB is connected and your "
                                               "Box is switch on - Device Not Opened...\n"));
    EXPECT_TRUE(contains(ui2.messages[0].text, pty.slavePath() + " is in use by another program"));
    EXPECT_TRUE(pty.receive(1, std::chrono::milliseconds(100)).empty());

    ASSERT_TRUE(running.usb.writeBytes(Bytes{0x65}));
    EXPECT_EQ(pty.receive(1, std::chrono::seconds(2)), Bytes{0x65});
    running.usb.UsbClose();
}

TEST(ExclusiveUse, TheSerialProgramsLockFileIsHonouredAndKept) {
    const auto dir = std::filesystem::temp_directory_path() / ("vela_locks_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const std::string device = "/dev/ttyUSB7";
    const auto file = dir / "LCK..ttyUSB7";
    EXPECT_EQ(UucpLock::fileName("/dev/pts/3"), "LCK..pts_3");

    {
        UucpLock ours(dir);
        EXPECT_EQ(ours.acquire(device), "");
        std::ifstream in(file);
        long pid = 0;
        in >> pid;
        EXPECT_EQ(pid, ::getpid());
    }
    EXPECT_FALSE(std::filesystem::exists(file));  // released with its holder

    // A lock whose program has ended is taken over; one whose program runs is refused.
    const pid_t ended = ::fork();
    if (ended == 0) ::_exit(0);
    ::waitpid(ended, nullptr, 0);
    std::ofstream(file) << "     " << ended << "\n";
    UucpLock again(dir);
    EXPECT_EQ(again.acquire(device), "");
    again.release();

    std::ofstream(file) << "         1\n";
    UucpLock refused(dir);
    EXPECT_TRUE(contains(refused.acquire(device), "PID 1"));
    std::filesystem::remove_all(dir);
}

TEST(UsbFaults, ARefusedSettingLeavesTheLinkOffline) {
    test::PtyPair pty;
    test::ScriptedUi ui;
    SessionState state;
    DeviceLink link(state, ui, usbAt(pty.slavePath()));
    link.usb.settings.eventCharEnabled = 1;  // the tty driver has no event character
    link.usb.UsbConnect();
    EXPECT_FALSE(state.UsbActive);
    EXPECT_EQ(state.Link, LinkKind::Offline);
    EXPECT_FALSE(link.unitCommands.enabled);
    EXPECT_FALSE(link.usb.isOpen());
    ASSERT_FALSE(ui.messages.empty());
    EXPECT_EQ(ui.messages[0].text, "FT_SetChars - Invalid Parameter ...");
}

TEST(UsbFaults, AnUnpluggedBridgeFailsReadsAndWritesWithTheirReport) {
    UnpluggablePty pty;
    test::ScriptedUi ui;
    SessionState state;
    DeviceLink link(state, ui, usbAt(pty.path()));
    state.UsbActive = true;
    ASSERT_EQ(link.usb.UsbOpen(), FT_OK);
    pty.unplug();
    // A hung-up tty is always "ready"; the read must end rather than spin to its time-out.
    EXPECT_EQ(link.usb.UsbRead(1), 0u);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "USB Read Failed - General IO Error...\n" + pty.path() + ": the device is gone");
    EXPECT_FALSE(state.UsbActive);
    EXPECT_FALSE(link.usb.writeBytes(Bytes{0x65}));
    EXPECT_TRUE(contains(ui.messages.back().text, "USB Write Failed - General IO Error..."));
}

TEST(RealTimeFaults, AFrameThatCouldNotGoOutIsReportedOnEachLink) {
    test::ScriptedUi ui;
    SessionState state;
    LinkDevices devices;
    devices.serial = std::make_unique<TtyPort>("/dev/no-such-tty");
    devices.ethernet = [](const std::string&, std::uint16_t) -> std::unique_ptr<ByteChannel> { return nullptr; };
    DeviceLink link(state, ui, std::move(devices));
    state.SerialActive = true;
    state.EthernetActive = true;  // but never connected
    RealTimeSender rt(link);
    EXPECT_EQ(rt.SendRealTime(Channel::Serial, 1, 2), ExchangeResult::Failure);
    EXPECT_EQ(rt.SendRealTime(Channel::Ethernet, 1, 2), ExchangeResult::Failure);
    rt.SendParameterValue(1, 2);
    std::vector<std::string> texts;
    for (const auto& m : ui.messages) texts.push_back(m.text);
    EXPECT_EQ(texts, (std::vector<std::string>{"ETHERNET ERROR REAL TIME", "COM ERROR REAL TIME"}));
    EXPECT_FALSE(state.RealTimeBusy);
}

}  // namespace
}  // namespace vela
