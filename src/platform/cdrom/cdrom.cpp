#include "platform/cdrom/cdrom.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <mutex>
#include <new>
#include <optional>
#include <vector>

#include "platform/cdrom/audio_file_image.h"
#include "platform/cdrom/cddb_protocol.h"
#include "platform/cdrom/disc_device.h"
#include "platform/cdrom/index_search.h"
#include "platform/cdrom/toc.h"
#include "platform/system/environment.h"

namespace disctrove::platform {

namespace {

constexpr uint32_t kOverlapSectors = 1;  // the end of the previous request that is searched for
constexpr uint32_t kRereadSectors = 3;   // how far before the request a correcting read starts
// How often a correcting read with no audio after it is tried when it lands early.
constexpr int kEndAttempts = 16;
constexpr uint8_t kAdrPosition = 0x10;
constexpr uint8_t kLeadOutTrack = 0xAA;

bool IsSimulatedDisc(const std::string& path) {
    return path.size() >= 6 && path.compare(path.size() - 6, 6, ".simcd") == 0;
}

struct DeviceEntry {
    std::string source;  // device path or image file
    std::string name;
    bool isImage = false;
};

std::unique_ptr<DiscDevice> OpenDevice(const DeviceEntry& entry, std::string& problem) {
    if (entry.isImage && IsSimulatedDisc(entry.source)) {
        return OpenSimulatedDisc(entry.source, problem);
    }
    if (entry.isImage && IsAudioFileImage(entry.source)) {
        return OpenAudioFileImage(entry.source, problem);
    }
    auto device = OpenLibcdioDevice(entry.source, entry.isImage);
    if (!device) {
        problem = "cannot open " + entry.source + " as a disc image";
    }
    return device;
}

struct OpenDisc {
    std::string source;  // the device path or image file it was opened from
    std::unique_ptr<DiscDevice> device;
    DiscLayout layout;
    bool layoutRead = false;
    std::vector<uint8_t> scratch;  // the window of a correcting read that does not fit the buffer

    bool Layout(ReadError& error) {
        if (!layoutRead) {
            layoutRead = device->ReadLayout(layout, error);
        }
        return layoutRead;
    }
};

class DriveRegistry {
  public:
    static DriveRegistry& Instance() {
        static DriveRegistry registry;
        return registry;
    }

    void AddImage(DeviceEntry entry) {
        const std::lock_guard lock(mutex_);
        images_.push_back(std::move(entry));
    }

    void ClearImages() {
        const std::lock_guard lock(mutex_);
        images_.clear();
        listed_.clear();
        listedOnce_ = false;
    }

    // Real drives first, then images; what the host adapter numbers of the list refer to.
    std::vector<DeviceEntry> List() {
        std::vector<DeviceEntry> entries;
        // DISCTROVE_SCAN_DRIVES=0 leaves real drives out: only images are listed.
        const bool scan = EnvironmentValue("DISCTROVE_SCAN_DRIVES").value_or("1") != "0";
        for (const auto& device : scan ? LibcdioDriveList() : std::vector<std::string>()) {
            std::string name = LibcdioDriveName(device);
            entries.push_back({device, name.empty() ? device : name, false});
        }
        const std::lock_guard lock(mutex_);
        entries.insert(entries.end(), images_.begin(), images_.end());
        if (entries.size() > kMaxCdDrives) {
            entries.resize(kMaxCdDrives);
        }
        listed_ = entries;
        listedOnce_ = true;
        return entries;
    }

    std::optional<DeviceEntry> Listed(size_t index) {
        {
            const std::lock_guard lock(mutex_);
            if (listedOnce_) {
                return index < listed_.size() ? std::optional(listed_[index]) : std::nullopt;
            }
        }
        const auto entries = List();
        return index < entries.size() ? std::optional(entries[index]) : std::nullopt;
    }

    CdHandle Register(std::unique_ptr<OpenDisc> disc) {
        const std::lock_guard lock(mutex_);
        const CdHandle handle = nextHandle_++;
        if (nextHandle_ == 0) {
            nextHandle_ = 1;
        }
        open_[handle] = std::move(disc);
        return handle;
    }

    bool Unregister(CdHandle handle) {
        const std::lock_guard lock(mutex_);
        return open_.erase(handle) == 1;
    }

