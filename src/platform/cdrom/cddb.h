// What a CDDB look-up needs of the drive layer: the query command for the disc of a drive
// handle. The protocol's texts are in cddb_protocol.h; disc/cddb_lookup.cpp asks the server.
#pragma once

#include <optional>
#include <string>

#include "platform/cdrom/cddb_protocol.h"
#include "platform/cdrom/cdrom.h"

namespace disctrove::platform {

// "cddb query ..." for the disc of `handle`; nothing when there is no disc or it has no track.
std::optional<std::string> CddbQueryCommandOf(CdHandle handle);

}  // namespace disctrove::platform
