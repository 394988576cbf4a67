#pragma once
// HTTP GET through QNetworkAccessManager, waited for in a local event loop so that the rest
// of the program keeps running.

#include "update/http_getter.h"

namespace vela {

class QtHttpGetter : public HttpGetter {
public:
    HttpReply get(const std::string& url, const Sink& sink, const Progress& progress, HttpLimits limits) override;
};

}  // namespace vela