    // A handle is used by one thread at a time, so the disc may be used outside the lock.
    OpenDisc* Find(CdHandle handle) {
        const std::lock_guard lock(mutex_);
        const auto found = open_.find(handle);
        return found == open_.end() ? nullptr : found->second.get();
    }

  private:
    std::mutex mutex_;
    std::vector<DeviceEntry> images_;
    std::vector<DeviceEntry> listed_;
    bool listedOnce_ = false;
    std::map<CdHandle, std::unique_ptr<OpenDisc>> open_;
    CdHandle nextHandle_ = 1;
};

thread_local ReadError lastError;

int Fail(const ReadError& error) {
    lastError = error;
    return kCdStatusError;
}

OpenDisc* FindOrFail(CdHandle handle) {
    OpenDisc* disc = DriveRegistry::Instance().Find(handle);
    if (disc == nullptr) {
        lastError = {kCdErrorInvalidHandle, 0};
    }
    return disc;
}

bool RequestFits(const TrackBuffer* buffer) {
    return buffer != nullptr && uint64_t{buffer->sectorCount} * kCdSectorBytes <= buffer->capacity;
}

// Offset of the copy of `block` in `window` nearest to `expected`; npos when there is none.
size_t FindNearest(const uint8_t* window, size_t windowSize, const uint8_t* block, size_t blockSize,
                   size_t expected) {
    if (windowSize < blockSize) {
        return std::string::npos;
    }
    const size_t last = windowSize - blockSize;
    expected = std::min(expected, last);
    const size_t reach = std::max(expected, last - expected);
    for (size_t delta = 0; delta <= reach; ++delta) {
        if (delta <= last - expected &&
            std::memcmp(window + expected + delta, block, blockSize) == 0) {
            return expected + delta;
        }
        if (delta > 0 && delta <= expected &&
            std::memcmp(window + expected - delta, block, blockSize) == 0) {
            return expected - delta;
        }
    }
    return std::string::npos;
}

// Keeps the last sector of the data just returned, for the next request to find.
void SaveOverlap(TrackBuffer* overlap, const uint8_t* dataEnd, uint32_t nextSector) {
    std::memcpy(overlap->data(), dataEnd - kCdSectorBytes, kCdSectorBytes);
    overlap->startSector = nextSector - 1;
    overlap->length = kCdSectorBytes;
    overlap->startOffset = 0;
    overlap->status = kCdStatusOk;
}

}  // namespace

bool DiscLayout::IsAudioSector(int32_t sector) const {
    for (size_t i = 0; i < tracks.size(); ++i) {
        const bool last = i + 1 == tracks.size();
        const int32_t next = last ? leadOut : tracks[i + 1].start;
        if (sector >= tracks[i].start && sector < next) {
            return !tracks[i].data &&
                   sector < AudioTrackEnd(tracks[i].start, next, !last && tracks[i + 1].data,
                                          lastSession);
        }
    }
    return false;
}

bool AddDiscImage(const std::string& path, std::string& problem) {
    if (DriveRegistry::Instance().List().size() >= kMaxCdDrives) {
        // A drive list holds 8 entries: a ninth would be left out, and another disc used.
        problem = "cannot add " + path + ": the drive list holds at most " +
                  std::to_string(kMaxCdDrives) + " drives and disc images";
        return false;
    }
    DeviceEntry entry{path, path, true};
    if (!OpenDevice(entry, problem)) {
        return false;
    }
    DriveRegistry::Instance().AddImage(std::move(entry));
    return true;
}

bool IsImageDrive(const GetCdHandleRequest* request) {
    if (request == nullptr) {
        return false;
    }
    const auto entry = DriveRegistry::Instance().Listed(request->hostAdapter);
    return entry && entry->isImage;
}

bool ListedSource(const GetCdHandleRequest& request, std::string& source, bool& isImage) {
    const auto entry = DriveRegistry::Instance().Listed(request.hostAdapter);
    if (!entry) {
        return false;
    }
    source = entry->source;
    isImage = entry->isImage;
    return true;
}

void ClearDiscImages() {
    DriveRegistry::Instance().ClearImages();
}

int GetCDList(CdList* list) {
    const auto entries = DriveRegistry::Instance().List();
    list->max = static_cast<uint8_t>(kMaxCdDrives);
    list->num = static_cast<uint8_t>(entries.size());
    for (size_t i = 0; i < entries.size(); ++i) {
        CdRecord& record = list->cd[i];
        record = CdRecord{};
        record.hostAdapter = static_cast<uint8_t>(i);
        const size_t length = std::min(entries[i].name.size(), record.id.size() - 1);
        std::memcpy(record.id.data(), entries[i].name.data(), length);
    }
    return 1;
}

CdHandle GetCDHandle(const GetCdHandleRequest* request) {
    if (request == nullptr || request->size != sizeof(GetCdHandleRequest)) {
        lastError = {kCdErrorBadRequest, 0};
        return 0;
    }
    const auto entry = DriveRegistry::Instance().Listed(request->hostAdapter);
    if (!entry || request->target != 0 || request->lun != 0) {
        lastError = {kCdErrorBadRequest, 0};
        return 0;
    }
    std::string problem;
    auto device = OpenDevice(*entry, problem);
    if (!device) {
        lastError = {kCdErrorNoDisc, 0};
        return 0;
    }
    auto disc = std::make_unique<OpenDisc>();
    disc->source = entry->source;
    disc->device = std::move(device);
    return DriveRegistry::Instance().Register(std::move(disc));
}

int CloseCDHandle(CdHandle handle) {
    return DriveRegistry::Instance().Unregister(handle) ? 1 : 0;
}

int ReadTOC(CdHandle handle, TocRecord* toc) {
    OpenDisc* disc = FindOrFail(handle);
    if (disc == nullptr || toc == nullptr) {
        return kCdStatusError;
    }
    ReadError error;
    disc->layoutRead = false;  // the disc may have changed since the handle was opened
    if (!disc->Layout(error)) {
        return Fail(error);
    }
    const DiscLayout& layout = disc->layout;
    const size_t count = std::min(layout.tracks.size(), toc->tracks.size() - 1);
    auto put = [toc](size_t at, uint8_t number, uint8_t control, int32_t start) {
        TocRecordEntry& entry = toc->tracks[at];
        entry.adrControl = kAdrPosition | control;
        entry.trackNumber = number;
        const auto value = static_cast<uint32_t>(start);
        entry.startSector = {static_cast<uint8_t>(value >> 24), static_cast<uint8_t>(value >> 16),
                             static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value)};
    };
    for (size_t i = 0; i < count; ++i) {
        put(i, static_cast<uint8_t>(layout.firstTrack + static_cast<int32_t>(i)),
            layout.tracks[i].data ? kTocControlData : 0, layout.tracks[i].start);
    }
    put(count, kLeadOutTrack, 0, layout.leadOut);
    toc->firstTrack = static_cast<uint8_t>(layout.firstTrack);
    toc->lastTrack = static_cast<uint8_t>(layout.firstTrack + static_cast<int32_t>(count) - 1);
    toc->length = static_cast<uint16_t>(2 + sizeof(TocRecordEntry) * (count + 1));
    return kCdStatusOk;
}

