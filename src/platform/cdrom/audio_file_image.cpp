// Disc images of WAV and FLAC files: the sheet's files laid end to end, with the silence of its
// PREGAP and POSTGAP lines between them, make the disc's sectors from 0 on.
#include "platform/cdrom/audio_file_image.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/cdrom/cdrom_records.h"
#include "platform/cdrom/cue_parser.h"
#include "platform/cdrom/disc_device.h"
#include "platform/system/files.h"

namespace disctrove::platform {

namespace {

namespace fs = std::filesystem;

constexpr uint64_t kFramesPerSector = kCdSectorBytes / 4;
// The longest image read: more than any disc holds, far from the limits of a sector number.
constexpr uint64_t kMostSectors = 200 * 60 * 75;

std::mutex& OpenerMutex() {
    static std::mutex mutex;
    return mutex;
}

PcmFileOpener& Opener() {
    static PcmFileOpener opener;
    return opener;
}

std::unique_ptr<PcmFileReader> OpenPcmFile(const std::string& path, std::string& problem) {
    PcmFileOpener opener;
    {
        const std::lock_guard lock(OpenerMutex());
        opener = Opener();
    }
    if (!opener) {
        problem = "this program cannot read WAV or FLAC files as a disc";
        return nullptr;
    }
    return opener(path, problem);
}

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() && Lower(text.substr(text.size() - end.size())) == end;
}

bool IsAudioFileName(const std::string& name) {
    return EndsWith(name, ".wav") || EndsWith(name, ".flac");
}

bool NamesAudioFile(const CueFile& file) {
    return file.type == "WAVE" || file.type == "FLAC" || IsAudioFileName(file.name);
}

// Sheets are written in UTF-8 now, in Latin-1 by older programs; a text that is not valid UTF-8
// is taken for Latin-1.
std::string Utf8(const std::string& text) {
    for (size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        const size_t length = c < 0x80           ? 1
                              : (c >> 5) == 0x6  ? 2
                              : (c >> 4) == 0xE  ? 3
                              : (c >> 3) == 0x1E ? 4
                                                 : 0;
        bool valid = length > 0 && i + length <= text.size();
        for (size_t k = 1; valid && k < length; ++k) {
            valid = (static_cast<unsigned char>(text[i + k]) & 0xC0) == 0x80;
        }
        if (!valid) {
            std::string converted;
            for (const char b : text) {
                const auto byte = static_cast<unsigned char>(b);
                if (byte < 0x80) {
                    converted += b;
                } else {
                    converted += static_cast<char>(0xC0 | (byte >> 6));
                    converted += static_cast<char>(0x80 | (byte & 0x3F));
                }
            }
            return converted;
        }
        i += length;
    }
    return text;
}

// A catalogue number or ISRC kept when it has `length` letters and digits.
std::string Code(const std::string& code, size_t length) {
    const bool valid =
        code.size() == length &&
        std::all_of(code.begin(), code.end(), [](unsigned char c) { return std::isalnum(c); }) &&
        code.find_first_not_of('0') != std::string::npos;
    return valid ? code : std::string();
}

// A stretch of the disc: sectors of one file, or silence that no file holds.
struct Segment {
    int32_t discStart = 0;
    int32_t sectors = 0;
    std::optional<size_t> file;  // none: silence
    int32_t fileStart = 0;
};

// Silence a PREGAP or POSTGAP line puts between a file's sectors.
struct Insertion {
    size_t file = 0;
    int32_t sector = 0;
    int32_t sectors = 0;
};

// What an image is as a disc.
struct ImagePlan {
    DiscLayout layout;
    DiscFacts facts;
    CdText text;
    std::vector<Segment> segments;
};

class PlanMaker {
  public:
    PlanMaker(const CueSheet& sheet, const std::vector<uint64_t>& frames,
              const std::vector<std::string>& names)
        : sheet_(sheet), frames_(frames), names_(names) {}

