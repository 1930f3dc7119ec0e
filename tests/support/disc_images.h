// Disc images for tests: adding them to the drive list and opening them.
#pragma once

#include <string>

#include "platform/cdrom/cdrom.h"
#include "platform/cdrom/drive_handle.h"

namespace disctrove::testing {

// Writes a .simcd file with `statements` into `folder`; returns its path.
std::string WriteSimulatedDisc(const std::string& folder, const std::string& name,
                               const std::string& statements);

// Adds `path` to the drive list (failing the test when it cannot be added) and returns its
// position in the list.
int AddImage(const std::string& path);

// The request that opens drive `index` of the list.
platform::GetCdHandleRequest RequestFor(int index);

// A handle on an image, closed at the end of the scope.
class ImageHandle {
  public:
    explicit ImageHandle(const std::string& path);
    platform::CdHandle get() const { return drive_.get(); }

  private:
    platform::DriveHandle drive_;
};

}  // namespace disctrove::testing