int GetLastSession(CdHandle handle, int32_t* start) {
    DiscLayout layout;
    if (start == nullptr || !DiscLayoutOf(handle, layout)) {
        return 0;
    }
    *start = layout.lastSession;
    return 1;
}

int GetCDDBDiskID(CdHandle handle, std::span<uint32_t> buffer) {
    DiscLayout layout;
    if (!DiscLayoutOf(handle, layout) || layout.tracks.empty()) {
        return 0;
    }
    std::vector<uint32_t> words = {ComputeCddbDiscId(layout),
                                   static_cast<uint32_t>(layout.tracks.size())};
    for (const auto& track : layout.tracks) {
        words.push_back(static_cast<uint32_t>(track.start + kLeadInFrames));
    }
    words.push_back(static_cast<uint32_t>(layout.leadOut + kLeadInFrames) / 75);
    std::copy_n(words.begin(), std::min(words.size(), buffer.size()), buffer.begin());
    return 1;
}

void RecordDriveError(const ReadError& error) {
    lastError = error;
}

std::unique_ptr<ParanoiaDrive> ParanoiaDriveOf(uint32_t handle, std::string& problem) {
    OpenDisc* disc = FindOrFail(handle);
    if (disc == nullptr) {
        problem = "no such drive handle";
        return nullptr;
    }
    return disc->device->OpenParanoiaDrive(problem);
}