    std::optional<ImagePlan> Make(std::string& problem) {
        if (!Lengths(problem) || !Insertions(problem)) {
            return std::nullopt;
        }
        ImagePlan plan;
        Segments(plan);
        plan.layout.firstTrack = sheet_.tracks.front().number;
        plan.layout.leadOut = total_;
        plan.facts.catalog = Code(sheet_.catalog, 13);
        plan.facts.indexSource = IndexSource::sheet;
        plan.text.title = Utf8(sheet_.title);
        plan.text.performer = Utf8(sheet_.performer);
        for (size_t i = 0; i < sheet_.tracks.size(); ++i) {
            const CueTrack& track = sheet_.tracks[i];
            if (track.mode != "AUDIO") {
                problem = "track " + std::to_string(track.number) + " is " + track.mode +
                          ": an image of WAV or FLAC files holds audio tracks only";
                return std::nullopt;
            }
            if (i > 0 && track.number != sheet_.tracks[i - 1].number + 1) {
                problem = "track " + std::to_string(track.number) + " does not follow track " +
                          std::to_string(sheet_.tracks[i - 1].number);
                return std::nullopt;
            }
            const int32_t start = Position(*track.Index(1));
            const auto& before = plan.layout.tracks;
            if ((!before.empty() && start <= before.back().start) || start >= total_) {
                problem = "track " + std::to_string(track.number) +
                          " starts where no audio of its own follows";
                return std::nullopt;
            }
            plan.layout.tracks.push_back({start, false});
            TrackFacts facts;
            facts.isrc = Code(track.isrc, 12);
            facts.preEmphasis = track.preEmphasis;
            facts.copyPermitted = track.copyPermitted;
            facts.fourChannels = track.fourChannels;
            const CueIndex* zero = track.Index(0);
            const int32_t pregapStart = zero != nullptr ? Position(*zero) : start - track.pregap;
            if (pregapStart < start) {
                facts.pregapStart = pregapStart;
            }
            for (const CueIndex& index : track.indexes) {
                if (index.number >= 2) {
                    facts.indexStarts.push_back(Position(index));
                }
            }
            plan.facts.tracks.push_back(facts);
            plan.text.tracks.push_back({Utf8(track.title), Utf8(track.performer)});
        }
        return plan;
    }

  private:
    // Each file's length in whole sectors. Only the last file may end inside a sector: the rest
    // of it is silence, as on a disc. A file before it that does so would move every later
    // track off its place, so it is refused.
    bool Lengths(std::string& problem) {
        uint64_t total = 0;
        for (size_t i = 0; i < frames_.size(); ++i) {
            if (frames_[i] % kFramesPerSector != 0 && i + 1 < frames_.size()) {
                problem = names_[i] + ": " + std::to_string(frames_[i]) +
                          " samples are not a whole number of CD sectors (588 samples each), "
                          "so the files after it cannot lie where the sheet puts them";
                return false;
            }
            const uint64_t sectors = (frames_[i] + kFramesPerSector - 1) / kFramesPerSector;
            total += sectors;
            if (total > kMostSectors) {
                problem = "the image holds more audio than a CD";
                return false;
            }
            fileSectors_.push_back(static_cast<int32_t>(sectors));
        }
        return true;
    }

    // The silence of PREGAP (before the track's INDEX 01) and POSTGAP (after the track, before
    // the next one's first index), and a check that every index lies inside its file.
    bool Insertions(std::string& problem) {
        int64_t silence = 0;
        for (size_t i = 0; i < sheet_.tracks.size(); ++i) {
            const CueTrack& track = sheet_.tracks[i];
            for (const CueIndex& index : track.indexes) {
                if (index.sector > fileSectors_[index.file]) {
                    problem = "track " + std::to_string(track.number) + " INDEX " +
                              std::to_string(index.number) + " lies past the end of " +
                              names_[index.file];
                    return false;
                }
            }
            const CueIndex& one = *track.Index(1);
            if (track.pregap > 0) {
                insertions_.push_back({one.file, one.sector, track.pregap});
            }
            if (track.postgap > 0) {
                const bool last = i + 1 == sheet_.tracks.size();
                const CueIndex& next = last ? one : sheet_.tracks[i + 1].indexes.front();
                insertions_.push_back({last ? fileSectors_.size() - 1 : next.file,
                                       last ? fileSectors_.back() : next.sector, track.postgap});
            }
            silence += track.pregap + track.postgap;
        }
        total_ = 0;
        for (const int32_t sectors : fileSectors_) {
            total_ += sectors;
        }
        if (total_ + silence > static_cast<int64_t>(kMostSectors)) {
            problem = "the image holds more audio than a CD";
            return false;
        }
        total_ += static_cast<int32_t>(silence);
        std::stable_sort(insertions_.begin(), insertions_.end(),
                         [](const Insertion& a, const Insertion& b) {
                             return a.file != b.file ? a.file < b.file : a.sector < b.sector;
                         });
        return true;
    }

    void Segments(ImagePlan& plan) const {
        int32_t disc = 0;
        auto add = [&plan, &disc](int32_t sectors, std::optional<size_t> file, int32_t from) {
            if (sectors > 0) {
                plan.segments.push_back({disc, sectors, file, from});
                disc += sectors;
            }
        };
        auto insertion = insertions_.begin();
        for (size_t file = 0; file < fileSectors_.size(); ++file) {
            int32_t at = 0;
            for (; insertion != insertions_.end() && insertion->file == file; ++insertion) {
                add(insertion->sector - at, file, at);
                add(insertion->sectors, std::nullopt, 0);
                at = insertion->sector;
            }
            add(fileSectors_[file] - at, file, at);
        }
    }

