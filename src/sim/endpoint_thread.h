#pragma once
// The thread an endpoint serves on. Qt's sockets belong to the thread that made them and want
// its event dispatcher, which only a QThread has: each endpoint makes its sockets on one of
// these and uses them there only.

#include <QThread>

#include <functional>
#include <future>
#include <memory>
#include <stop_token>

namespace vela::sim {

class EndpointThread {
public:
    EndpointThread() = default;
    ~EndpointThread() { stop(); }
    EndpointThread(const EndpointThread&) = delete;
    EndpointThread& operator=(const EndpointThread&) = delete;

    // Runs `body` on a new thread until it returns. It sets up its sockets, then fulfils
    // `ready`, or breaks it with the exception that says why it cannot serve; start() returns
    // what it gave or throws that exception.
    template <typename T>
    T start(std::function<void(std::stop_token, std::promise<T>&)> body) {
        // Shared, so that neither side outlives it while the other is still fulfilling or reading it.
        auto ready = std::make_shared<std::promise<T>>();
        auto result = ready->get_future();
        thread_.reset(QThread::create([this, body = std::move(body), ready] { body(stop_.get_token(), *ready); }));
        thread_->start();
        return result.get();
    }

    // Asks the body to return (its stop token, and the end of any event loop it runs), then waits.
    void stop() {
        if (!thread_) return;
        stop_.request_stop();
        thread_->quit();
        thread_->wait();
        thread_.reset();
    }

private:
    std::stop_source stop_;
    std::unique_ptr<QThread> thread_;
};

}  // namespace vela::sim
