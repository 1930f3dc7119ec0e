// What every look-up's web request shares: the CDDB proxy when one is set, the CDDB timeouts
// and a User-Agent naming the program.
#pragma once

#include "app/settings.h"
#include "platform/system/http_get.h"

namespace disctrove {

// A request to be given its host, port and path.
platform::HttpGetRequest WebRequest(const Settings& settings);

}  // namespace disctrove