    // Where an index lies on the disc: after the files before its own, and after the silence
    // put before it (a PREGAP counts before the INDEX 01 it belongs to).
    int32_t Position(const CueIndex& index) const {
        int32_t position = index.sector;
        for (size_t file = 0; file < index.file; ++file) {
            position += fileSectors_[file];
        }
        for (const Insertion& insertion : insertions_) {
            if (insertion.file < index.file ||
                (insertion.file == index.file && insertion.sector <= index.sector)) {
                position += insertion.sectors;
            }
        }
        return position;
    }

    const CueSheet& sheet_;
    const std::vector<uint64_t>& frames_;
    const std::vector<std::string>& names_;
    std::vector<int32_t> fileSectors_;
    std::vector<Insertion> insertions_;
    int32_t total_ = 0;
};

class AudioFileImage final : public DiscDevice {
  public:
    AudioFileImage(ImagePlan plan, std::vector<std::unique_ptr<PcmFileReader>> files)
        : plan_(std::move(plan)), files_(std::move(files)) {}

    bool ReadLayout(DiscLayout& layout, ReadError&) override {
        layout = plan_.layout;
        return true;
    }

    bool ReadAudio(int32_t start, uint32_t sectors, uint8_t* out, bool, ReadError& error) override {
        if (start < 0 || int64_t{start} + sectors > plan_.layout.leadOut) {
            error = {kCdErrorOutOfRange, kSenseIllegalRequest};
            return false;
        }
        if (!Read(start, sectors, out)) {
            error = {kCdErrorReadFailed, kSenseMediumError};
            return false;
        }
        return true;
    }

    std::unique_ptr<ParanoiaDrive> OpenParanoiaDrive(std::string& problem) override {
        return OpenStandInParanoiaDrive(
            plan_.layout,
            [this](int32_t start, uint32_t sectors, uint8_t* out) {
                return start >= 0 && int64_t{start} + sectors <= plan_.layout.leadOut &&
                       Read(start, sectors, out);
            },
            problem);
    }

    bool ReadFacts(DiscFacts& facts) override {
        facts = plan_.facts;
        return true;
    }

    CdText ReadCdText() override { return plan_.text; }

  private:
    // Sectors from `start` on, across as many segments as they span.
    bool Read(int32_t start, uint32_t sectors, uint8_t* out) {
        const auto& segments = plan_.segments;
        auto segment =
            std::upper_bound(segments.begin(), segments.end(), start,
                             [](int32_t sector, const Segment& s) { return sector < s.discStart; });
        --segment;  // the sectors lie on the disc, so a segment holds the first
        while (sectors > 0) {
            const int32_t into = start - segment->discStart;
            const auto count =
                static_cast<uint32_t>(std::min<int64_t>(sectors, segment->sectors - into));
            const size_t bytes = size_t{count} * kCdSectorBytes;
            if (!segment->file) {
                std::memset(out, 0, bytes);
            } else if (!ReadFile(*segment->file, segment->fileStart + into, count, out)) {
                return false;
            }
            out += bytes;
            start += static_cast<int32_t>(count);
            sectors -= count;
            ++segment;
        }
        return true;
    }

    // The last file's last sector may be short: what it lacks is silence.
    bool ReadFile(size_t file, int32_t sector, uint32_t sectors, uint8_t* out) {
        PcmFileReader& reader = *files_[file];
        const uint64_t first = uint64_t(sector) * kFramesPerSector;
        const uint64_t wanted = uint64_t{sectors} * kFramesPerSector;
        const uint64_t held = std::min(wanted, reader.Frames() - std::min(first, reader.Frames()));
        if (held > 0 && !reader.Read(first, static_cast<uint32_t>(held), out)) {
            return false;
        }
        std::memset(out + held * 4, 0, (wanted - held) * 4);
        return true;
    }

