// The web client every look-up starts from: the settings' HTTP proxy when Useproxy is on, the
// program's timeouts and a User-Agent naming the program.
#pragma once

#include "app/settings.h"
#include "net/web_client.h"

namespace disctrove {

net::WebClient LookupClient(const Options& settings);

}  // namespace disctrove
