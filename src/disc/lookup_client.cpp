#include "disc/lookup_client.h"

#include <string>

#include "app/version.h"

namespace disctrove {

net::WebClient LookupClient(const Options& settings) {
    net::WebClient client;
    client.userAgent = std::string(kProgramName) + "/" + kProgramVersion;
    client.proxy = net::ProxyOf(settings.Useproxy != 0, settings.Proxyserver, settings.Proxyport,
                                settings.Username, settings.Password);
    return client;
}

}  // namespace disctrove
