#include "rip/playlist_writer.h"

#include <algorithm>

#include "platform/system/files.h"

namespace disctrove {

namespace {

constexpr const char* kHeader = "#EXTM3U\n";
// Far more than the playlist of any disc: a larger file is not ours to rewrite.
constexpr size_t kMaxPlaylistBytes = 4 * 1024 * 1024;

// The lines of `text` that are not empty, without their line ends.
std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        end = end == std::string::npos ? text.size() : end;
        std::string line = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (!line.empty()) {
            lines.push_back(std::move(line));
        }
    }
    return lines;
}

// The file an entry names: its last line that is no comment.
std::string FileOf(const std::string& entry) {
    std::string file;
    for (std::string& line : Lines(entry)) {
        if (line.front() != '#') {
            file = std::move(line);
        }
    }
    return file;
}

}  // namespace

PlaylistWriter::PlaylistWriter(std::string path, bool on, std::vector<std::string> files,
                               size_t tracks)
    : path_(std::move(path)),
      on_(on),
      files_(std::move(files)),
      runEntries_(tracks),
      ended_(tracks) {
    if (!on_) {
        return;
    }
    std::string old;
    const platform::ExistingFile there = platform::ReadExistingFile(path_, kMaxPlaylistBytes, old);
    if (there == platform::ExistingFile::other) {
        on_ = false;
        return;
    }
    // Each file of the earlier playlist once (a file listed twice keeps its first entry), with
    // the comment lines before it.
    std::string pending;
    for (const std::string& line : Lines(old)) {
        if (line.starts_with("#EXTM3U")) {
            continue;
        }
        pending += line + "\n";
        if (line.front() != '#') {
            if (std::none_of(entries_.begin(), entries_.end(),
                             [&line](const Entry& e) { return e.file == line; })) {
                entries_.push_back({line, pending});
            }
            pending.clear();
        }
    }
    if (there != platform::ExistingFile::regular) {
        Write();  // a new playlist starts with its header
    }
}

void PlaylistWriter::SetEntry(size_t order, std::string entry) {
    const std::lock_guard lock(mutex_);
    if (order < runEntries_.size()) {
        runEntries_[order] = std::move(entry);
    }
}

void PlaylistWriter::End(size_t order, bool kept) {
    const std::lock_guard lock(mutex_);
    if (order >= ended_.size()) {
        return;
    }
    ended_[order] = kept;
    bool added = false;
    for (; next_ < ended_.size() && ended_[next_]; ++next_) {
        if (*ended_[next_] && !runEntries_[next_].empty()) {
            // Each file once: the run's entry takes the place of an earlier one.
            Entry entry{FileOf(runEntries_[next_]), runEntries_[next_]};
            const auto same =
                std::find_if(entries_.begin(), entries_.end(),
                             [&entry](const Entry& e) { return e.file == entry.file; });
            if (same != entries_.end()) {
                *same = std::move(entry);
            } else {
                entries_.push_back(std::move(entry));
            }
            added = true;
        }
    }
    if (on_ && added) {
        Write();
    }
}

void PlaylistWriter::Write() {
    const auto place = [this](const Entry& entry) {
        return static_cast<size_t>(std::find(files_.begin(), files_.end(), entry.file) -
                                   files_.begin());
    };
    std::stable_sort(entries_.begin(), entries_.end(),
                     [&place](const Entry& a, const Entry& b) { return place(a) < place(b); });
    std::string text = kHeader;
    for (const Entry& entry : entries_) {
        text += entry.text;
    }
    // Beside and renamed over it: never written through a link planted under its name.
    platform::WriteWholeFile(path_, text);
}

}  // namespace disctrove