namespace {

// What the subchannel search found, by drive and table of contents: a second rip of the disc
// does not search again.
class IndexCache {
  public:
    static IndexCache& Instance() {
        static IndexCache cache;
        return cache;
    }

    std::optional<std::vector<TrackIndexes>> Find(const std::string& key) {
        const std::lock_guard lock(mutex_);
        const auto found = found_.find(key);
        return found == found_.end() ? std::nullopt : std::optional(found->second);
    }

    void Keep(const std::string& key, const std::vector<TrackIndexes>& found) {
        const std::lock_guard lock(mutex_);
        found_[key] = found;
    }

  private:
    std::mutex mutex_;
    std::map<std::string, std::vector<TrackIndexes>> found_;
};

std::string IndexCacheKey(const std::string& source, const DiscLayout& layout) {
    std::string key = source + "|" + std::to_string(layout.firstTrack);
    for (const auto& track : layout.tracks) {
        key += (track.data ? " d" : " a") + std::to_string(track.start);
    }
    return key + " " + std::to_string(layout.leadOut) + " " + std::to_string(layout.lastSession);
}

}  // namespace

int GetDiscFacts(CdHandle handle, DiscFacts* facts) {
    OpenDisc* disc = FindOrFail(handle);
    if (disc == nullptr || facts == nullptr) {
        return 0;
    }
    *facts = DiscFacts{};
    disc->device->ReadFacts(*facts);
    ReadError error;
    if (!disc->Layout(error)) {
        return 1;
    }
    const std::string key = IndexCacheKey(disc->source, disc->layout);
    auto found = IndexCache::Instance().Find(key);
    if (!found) {
        found = SearchIndexesInSubchannel(*disc->device, disc->layout);
        if (found) {
            IndexCache::Instance().Keep(key, *found);
        }
    }
    if (found) {
        ApplyIndexes(*found, *facts);
    }
    return 1;
}

int GetDriveIdentity(CdHandle handle, DriveIdentity* identity) {
    OpenDisc* disc = FindOrFail(handle);
    if (disc == nullptr || identity == nullptr) {
        return 0;
    }
    *identity = disc->device->Identity();
    return 1;
}

int GetCdText(CdHandle handle, CdText* text) {
    OpenDisc* disc = FindOrFail(handle);
    if (disc == nullptr || text == nullptr) {
        return 0;
    }
    *text = disc->device->ReadCdText();
    return 1;
}

int EjectCD(CdHandle handle) {
    OpenDisc* disc = FindOrFail(handle);
    return disc != nullptr && disc->device->OpenDoor() ? 1 : 0;
}

int ReadCDAudioLBA(CdHandle handle, TrackBuffer* buffer) {
    OpenDisc* disc = FindOrFail(handle);
    if (disc == nullptr) {
        return kCdStatusError;
    }
    if (!RequestFits(buffer)) {
        return Fail({kCdErrorBadRequest, kSenseIllegalRequest});
    }
    buffer->length = 0;
    buffer->startOffset = 0;
    ReadError error;
    if (!disc->device->ReadAudio(static_cast<int32_t>(buffer->startSector), buffer->sectorCount,
                                 buffer->data(), false, error)) {
        buffer->status = kCdStatusError;
        return Fail(error);
    }
    buffer->length = buffer->sectorCount * kCdSectorBytes;
    buffer->status = kCdStatusOk;
    return kCdStatusOk;
}

