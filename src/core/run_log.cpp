#include "core/run_log.h"

#include "platform/files.h"
#include "platform/folders.h"
#include "platform/process.h"
#include "platform/utf8_paths.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <ctime>
#include <mutex>
#include <vector>

namespace vela {
namespace {

namespace fs = std::filesystem;

std::tm localNow(std::chrono::system_clock::time_point now) {
    return platform::localTime(std::chrono::system_clock::to_time_t(now));
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
    const std::string name = platform::utf8FromPath(p.filename());
    return name.rfind("run-", 0) == 0 && p.extension() == ".log";
}

}  // namespace

struct RunLog::File {
    std::FILE* stream;
    fs::path path;
    std::mutex lines;  // sections write from their own threads

    File(std::FILE* f, fs::path p) : stream(f), path(std::move(p)) {}
    ~File() { std::fclose(stream); }
    File(const File&) = delete;
    File& operator=(const File&) = delete;
};

RunLog::~RunLog() = default;

bool RunLog::open(const fs::path& file) {
    std::error_code ec;
    if (file.has_parent_path()) fs::create_directories(file.parent_path(), ec);
    // Pruning by another run spares the file while it is open.
    std::FILE* f = file.empty() ? nullptr : platform::openForAppend(file);
    if (!f) {
        error_ = platform::utf8FromPath(file) + ": " + std::strerror(file.empty() ? ENOENT : errno);
        return false;
    }
    file_ = std::make_shared<File>(f, file);
    return true;
}

bool RunLog::openNewRun() {
    const fs::path dir = defaultDirectory();
    return !dir.empty() && open(newRunFile(dir));
}

const fs::path& RunLog::path() const {
    static const fs::path none;
    return file_ ? file_->path : none;
}

RunLog RunLog::section(std::string_view name) {
    note("section", name);
    RunLog part;
    part.file_ = file_;
    part.tag_ = tag_ + "[" + std::string(name) + "] ";
    return part;
}

void RunLog::line(std::string_view text) {
    if (!file_) return;
    const std::string stamp = timeStamp();
    const std::lock_guard lock(file_->lines);
    std::fprintf(file_->stream, "%s  %s%.*s\n", stamp.c_str(), tag_.c_str(), static_cast<int>(text.size()),
                 text.data());
    std::fflush(file_->stream);
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

fs::path RunLog::defaultDirectory() { return platform::stateFolder(); }

fs::path RunLog::newRunFile(const fs::path& dir, std::size_t keep) {
    std::error_code ec;
    fs::create_directories(dir, ec);
    std::vector<fs::path> runs;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec))
        if (isRunFile(it->path())) runs.push_back(it->path());
    // The names begin with the time, so the oldest sort first.
    std::sort(runs.begin(), runs.end());
    const std::size_t kept = std::max<std::size_t>(keep, 1) - 1;
    std::size_t excess = runs.size() > kept ? runs.size() - kept : 0;
    for (std::size_t i = 0; excess > 0 && i < runs.size(); ++i)
        if (platform::removeUnlessOpen(runs[i])) --excess;

    const std::tm t = localNow(std::chrono::system_clock::now());
    char stem[96];
    std::snprintf(stem, sizeof stem, "run-%04d%02d%02d-%02d%02d%02d-%lu", t.tm_year + 1900, t.tm_mon + 1, t.tm_mday,
                  t.tm_hour, t.tm_min, t.tm_sec, platform::processId());
    // Several logs of one process may start in the same second.
    for (int n = 1; n <= 9999; ++n) {
        const fs::path file = dir / (std::string(stem) + (n == 1 ? "" : "-" + std::to_string(n)) + ".log");
        const platform::NewFile made = platform::createNewFile(file);
        if (made == platform::NewFile::Made) return file;
        if (made == platform::NewFile::Failed) break;
    }
    return {};
}

}  // namespace vela
