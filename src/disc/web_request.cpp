#include "disc/web_request.h"

#include <string>

#include "app/version.h"
#include "platform/cdrom/cddb.h"

namespace disctrove {

platform::HttpGetRequest WebRequest(const Settings& settings) {
    platform::HttpGetRequest request;
    request.userAgent = std::string(kProgramName) + "/" + kProgramVersion;
    if (settings.Useproxy) {
        request.proxyHost = settings.Proxyserver;
        request.proxyPort = settings.Proxyport;
        if (!settings.Username.empty() && !settings.Password.empty()) {
            request.proxyLogin = settings.Username + ":" + settings.Password;
        }
    }
    const platform::CddbTimeouts timeouts = platform::CurrentCddbTimeouts();
    request.connectTimeout = timeouts.connect;
    request.totalTimeout = timeouts.total;
    return request;
}

}  // namespace disctrove
