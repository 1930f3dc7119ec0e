#include "platform/cdrom/drive_handle.h"

#include <array>
#include <utility>

namespace disctrove::platform {

DriveHandle::DriveHandle(const GetCdHandleRequest& request) : handle_(GetCDHandle(&request)) {}

DriveHandle::DriveHandle(DriveHandle&& other) noexcept : handle_(std::exchange(other.handle_, 0)) {}

DriveHandle& DriveHandle::operator=(DriveHandle&& other) noexcept {
    if (this != &other) {
        Close();
        handle_ = std::exchange(other.handle_, 0);
    }
    return *this;
}

void DriveHandle::Close() {
    if (handle_ != 0) {
        CloseCDHandle(std::exchange(handle_, 0));
    }
}

std::optional<Toc> DriveHandle::ReadToc() const {
    TocRecord record{};
    if (ReadTOC(handle_, &record) != kCdStatusOk) {
        return std::nullopt;
    }
    return TocFromRecord(record);
}

int32_t DriveHandle::LastSession() const {
    int32_t start = 0;
    return GetLastSession(handle_, &start) == 1 ? start : 0;
}

uint32_t DriveHandle::CddbDiscId() const {
    std::array<uint32_t, 1> id{};  // the ID comes first; the rest is not wanted
    GetCDDBDiskID(handle_, id);
    return id[0];
}

DriveIdentity DriveHandle::Identity() const {
    DriveIdentity identity;
    if (handle_ != 0) {
        GetDriveIdentity(handle_, &identity);
    }
    return identity;
}

DiscFacts DriveHandle::Facts() const {
    DiscFacts facts;
    if (handle_ != 0) {
        GetDiscFacts(handle_, &facts);
    }
    return facts;
}

CdText DriveHandle::CdText() const {
    platform::CdText text;
    if (handle_ != 0) {
        GetCdText(handle_, &text);
    }
    return text;
}

}  // namespace disctrove::platform
