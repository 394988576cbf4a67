#pragma once
// The one thread that talks to the unit. The session and its channels live on it, so an
// exchange that waits for the unit never holds up the windows; the windows queue operations
// and hear when each has ended.

#include "session/session_view.h"

#include <QObject>
#include <QThread>

#include <atomic>
#include <functional>
#include <memory>

namespace vela {
class Session;
class RealTimeQueue;
}

using SessionViewPtr = std::shared_ptr<const vela::SessionView>;
Q_DECLARE_METATYPE(SessionViewPtr)

namespace vela::app {

class SessionWorker : public QObject {
    Q_OBJECT
public:
    // Called once on the worker thread, so that serial ports and sockets are created there.
    using SessionFactory = std::function<std::unique_ptr<Session>()>;

    explicit SessionWorker(SessionFactory makeSession, QObject* parent = nullptr);
    ~SessionWorker() override;
    SessionWorker(const SessionWorker&) = delete;
    SessionWorker& operator=(const SessionWorker&) = delete;

    // Queues `operation` on the worker thread; `done` then runs on the GUI thread. An
    // exception that escapes the operation is reported to the user and ends it.
    void run(std::function<void(Session&)> operation, std::function<void()> done = {});
    // An operation is queued or running.
    bool busy() const { return pending_.load() > 0; }
    // Asks the operation under way to stop at its next safe point.
    void requestStop() { stopRequested_ = true; }
    bool stopRequested() const { return stopRequested_.load(); }

    // On the worker thread: runs queued operations until `finished` says so. A question that
    // needs the user to start operations meanwhile (the connection window shown modally in
    // the middle of a run) waits here.
    void serveUntil(const std::function<bool()>& finished);

    // On the worker thread: tells the windows what the session shows now, in the middle of
    // an operation (every operation does so when it ends).
    void publishView();
    // Ends every wait of serveUntil, for a program that is closing.
    void stopServing() {
        closing_ = true;
        wake();
    }
    // Lets serveUntil look at its condition again after another thread changed it.
    void wake();

    // On the GUI thread: keeps the windows alive until no operation is queued or running, or
    // until `timeoutMs` ran out; true when idle.
    bool waitIdle(int timeoutMs);

    // The session itself, for tests that look at it while no operation runs. Windows read
    // only the views that sessionChanged brings.
    const Session& session() const { return *session_; }
    bool onWorkerThread() const { return QThread::currentThread() == &thread_; }
    // Where editors on any thread queue real-time frames; the worker sends them between
    // operations, one at a time.
    RealTimeQueue& realTimeQueue();

signals:
    // Every queued operation has ended.
    void idle();
    // The first operation was queued while none was: controls that would only queue behind it
    // are disabled until idle.
    void started();
    // What the windows show, as an operation left it.
    void sessionChanged(SessionViewPtr view);

private:
    // On the worker thread, unless an operation or another send is under way on the link.
    void sendRealTimeFrames();

    QThread thread_;
    QObject* context_ = nullptr;  // lives on thread_; operations are delivered to it
    std::unique_ptr<Session> session_;
    std::atomic<int> pending_{0};
    std::atomic<bool> stopRequested_{false};
    std::atomic<bool> closing_{false};
    bool linkInUse_ = false;  // worker thread only
};

}  // namespace vela::app
