#include "rip/playlist_writer.h"

#include "audio/unique_file.h"

namespace disctrove {

namespace {

bool Append(const std::string& path, const std::string& text) {
    UniqueFile playlist = OpenFile(path, "a");
    return playlist && std::fputs(text.c_str(), playlist.get()) >= 0;
}

}  // namespace

PlaylistWriter::PlaylistWriter(std::string path, bool on, size_t tracks)
    : path_(std::move(path)), on_(on), entries_(tracks), ended_(tracks) {
    on_ = on_ && Append(path_, "#EXTM3U\n");
}

void PlaylistWriter::SetEntry(size_t order, std::string entry) {
    const std::lock_guard lock(mutex_);
    if (order < entries_.size()) {
        entries_[order] = std::move(entry);
    }
}

void PlaylistWriter::End(size_t order, bool kept) {
    const std::lock_guard lock(mutex_);
    if (order >= ended_.size()) {
        return;
    }
    ended_[order] = kept;
    std::string text;
    for (; next_ < ended_.size() && ended_[next_]; ++next_) {
        if (*ended_[next_] && !entries_[next_].empty()) {
            text += entries_[next_];
        }
    }
    if (on_ && !text.empty()) {
        Append(path_, text);
    }
}

}  // namespace disctrove