    ImagePlan plan_;
    std::vector<std::unique_ptr<PcmFileReader>> files_;
};

// Where a file the sheet names is: beside the sheet. A sheet written for the WAV files that were
// then packed into FLAC (or the other way round) still finds them under the other extension.
std::string FileBeside(const fs::path& sheet, const std::string& name) {
    const fs::path path = sheet.parent_path() / fs::path(name);
    std::error_code error;
    if (fs::exists(path, error)) {
        return path.string();
    }
    for (const char* other : {".flac", ".wav"}) {
        fs::path alternative = path;
        alternative.replace_extension(other);
        if (IsAudioFileName(name) && fs::exists(alternative, error)) {
            return alternative.string();
        }
    }
    return path.string();
}

std::unique_ptr<DiscDevice> Assemble(const CueSheet& sheet,
                                     std::vector<std::unique_ptr<PcmFileReader>> files,
                                     const std::vector<std::string>& names, const std::string& path,
                                     std::string& problem) {
    std::vector<uint64_t> frames;
    for (const auto& file : files) {
        frames.push_back(file->Frames());
    }
    auto plan = PlanMaker(sheet, frames, names).Make(problem);
    if (!plan) {
        problem = path + ": " + problem;
        return nullptr;
    }
    return std::make_unique<AudioFileImage>(std::move(*plan), std::move(files));
}

std::unique_ptr<DiscDevice> OpenCueOfAudioFiles(const std::string& path, std::string& problem) {
    const auto text = ReadWholeFile(path);
    if (!text) {
        problem = "cannot open " + path;
        return nullptr;
    }
    auto sheet = ParseCueSheet(*text, problem);
    if (!sheet) {
        problem = path + ": " + problem;
        return nullptr;
    }
    std::vector<std::unique_ptr<PcmFileReader>> files;
    std::vector<std::string> names;
    for (const CueFile& file : sheet->files) {
        if (!NamesAudioFile(file)) {
            problem = path + ": \"" + file.name + "\" (" + file.type +
                      ") is not a WAV or FLAC file; a sheet of WAV or FLAC files cannot name "
                      "other kinds";
            return nullptr;
        }
        const std::string filePath = FileBeside(path, file.name);
        std::error_code error;
        if (!fs::exists(filePath, error)) {
            problem = path + ": the file it names is missing: " + filePath;
            return nullptr;
        }
        auto reader = OpenPcmFile(filePath, problem);
        if (!reader) {
            return nullptr;
        }
        files.push_back(std::move(reader));
        names.push_back(file.name);
    }
    return Assemble(*sheet, std::move(files), names, path, problem);
}

// A FLAC file with its sheet inside: the CUESHEET block gives the table of contents and the
// codes, the album's tags and a sheet kept in a CUESHEET tag (when its tracks agree) the names.
// A file with only the tag (as some players write it) is read by the tag's sheet.
std::unique_ptr<DiscDevice> OpenFlacWithSheet(const std::string& path, std::string& problem) {
    auto reader = OpenPcmFile(path, problem);
    if (!reader) {
        return nullptr;
    }
    const EmbeddedCueSheet embedded = reader->Embedded();
    if (!embedded.notCd.empty()) {
        problem = path + ": " + embedded.notCd;
        return nullptr;
    }
    const std::string& text = embedded.sheet.empty() ? embedded.tagSheet : embedded.sheet;
    if (text.empty()) {
        problem = path +
                  ": the FLAC file holds no CUE sheet (CUESHEET block), so its tracks "
                  "are not known; open the .cue file that goes with it";
        return nullptr;
    }
    auto sheet = ParseCueSheet(text, problem);
    if (!sheet || sheet->files.size() != 1) {
        problem = path + ": the CUE sheet inside it cannot be read" +
                  (sheet ? ": it names more than one file" : ": " + problem);
        return nullptr;
    }
    sheet->title = embedded.title.empty() ? sheet->title : embedded.title;
    sheet->performer = embedded.performer.empty() ? sheet->performer : embedded.performer;
    std::string ignored;
    if (const auto tagged = ParseCueSheet(embedded.tagSheet, ignored)) {
        sheet->title = sheet->title.empty() ? tagged->title : sheet->title;
        sheet->performer = sheet->performer.empty() ? tagged->performer : sheet->performer;
        for (CueTrack& track : sheet->tracks) {
            for (const CueTrack& named : tagged->tracks) {
                if (named.number == track.number) {
                    track.title = named.title;
                    track.performer = named.performer;
                }
            }
        }
    }
    std::vector<std::unique_ptr<PcmFileReader>> files;
    files.push_back(std::move(reader));
    return Assemble(*sheet, std::move(files), {fs::path(path).filename().string()}, path, problem);
}

}  // namespace

void SetPcmFileOpener(PcmFileOpener opener) {
    const std::lock_guard lock(OpenerMutex());
    Opener() = std::move(opener);
}

bool IsAudioFileImage(const std::string& path) {
    if (EndsWith(path, ".flac")) {
        return true;
    }
    if (!EndsWith(path, ".cue")) {
        return false;
    }
    // Only the FILE lines matter here: a sheet that cannot be read otherwise is told as such
    // when it is opened.
    const auto text = ReadWholeFile(path);
    std::istringstream lines(text.value_or(""));
    for (std::string line; std::getline(lines, line);) {
        if (const auto file = ParseCueFileLine(line); file && NamesAudioFile(*file)) {
            return true;
        }
    }
    return false;
}

std::unique_ptr<DiscDevice> OpenAudioFileImage(const std::string& path, std::string& problem) {
    return EndsWith(path, ".flac") ? OpenFlacWithSheet(path, problem)
                                   : OpenCueOfAudioFiles(path, problem);
}

}  // namespace disctrove::platform
