// The playlist of a rip, written in track order whatever order the tracks end in.
#pragma once

#include <cstddef>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace disctrove {

class PlaylistWriter {
  public:
    // `path` gets "#EXTM3U" now; a playlist that cannot be opened is skipped silently, and so
    // is everything when `on` is false. `tracks` is the number of tracks of the run.
    PlaylistWriter(std::string path, bool on, size_t tracks);

    // The entry of the track at `order` ("#EXTINF" line and file name), should it be kept.
    void SetEntry(size_t order, std::string entry);

    // The track at `order` has ended; its entry is kept when `kept`. Writes the entries of
    // every ended track before the first track that has not ended. Safe from any thread.
    void End(size_t order, bool kept);

  private:
    const std::string path_;
    bool on_;
    std::mutex mutex_;
    std::vector<std::string> entries_;
    std::vector<std::optional<bool>> ended_;  // kept or not, once the track has ended
    size_t next_ = 0;                         // the first track whose entry is not yet written
};

}  // namespace disctrove
