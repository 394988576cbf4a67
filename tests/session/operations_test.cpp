// Operations end in a result: a link that drops in the middle is reported once and the session
// goes offline, whichever front end started them.
#include "session/link_choice.h"
#include "session/module_operations.h"
#include "session/operations.h"
#include "session/session.h"
#include "support/qt_app.h"
#include "support/scripted_ui.h"

#include <QTcpServer>
#include <gtest/gtest.h>

namespace vela {
namespace {

// A loopback port that nothing listens on.
std::uint16_t closedPort() {
    QTcpServer server;
    EXPECT_TRUE(server.listen(QHostAddress::LocalHost, 0));
    return server.serverPort();
}

// A session on an Ethernet link whose module does not take the connection.
struct RefusedEthernet {
    RefusedEthernet() {
        test::ensureQtApplication();
        options.kind = LinkKind::Ethernet;
        options.host = "127.0.0.1";
        options.tcpPort = closedPort();
        session = openSession(ui, options);
        EXPECT_TRUE(activateLink(*session, options));
    }
    // Reported once and offline; a link chosen again takes commands again.
    void expectReportedAndOffline() {
        int reports = 0;
        for (const auto& m : ui.messages) reports += m.text.rfind("ETHERNET error: Opening IP: 127.0.0.1", 0) == 0;
        EXPECT_EQ(reports, 1);
        EXPECT_EQ(session->state.Link, LinkKind::Offline);
        EXPECT_FALSE(session->state.EthernetActive);
        EXPECT_FALSE(session->state.RealTimeBusy);
        EXPECT_TRUE(activateLink(*session, options));
        EXPECT_TRUE(session->link.unitCommands.enabled);
    }
    test::ScriptedUi ui;
    LinkOptions options;
    std::unique_ptr<Session> session;
};

TEST(LostLink, EveryUnitCommandEndsInLinkLost) {
    using Operation = OperationResult (*)(Session&);
    for (const Operation operation : {Operation{changeProgram}, Operation{resetUnit}, Operation{probeUnit}}) {
        RefusedEthernet link;
        EXPECT_EQ(operation(*link.session), OperationResult::LinkLost);
        link.expectReportedAndOffline();
    }
    RefusedEthernet link;
    EXPECT_EQ(readProgram(*link.session).result, OperationResult::LinkLost);
    link.expectReportedAndOffline();
}

TEST(LostLink, TheModuleConnectEndsInLinkLost) {
    RefusedEthernet link;
    Session& session = *link.session;
    EthernetModuleSettings settings;
    settings.tcpPort = link.options.tcpPort;
    settings.broadcast = "127.0.0.1";
    ModuleAccess modules(session, settings);
    ASSERT_TRUE(modules.ready()) << modules.errorText();
    modules.window().chooseModule({"127.0.0.1", "STAGE", "M09", "ID1"});
    EXPECT_EQ(connectToModule(session, modules), OperationResult::LinkLost);
    link.expectReportedAndOffline();
}

}  // namespace
}  // namespace vela
