#include "update/qt_http_getter.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrl>

namespace vela {
namespace {

constexpr std::chrono::milliseconds kProgressPace{250};

// "15 seconds", "10 minutes": a limit as the user reads it.
std::string durationText(std::chrono::milliseconds d) {
    using namespace std::chrono;
    if (d >= minutes(2) && d % minutes(1) == milliseconds(0)) return std::to_string(d / minutes(1)) + " minutes";
    if (d >= seconds(1) && d % seconds(1) == milliseconds(0))
        return std::to_string(d / seconds(1)) + (d == seconds(1) ? " second" : " seconds");
    return std::to_string(d.count()) + " ms";
}

}  // namespace

HttpReply QtHttpGetter::get(const std::string& url, const Sink& sink, const Progress& progress, HttpLimits limits) {
    HttpReply result;
    QNetworkAccessManager manager;
    QNetworkRequest request(QUrl(QString::fromStdString(url)));
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    // The manager owns the reply and deletes it when it goes.
    QNetworkReply* reply = manager.get(request);

    QEventLoop loop;
    std::string stopped;
    auto stop = [&](std::string why) {
        if (stopped.empty()) stopped = std::move(why);
        reply->abort();
    };
    auto drain = [&] {
        if (!reply->isOpen()) return;  // aborted
        const QByteArray data = reply->readAll();
        if (stopped.empty() && !data.isEmpty() && !sink(std::span(data.constData(), static_cast<std::size_t>(data.size()))))
            stop("the download could not be stored");
    };
    // The stall limit: restarted by every sign of life, so only silence ends the request.
    QTimer idle;
    idle.setSingleShot(true);
    QObject::connect(&idle, &QTimer::timeout, &loop,
                     [&] { stop("the server sent nothing for " + durationText(limits.idle)); });
    auto alive = [&] {
        if (limits.idle.count() > 0) idle.start(static_cast<int>(limits.idle.count()));
    };
    QObject::connect(reply, &QNetworkReply::metaDataChanged, &loop, alive);
    QObject::connect(reply, &QNetworkReply::readyRead, &loop, alive);
    QObject::connect(reply, &QNetworkReply::readyRead, &loop, drain);
    // Progress is also asked at a steady pace, so that a cancel is heard while no bytes come
    // (Qt may hold back the progress of a transfer that stalls until it ends).
    qint64 lastReceived = 0, lastTotal = -1;
    auto report = [&] {
        if (stopped.empty() && progress && !progress(lastReceived, lastTotal)) stop("cancelled");
    };
    QTimer pace;
    pace.setInterval(kProgressPace);
    QObject::connect(&pace, &QTimer::timeout, &loop, report);
    QObject::connect(reply, &QNetworkReply::downloadProgress, &loop, [&](qint64 received, qint64 total) {
        lastReceived = received;
        lastTotal = total;
        report();
    });
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QTimer deadline;
    if (limits.total.count() > 0) {
        deadline.setSingleShot(true);
        QObject::connect(&deadline, &QTimer::timeout, &loop,
                         [&] { stop("it did not finish within " + durationText(limits.total)); });
        deadline.start(static_cast<int>(limits.total.count()));
    }
    if (progress) pace.start();
    alive();
    if (!reply->isFinished()) loop.exec();
    drain();

    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    result.status = status.isValid() ? status.toInt() : 0;
    const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
    result.contentLength = length.isValid() ? length.toLongLong() : -1;
    if (!stopped.empty()) {
        result.error = stopped;
    } else if (result.status != 0 && (result.status < 200 || result.status > 299)) {
        result.error = "the server answered with status " + std::to_string(result.status);
    } else if (reply->error() != QNetworkReply::NoError || result.status == 0) {
        result.error = reply->errorString().toStdString();
    } else {
        result.ok = true;
    }
    return result;
}

}  // namespace vela
