#include "session/session.h"
#include "support/scripted_ui.h"

#include <gtest/gtest.h>

namespace vela {
namespace {

TEST(Session, StartsOfflineWithTheStartUpValues) {
    test::ScriptedUi ui;
    Session s(ui, {});
    EXPECT_EQ(s.SampleRate, 48000);
    EXPECT_EQ(s.state.Link, LinkKind::Offline);
    EXPECT_FALSE(s.state.UsbActive);
    EXPECT_FALSE(s.state.EthernetActive);
    EXPECT_FALSE(s.state.SerialActive);
    EXPECT_EQ(s.state.PressedLinkTag, 0);
    EXPECT_TRUE(s.state.LibraryLoadLocked);
    EXPECT_TRUE(s.state.EqRefreshSuppressed);
    EXPECT_EQ(s.state.ProgramNumber, 1);
    EXPECT_FALSE(s.state.RealTimeMode);
    EXPECT_EQ(s.state.RealTimeTarget, 1);
    EXPECT_FALSE(s.state.RealTimeBusy);
    EXPECT_FALSE(s.state.NewCancelled);
    EXPECT_EQ(s.state.ServiceClickCount, 0);
    EXPECT_FALSE(s.link.unitCommands.enabled);
    // The temporary folder is filled at start.
    EXPECT_FALSE(s.state.TempPath.empty());
}

TEST(Session, LinkKindsKeepTheButtonTags) {
    EXPECT_EQ(static_cast<int>(LinkKind::Offline), 0);
    EXPECT_EQ(static_cast<int>(LinkKind::COM1), 1);
    EXPECT_EQ(static_cast<int>(LinkKind::COM2), 2);
    EXPECT_EQ(static_cast<int>(LinkKind::USB), 3);
    EXPECT_EQ(static_cast<int>(LinkKind::Ethernet), 4);
}

TEST(Session, SessionsSideBySideShareNothing) {
    test::ScriptedUi ui1, ui2;
    Session a(ui1, {}), b(ui2, {});
    a.state.setProgramNumber(7);
    a.programImage[0] = 0x0D;
    EXPECT_EQ(b.state.ProgramNumber, 1);
    EXPECT_EQ(b.programImage[0], 0);
}

TEST(Session, ProgramNumberStaysWithinTheSpinRange) {
    SessionState s;
    s.setProgramNumber(0);
    EXPECT_EQ(s.ProgramNumber, 1);
    s.setProgramNumber(14);
    EXPECT_EQ(s.ProgramNumber, 13);
}

}  // namespace
}  // namespace vela
