// An open drive: the handle of cdrom.h, closed when the owner goes. Move-only.
#pragma once

#include <cstdint>
#include <optional>

#include "platform/cdrom/cdrom.h"
#include "platform/cdrom/disc_facts.h"
#include "platform/cdrom/toc.h"

namespace disctrove::platform {

class DriveHandle {
  public:
    DriveHandle() = default;
    // Opens the drive that `request` names; an empty handle when it cannot.
    explicit DriveHandle(const GetCdHandleRequest& request);
    ~DriveHandle() { Close(); }
    DriveHandle(DriveHandle&& other) noexcept;
    DriveHandle& operator=(DriveHandle&& other) noexcept;
    DriveHandle(const DriveHandle&) = delete;
    DriveHandle& operator=(const DriveHandle&) = delete;

    CdHandle get() const { return handle_; }  // 0 when empty
    explicit operator bool() const { return handle_ != 0; }
    void Close();

    // The disc's table of contents; none when there is no readable disc.
    std::optional<Toc> ReadToc() const;
    // The first sector of the disc's last session; 0 for one session or a drive that cannot tell.
    int32_t LastSession() const;
    // The disc's CDDB disc ID; 0 when there is no readable disc.
    uint32_t CddbDiscId() const;
    // What the drive reports beyond the table of contents; nothing when it cannot be asked.
    DiscFacts Facts() const;
    // What the drive says it is; nothing for an image or an empty handle.
    DriveIdentity Identity() const;
    // The disc's CD-Text; empty when it has none or the handle is empty.
    platform::CdText CdText() const;

  private:
    CdHandle handle_ = 0;
};

}  // namespace disctrove::platform
