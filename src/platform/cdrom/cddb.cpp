#include "platform/cdrom/cddb.h"

#include "platform/cdrom/disc_device.h"

namespace disctrove::platform {

std::optional<std::string> CddbQueryCommandOf(CdHandle handle) {
    DiscLayout layout;
    if (!DiscLayoutOf(handle, layout) || layout.tracks.empty()) {
        return std::nullopt;
    }
    return CddbQueryCommand(layout);
}

}  // namespace disctrove::platform
