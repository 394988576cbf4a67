#include "core/run_log.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <unistd.h>
#include <vector>

namespace vela {
namespace {

namespace fs = std::filesystem;

std::tm localNow(std::chrono::system_clock::time_point now) {
    const std::time_t t = std::chrono::system_clock::to_time_t(now);
    std::tm local{};
    localtime_r(&t, &local);
    return local;
}

// "2026-12-07 10:53:17.123": whole numbers only, so no locale can change it.
std::string timeStamp() {
    const auto now = std::chrono::system_clock::now();
    const std::tm t = localNow(now);
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
    char buf[80];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d.%03d", t.tm_year + 1900, t.tm_mon + 1, t.tm_mday,
                  t.tm_hour, t.tm_min, t.tm_sec, static_cast<int>(ms));
    return buf;
}

const char* kindText(MessageKind kind) {
    switch (kind) {
    case MessageKind::Plain: return "message";
    case MessageKind::Information: return "information";
    case MessageKind::Warning: return "warning";
    case MessageKind::Error: return "error";
    }
    return "message";
}

bool isRunFile(const fs::path& p) {
    const std::string name = p.filename().string();
    return name.rfind("run-", 0) == 0 && p.extension() == ".log";
}

}  // namespace

RunLog::~RunLog() {
    if (file_) std::fclose(file_);
}

bool RunLog::open(const fs::path& file) {
    std::error_code ec;
    if (file.has_parent_path()) fs::create_directories(file.parent_path(), ec);
    std::FILE* f = std::fopen(file.c_str(), "a");
    if (!f) {
        error_ = file.string() + ": " + std::strerror(errno);
        return false;
    }
    if (file_) std::fclose(file_);
    file_ = f;
    path_ = file;
    return true;
}

bool RunLog::openNewRun() {
    const fs::path dir = defaultDirectory();
    return !dir.empty() && open(newRunFile(dir));
}

void RunLog::line(std::string_view text) {
    if (!file_) return;
    const std::string stamp = timeStamp();
    std::fprintf(file_, "%s  %.*s\n", stamp.c_str(), static_cast<int>(text.size()), text.data());
    std::fflush(file_);
}

void RunLog::note(std::string_view what, std::string_view text) {
    line(std::string(what) + ": " + std::string(text));
}

void RunLog::message(MessageKind kind, Buttons buttons, std::string_view text, Answer answer) {
    if (!isQuestion(buttons)) {
        note(kindText(kind), text);
        return;
    }
    note("question", text);
    note("answer", buttonCaption(answer));
}

void RunLog::status(StatusField, std::string_view text) {
    // The transfer window repeats the library window's text: one line is enough.
    if (text.empty() || std::find(recent_.begin(), recent_.end(), text) != recent_.end()) return;
    recent_[next_++ % recent_.size()] = std::string(text);
    line(text);
}

fs::path RunLog::defaultDirectory() {
    if (const char* state = std::getenv("XDG_STATE_HOME"); state && *state == '/') return fs::path(state) / "velaupdate";
    if (const char* home = std::getenv("HOME"); home && *home) return fs::path(home) / ".local" / "state" / "velaupdate";
    return {};
}

fs::path RunLog::newRunFile(const fs::path& dir, std::size_t keep) {
    std::error_code ec;
    std::vector<fs::path> runs;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec))
        if (isRunFile(it->path())) runs.push_back(it->path());
    // The names begin with the time, so the oldest sort first.
    std::sort(runs.begin(), runs.end());
    for (std::size_t i = 0; i + std::max<std::size_t>(keep, 1) <= runs.size(); ++i) fs::remove(runs[i], ec);

    const std::tm t = localNow(std::chrono::system_clock::now());
    char name[96];
    std::snprintf(name, sizeof name, "run-%04d%02d%02d-%02d%02d%02d-%ld.log", t.tm_year + 1900, t.tm_mon + 1,
                  t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec, static_cast<long>(::getpid()));
    return dir / name;
}

}  // namespace vela
