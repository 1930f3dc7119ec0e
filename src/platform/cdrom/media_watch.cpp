#include "platform/cdrom/media_watch.h"

#include <sys/stat.h>

#include "platform/cdrom/cdrom.h"

namespace disctrove::platform {

MediaWatch::MediaWatch(const GetCdHandleRequest& request) {
    if (!ListedSource(request, source_, isImage_)) {
        source_.clear();
        return;
    }
    if (isImage_) {
        stamp_ = StampOf(source_);
    }
}

MediaWatch::~MediaWatch() = default;

MediaWatch::FileStamp MediaWatch::StampOf(const std::string& path) {
    struct stat facts {};
    if (::stat(path.c_str(), &facts) != 0) {
        return {};
    }
    return {true,
            static_cast<unsigned long long>(facts.st_dev),
            static_cast<unsigned long long>(facts.st_ino),
            static_cast<long long>(facts.st_size),
            static_cast<long long>(facts.st_mtim.tv_sec),
            static_cast<long long>(facts.st_mtim.tv_nsec)};
}

bool MediaWatch::Changed() {
    if (source_.empty()) {
        return false;
    }
    if (isImage_) {
        const FileStamp now = StampOf(source_);
        const bool changed = !(now == stamp_);
        stamp_ = now;
        return changed;
    }
    if (!probe_) {
        // The drive's first answer tells of the time before the watch began, not of a new disc.
        probe_ = OpenLibcdioMediaProbe(source_);
        probe_->Changed();
        return false;
    }
    return probe_->Changed();
}

}  // namespace disctrove::platform
