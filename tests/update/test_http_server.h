#pragma once
// A small HTTP server on 127.0.0.1 for the update tests. It is served by whatever event loop
// runs: the HTTP getter's own loop while a request waits.

#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <algorithm>

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace vela::test {

class TestHttpServer {
public:
    struct Response {
        int status = 200;
        std::string body;
        long long declaredLength = -1;  // Content-Length sent; -1: the body's size
        bool silent = false;            // accept the request and never answer
        bool stall = false;             // send the body, then keep the connection open and quiet
        std::size_t trickle = 0;        // send the body this many bytes at a time, every 50 ms
    };

    TestHttpServer() {
        server_.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&server_, &QTcpServer::newConnection, &server_, [this] { accept(); });
    }

    std::string base() const { return "http://127.0.0.1:" + std::to_string(server_.serverPort()); }
    std::map<std::string, Response> routes;
    std::vector<std::string> requested;

    // An address on 127.0.0.1 where nothing listens.
    static std::string refusedBase() {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost, 0);
        const auto port = probe.serverPort();
        probe.close();
        return "http://127.0.0.1:" + std::to_string(port);
    }

private:
    void accept() {
        while (QTcpSocket* s = server_.nextPendingConnection()) {
            auto buffer = std::make_shared<std::string>();
            QObject::connect(s, &QTcpSocket::readyRead, s, [this, s, buffer] {
                *buffer += s->readAll().toStdString();
                if (buffer->find("\r\n\r\n") == std::string::npos) return;
                const auto first = buffer->find(' ');
                const std::string path = buffer->substr(first + 1, buffer->find(' ', first + 1) - first - 1);
                buffer->clear();
                requested.push_back(path);
                answer(s, path);
            });
            QObject::connect(s, &QTcpSocket::disconnected, s, &QObject::deleteLater);
        }
    }

    void answer(QTcpSocket* s, const std::string& path) {
        const auto it = routes.find(path);
        const Response r = it != routes.end() ? it->second : Response{404, "not here", -1, false};
        if (r.silent) return;
        const long long length = r.declaredLength >= 0 ? r.declaredLength : static_cast<long long>(r.body.size());
        const std::string head = "HTTP/1.1 " + std::to_string(r.status) + (r.status == 200 ? " OK" : " Error") +
                                 "\r\nContent-Length: " + std::to_string(length) +
                                 "\r\nConnection: close\r\n\r\n";
        if (r.trickle > 0) {
            // A slow line: the body in small pieces, until it is sent or the client goes.
            s->write(head.data(), static_cast<qint64>(head.size()));
            auto* timer = new QTimer(s);
            auto sent = std::make_shared<std::size_t>(0);
            QObject::connect(timer, &QTimer::timeout, s, [s, timer, sent, body = r.body, n = r.trickle] {
                const std::size_t part = std::min(n, body.size() - *sent);
                s->write(body.data() + *sent, static_cast<qint64>(part));
                *sent += part;
                if (*sent == body.size()) {
                    timer->stop();
                    s->disconnectFromHost();
                }
            });
            timer->start(50);
            return;
        }
        s->write((head + r.body).data(), static_cast<qint64>(head.size() + r.body.size()));
        if (!r.stall) s->disconnectFromHost();
    }

    QTcpServer server_;
};

}  // namespace vela::test
