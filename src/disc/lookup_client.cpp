#include "disc/lookup_client.h"

#include <string>

#include "app/version.h"

namespace disctrove {

net::WebClient LookupClient(const Options& options) {
    net::WebClient client;
    client.userAgent = std::string(kProgramName) + "/" + kProgramVersion;
    client.proxy = net::ProxyOf(options.Useproxy != 0, options.Proxyserver, options.Proxyport,
                                options.Username, options.Password);
    return client;
}

}  // namespace disctrove
