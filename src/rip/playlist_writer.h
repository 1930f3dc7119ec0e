// The playlist of a rip, written in track order whatever order the tracks end in, and merged
// with the playlist an earlier rip of the disc left there.
#pragma once

#include <cstddef>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace disctrove {

class PlaylistWriter {
  public:
    // `files` is the file name each track of the disc gets, in the disc's order (how entries are
    // ordered); `tracks` the number of tracks of the run. Nothing is written when `on` is false.
    // The playlist already at `path` is read (never through a link): its entries stay, each file
    // once; without one, `path` gets "#EXTM3U" now. A playlist that cannot be read (a folder, a
    // device, unreadable) turns the playlist off for the run.
    PlaylistWriter(std::string path, bool on, std::vector<std::string> files, size_t tracks);

    // The entry of the track at `order` ("#EXTINF" line and file name), should it be kept.
    void SetEntry(size_t order, std::string entry);

    // The track at `order` has ended; its entry is kept when `kept`. Rewrites the playlist with
    // the entries of every ended track before the first track that has not ended. Safe from
    // any thread.
    void End(size_t order, bool kept);

  private:
    struct Entry {
        std::string file;  // the line that names the file
        std::string text;  // its lines, the file's included, each ended by a newline
    };

    // The whole playlist, written beside `path` and renamed over it: "#EXTM3U", then one entry
    // per file, the disc's files in track order, then the others in the order they had.
    void Write();

    const std::string path_;
    bool on_;
    const std::vector<std::string> files_;
    std::mutex mutex_;
    std::vector<Entry> entries_;  // the earlier playlist's, then the run's as they are written
    std::vector<std::string> runEntries_;
    std::vector<std::optional<bool>> ended_;  // kept or not, once the track has ended
    size_t next_ = 0;                         // the first track whose entry is not yet written
};

}  // namespace disctrove
