#include "support/velaupdate_process.h"

#include <QByteArray>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <algorithm>

#ifdef _WIN32
#include <windows.h>
#else
#include <csignal>
#endif

namespace vela::test {
namespace {

QStringList qtWords(const std::string& line) {
    QStringList words;
    for (const std::string& w : shellWords(line)) words << QString::fromStdString(w);
    return words;
}

// A Windows console program writes "\r\n" in text mode; the tests compare lines as Linux ends them.
std::string asLinuxLines(QByteArray bytes) {
#ifdef _WIN32
    bytes.replace("\r\n", "\n");
#endif
    return bytes.toStdString();
}

void prepare(QProcess& p, const QStringList& arguments, const Surroundings& where) {
    p.setProgram(QString::fromStdString(binary()));
    p.setArguments(arguments);
    p.setStandardInputFile(QProcess::nullDevice());
    if (!where.folder.empty()) p.setWorkingDirectory(QString::fromStdU16String(where.folder.u16string()));
    if (!where.environment.empty()) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const Setting& s : where.environment) {
            if (s.value) environment.insert(QString::fromStdString(s.name), QString::fromStdString(*s.value));
            else environment.remove(QString::fromStdString(s.name));
        }
        p.setProcessEnvironment(environment);
    }
}

int exitCodeOf(QProcess& p) {
    if (!p.waitForFinished(-1) || p.exitStatus() != QProcess::NormalExit) return -1;
    return p.exitCode();
}

}  // namespace

// As the system names it: Z:\work\...\velaupdate.com under Wine, as the program names its own folder.
std::string binary() { return std::filesystem::absolute(VELAUPDATE_BINARY).make_preferred().string(); }

std::vector<std::string> shellWords(const std::string& line) {
    std::vector<std::string> words;
    std::string word;
    bool inWord = false;
    char quote = 0;
    for (const char c : line) {
        if (quote) {
            if (c == quote) quote = 0;
            else word += c;
        } else if (c == '\'' || c == '"') {
            quote = c;
            inWord = true;
        } else if (c == ' ' || c == '\t' || c == '\n') {
            if (inWord) words.push_back(std::exchange(word, {}));
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord) words.push_back(word);
    return words;
}

Outcome run(const std::string& arguments, bool withStderr, const Surroundings& where) {
    QProcess p;
    prepare(p, qtWords(arguments), where);
    if (withStderr) p.setProcessChannelMode(QProcess::MergedChannels);
    else p.setStandardErrorFile(QProcess::nullDevice());
    p.start();
    const int code = exitCodeOf(p);
    return {asLinuxLines(p.readAllStandardOutput()), code};
}

Outcome runForErrors(const std::string& arguments) {
    QProcess p;
    prepare(p, qtWords(arguments), {});
    p.setStandardOutputFile(QProcess::nullDevice());
    p.start();
    const int code = exitCodeOf(p);
    return {asLinuxLines(p.readAllStandardError()), code};
}

Outcome shell(const std::string& line) {
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), QString::fromStdString(line)});
    const int code = exitCodeOf(p);
    return {p.readAllStandardOutput().toStdString(), code};
}

Setting stateHome(const std::filesystem::path& home) {
#ifdef _WIN32
    return {"LOCALAPPDATA", home.string()};
#else
    return {"XDG_STATE_HOME", home.string()};
#endif
}

std::filesystem::path stateFolderIn(const std::filesystem::path& home) {
#ifdef _WIN32
    return home / "VELAupdate";
#else
    return home / "velaupdate";
#endif
}

std::string portOf(const std::string& line) {
    for (std::size_t colon = line.find(':'); colon != std::string::npos; colon = line.find(':', colon + 1)) {
        std::size_t end = colon + 1;
        while (end < line.size() && line[end] >= '0' && line[end] <= '9') ++end;
        if (end > colon + 1 && end < line.size() && line[end] == ' ') return line.substr(colon + 1, end - colon - 1);
    }
    return {};
}

bool hasRow(const std::string& text, const std::string& start, std::initializer_list<std::string> parts) {
    std::size_t at = 0;
    while (at <= text.size()) {
        const std::size_t end = std::min(text.find('\n', at), text.size());
        const std::string line = text.substr(at, end - at);
        if (line.rfind(start, 0) == 0) {
            std::size_t pos = start.size();
            bool all = true;
            for (const std::string& part : parts) {
                pos = line.find(part, pos);
                if (pos == std::string::npos) {
                    all = false;
                    break;
                }
                pos += part.size();
            }
            if (all) return true;
        }
        at = end + 1;
    }
    return false;
}

struct SimProcess::Running {
    QProcess process;
};

SimProcess::SimProcess(const std::string& options) : running_(std::make_unique<Running>()) {
    QProcess& p = running_->process;
    prepare(p, QStringList{QStringLiteral("sim")} + qtWords(options), {});
    p.setStandardErrorFile(QProcess::nullDevice());
#ifdef _WIN32
    // A group of its own, so that Ctrl-Break reaches the simulated unit alone.
    p.setCreateProcessArgumentsModifier([](QProcess::CreateProcessArguments* a) {
        a->flags |= CREATE_NEW_PROCESS_GROUP;
    });
#endif
    p.start();
    p.waitForStarted();
}

SimProcess::~SimProcess() {
    if (running_->process.state() != QProcess::NotRunning) stop();
}

std::string SimProcess::line() {
    QProcess& p = running_->process;
    while (!p.canReadLine()) {
        if (!p.waitForReadyRead(20000)) return {};
    }
    std::string s = p.readLine().toStdString();
    while (!s.empty() && (s.back() == '\n' || s.back() == '\r')) s.pop_back();
    return s;
}

int SimProcess::stop() {
    QProcess& p = running_->process;
    if (p.state() == QProcess::NotRunning) return -1;
#ifdef _WIN32
    // Wine refuses a console event for one process group: the unit is then ended at once.
    const bool sent = GenerateConsoleCtrlEvent(CTRL_BREAK_EVENT, static_cast<DWORD>(p.processId()));
#else
    const bool sent = ::kill(static_cast<pid_t>(p.processId()), SIGINT) == 0;
#endif
    if (!sent || !p.waitForFinished(10000)) {
        p.kill();
        p.waitForFinished();
        return -1;
    }
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

}  // namespace vela::test
