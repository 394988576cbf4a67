#include "app/session_worker.h"

#include "session/realtime_mode.h"
#include "session/session.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <exception>

namespace vela::app {

SessionWorker::SessionWorker(SessionFactory makeSession, QObject* parent) : QObject(parent) {
    qRegisterMetaType<SessionViewPtr>();
    thread_.setObjectName("session");
    context_ = new QObject;
    context_->moveToThread(&thread_);
    thread_.start();
    QMetaObject::invokeMethod(
        context_,
        [this, &makeSession] {
            session_ = makeSession();
            session_->realTimeQueue.setWake(
                [this] { QMetaObject::invokeMethod(context_, [this] { sendRealTimeFrames(); }); });
        },
        Qt::BlockingQueuedConnection);
}

RealTimeQueue& SessionWorker::realTimeQueue() { return session_->realTimeQueue; }

void SessionWorker::sendRealTimeFrames() {
    // A frame never cuts into an exchange: an operation waiting in a nested event loop (a
    // question, a download) leaves the frames for its own end.
    if (linkInUse_) return;
    linkInUse_ = true;
    const unsigned endings = session_->realTimeEndings;
    // A frame queued while the last one went out may have woken us inside that send, where
    // the wake-up found the link in use: look again until nothing waits.
    do {
        sendQueuedRealTime(*session_);
    } while (session_->realTimeQueue.waiting() > 0);
    linkInUse_ = false;
    // A frame that could not go out ended real-time mode: every window hears it at once.
    if (session_->realTimeEndings != endings) publishView();
}

SessionWorker::~SessionWorker() {
    // Never under a running operation: a teardown queued now would run inside the event loop
    // that the operation waits in (an HTTP request, a question) and pull the session from
    // under it. Operations end by their own time limits; the windows stay served meanwhile.
    while (!waitIdle(1000)) {
    }
    // The session's channels belong to the worker thread and are closed there.
    QMetaObject::invokeMethod(
        context_,
        [this] {
            session_->realTimeQueue.setWake({});
            session_.reset();
            context_->deleteLater();  // goes when the thread finishes
        },
        Qt::BlockingQueuedConnection);
    thread_.quit();
    thread_.wait();
}

void SessionWorker::run(std::function<void(Session&)> operation, std::function<void()> done) {
    if (pending_++ == 0) emit started();
    QMetaObject::invokeMethod(context_, [this, operation = std::move(operation), done = std::move(done)]() mutable {
        stopRequested_ = false;
        const bool nested = linkInUse_;
        linkInUse_ = true;
        try {
            operation(*session_);
        } catch (const std::exception& e) {
            // Operations end in results; this is the last guard, never the normal path.
            session_->ui.error(std::string("The operation stopped: ") + e.what());
        }
        linkInUse_ = nested;
        // Real time never outlives the link, whichever operation lost it.
        endRealTimeIfLinkGone(*session_);
        sendRealTimeFrames();
        publishView();
        QMetaObject::invokeMethod(this, [this, done = std::move(done)] {
            const bool last = --pending_ == 0;
            if (done) done();
            if (last) emit idle();
        });
    });
}

void SessionWorker::publishView() { emit sessionChanged(std::make_shared<const SessionView>(viewOf(*session_))); }

void SessionWorker::serveUntil(const std::function<bool()>& finished) {
    QEventLoop loop;
    while (!finished() && !closing_) loop.processEvents(QEventLoop::WaitForMoreEvents);
}

void SessionWorker::wake() {
    QMetaObject::invokeMethod(context_, [] {});
}

bool SessionWorker::waitIdle(int timeoutMs) {
    if (!busy()) return true;
    // Sleeps in the event loop until the last operation ends; no polling.
    QEventLoop loop;
    connect(this, &SessionWorker::idle, &loop, &QEventLoop::quit);
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    if (busy()) loop.exec();
    return !busy();
}

}  // namespace vela::app