namespace {

// A read that follows the one before: found where it lines up with that read's last sector (the
// overlap), so that a drive that lands a few samples early or late loses and doubles nothing.
int ReadLinedUp(OpenDisc& disc, TrackBuffer* buffer, TrackBuffer* overlap) {
    const uint32_t start = buffer->startSector;
    const uint32_t count = buffer->sectorCount;
    const uint32_t wanted = count * kCdSectorBytes;
    ReadError error;
    if (!disc.Layout(error)) {
        return Fail(error);
    }
    // Read from a little before the request to one sector past it, so that a read that lands
    // early still holds every sector asked for. Where no audio follows (a drive fails a read
    // into a data track or past the end), a read that lands early is tried again instead.
    const uint32_t before = std::min(kRereadSectors, start);
    const bool audioAfter = disc.layout.IsAudioSector(static_cast<int32_t>(start + count));
    const uint32_t sectors = before + count + (audioAfter ? 1 : 0);
    const size_t windowSize = size_t{sectors} * kCdSectorBytes;
    const bool inPlace = windowSize <= buffer->capacity;
    if (!inPlace) {
        disc.scratch.resize(windowSize);
    }
    uint8_t* window = inPlace ? buffer->data() : disc.scratch.data();
    const size_t expected = size_t{before - kOverlapSectors} * kCdSectorBytes;
    size_t hit = std::string::npos;
    for (int attempt = 0; attempt < (audioAfter ? 1 : kEndAttempts); ++attempt) {
        if (!disc.device->ReadAudio(static_cast<int32_t>(start - before), sectors, window, true,
                                    error)) {
            return Fail(error);
        }
        hit = FindNearest(window, windowSize, overlap->data(), kCdSectorBytes, expected);
        if (hit != std::string::npos && windowSize - hit - kCdSectorBytes >= wanted) {
            break;  // every sector asked for is there
        }
    }
    if (hit == std::string::npos) {
        return Fail({kCdErrorJitter, 0});
    }
    const size_t dataStart = hit + kCdSectorBytes;
    size_t length = std::min<size_t>(windowSize - dataStart, wanted);
    length -= length % 4;  // whole sample frames
    if (length == 0) {
        return Fail({kCdErrorJitter, 0});
    }
    if (inPlace) {
        buffer->startOffset = static_cast<uint32_t>(dataStart);
    } else {
        std::memcpy(buffer->data(), window + dataStart, length);
    }
    buffer->length = static_cast<uint32_t>(length);
    buffer->status = kCdStatusOk;
    SaveOverlap(overlap, window + dataStart + length, start + count);
    return kCdStatusOk;
}

}  // namespace

int ReadCDAudioLBAEx(CdHandle handle, TrackBuffer* buffer, TrackBuffer* overlap) {
    OpenDisc* disc = FindOrFail(handle);
    if (disc == nullptr) {
        return kCdStatusError;
    }
    if (!RequestFits(buffer) || overlap == nullptr || overlap->capacity < kCdSectorBytes) {
        return Fail({kCdErrorBadRequest, kSenseIllegalRequest});
    }
    buffer->length = 0;
    buffer->startOffset = 0;
    buffer->status = kCdStatusError;
    const uint32_t start = buffer->startSector;
    const uint32_t count = buffer->sectorCount;
    const uint32_t wanted = count * kCdSectorBytes;
    ReadError error;
    if (count == 0) {
        return Fail({kCdErrorBadRequest, kSenseIllegalRequest});
    }

    const bool follows = overlap->length == kCdSectorBytes && overlap->startSector + 1 == start;
    if (!follows) {
        // Nothing to line up with: the first read of a track, or one after a failed read.
        if (!disc->device->ReadAudio(static_cast<int32_t>(start), count, buffer->data(), true,
                                     error)) {
            return Fail(error);
        }
        buffer->length = wanted;
        buffer->status = kCdStatusOk;
        SaveOverlap(overlap, buffer->data() + wanted, start + count);
        return kCdStatusOk;
    }

    return ReadLinedUp(*disc, buffer, overlap);
}

bool DiscLayoutOf(CdHandle handle, DiscLayout& layout) {
    OpenDisc* disc = FindOrFail(handle);
    ReadError error;
    if (disc == nullptr || !disc->Layout(error)) {
        if (disc != nullptr) {
            Fail(error);
        }
        return false;
    }
    layout = disc->layout;
    return true;
}

int GetAspiLibError() {
    return lastError.library;
}

int GetAspiLibAspiError() {
    return lastError.senseKey;
}

TrackBufferBlock::TrackBufferBlock(uint32_t sectors)
    : storage_(std::make_unique<unsigned char[]>(sizeof(TrackBuffer) +
                                                 size_t{sectors} * kCdSectorBytes)),
      record_(new (storage_.get()) TrackBuffer{}) {
    record_->sectorCount = sectors;
    record_->capacity = sectors * kCdSectorBytes;
}

}  // namespace disctrove::platform
