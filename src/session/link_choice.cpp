#include "session/link_choice.h"

#include "link/port_discovery.h"
#include "link/tcp_socket.h"
#include "platform/utf8_paths.h"
#include "session/session.h"
#include "sim/in_process_unit.h"

#include <QCoreApplication>
#include <QDir>

#include <mutex>

namespace vela {
namespace {

// Library and manual files not in the current directory are looked for beside the program
// (the build tree) and in its installed data directory.
std::vector<std::filesystem::path> dataDirectories() {
    // Sessions are made on several threads at once, and Qt caches the program's path on
    // first use.
    static std::mutex reading;
    const std::lock_guard lock(reading);
    if (!QCoreApplication::instance()) return {};
    const std::filesystem::path dir =
        platform::pathFromUtf8(QDir::toNativeSeparators(QCoreApplication::applicationDirPath()).toStdString());
    return {dir / "libraries", dir / "manuals", dir.parent_path() / "share" / "velaupdate" / "libraries",
            dir.parent_path() / "share" / "velaupdate" / "manuals"};
}

} // namespace

LinkDevices hardwareDevices(const LinkOptions& o) {
    LinkDevices d;
    d.usb = usbLocator(o.usbDevice);
    // The serial port is ours alone while open, as the bridge is.
    d.serial = serialPortChannel(o.serialPort.empty() ? defaultSerialPort() : o.serialPort);
    d.ethernet = tcpDevices().ethernet;
    return d;
}

LinkDevices tcpDevices() {
    LinkDevices d;
    d.usb = [](int) -> std::unique_ptr<ByteChannel> { return nullptr; };
    d.ethernet = makeTcpSocket;
    return d;
}

std::unique_ptr<Session> openSession(UserInterface& ui, const LinkOptions& link) {
    // --sim: every channel leads to a simulated unit running inside this process.
    auto s =
        link.sim
            ? std::make_unique<Session>(ui, sim::inProcessDevices(std::make_shared<sim::InProcessUnit>()))
            : std::make_unique<Session>(ui, hardwareDevices(link));
    s->libraryForm.dataDirectories = dataDirectories();
    return s;
}

bool activateLink(Session& s, const LinkOptions& link) {
    SessionState& st = s.state;
    switch (link.kind) {
    case LinkKind::USB:
        st.Link = LinkKind::USB;
        st.UsbActive = true;
        break;
    case LinkKind::Ethernet:
        s.link.ethernet.setAddress(link.host, link.tcpPort);
        st.Link = LinkKind::Ethernet;
        st.EthernetActive = true;
        break;
    case LinkKind::COM1:
    case LinkKind::COM2:
        st.Link = LinkKind::COM1;
        st.SerialActive = true;
        break;
    case LinkKind::Offline:
        return false;
    }
    s.link.EnableUnitCommands();
    return true;
}

} // namespace vela
