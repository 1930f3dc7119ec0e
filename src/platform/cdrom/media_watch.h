// Noticing a disc put in, taken out or replaced, without reading it.
#pragma once

#include <memory>
#include <string>

#include "platform/cdrom/cdrom_records.h"

namespace disctrove::platform {

// The media-changed test of a real drive (libcdio).
class MediaChangeProbe {
  public:
    virtual ~MediaChangeProbe() = default;
    // True when the drive reports a change since the previous call.
    virtual bool Changed() = 0;
};

// Watches the drive list's entry that `request` names, from the moment it is made: a real
// drive through its media-changed test, a disc image or simulated disc by its file (replaced,
// rewritten, removed or put back). An entry not in the list never reports a change.
class MediaWatch {
  public:
    explicit MediaWatch(const GetCdHandleRequest& request);
    ~MediaWatch();
    MediaWatch(const MediaWatch&) = delete;
    MediaWatch& operator=(const MediaWatch&) = delete;

    // True when the disc changed since the watch began or since the last call that said so.
    // A real drive's first answer is not taken (it tells of the watch's start). Use one thread at
    // a time.
    bool Changed();

    // Asking a real drive may take a while (the drive may spin up): the caller should not ask
    // from a thread that must not wait.
    bool slow() const { return !isImage_ && !source_.empty(); }

  private:
    struct FileStamp {
        bool exists = false;
        unsigned long long device = 0, inode = 0;
        long long size = 0, seconds = 0, nanoseconds = 0;
        bool operator==(const FileStamp&) const = default;
    };
    static FileStamp StampOf(const std::string& path);

    std::string source_;
    bool isImage_ = false;
    FileStamp stamp_;
    std::unique_ptr<MediaChangeProbe> probe_;
};

// A real drive's media-changed test.
std::unique_ptr<MediaChangeProbe> OpenLibcdioMediaProbe(const std::string& device);

}  // namespace disctrove::platform
