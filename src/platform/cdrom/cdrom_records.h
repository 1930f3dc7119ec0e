// The byte records that the CD drive functions exchange with their callers. Byte-packed; integers
// little-endian unless noted.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

namespace disctrove::platform {

inline constexpr size_t kMaxCdDrives = 8;
inline constexpr uint32_t kCdSectorBytes = 2352;

// Status values of the read and TOC functions.
inline constexpr int32_t kCdStatusOk = 1;
inline constexpr int32_t kCdStatusError = 4;

#pragma pack(push, 1)

// One entry of the drive list: its address and its identification text (NUL-terminated).
struct CdRecord {
    uint8_t hostAdapter;
    uint8_t target;
    uint8_t lun;
    uint8_t reserved;
    std::array<char, 117> id;
};

// The drive list: byte 1 holds the number of drives, the entries follow.
struct CdList {
    uint8_t max;
    uint8_t num;
    std::array<CdRecord, kMaxCdDrives> cd;
};

// What GetCDHandle is asked to open: 12, 1, host adapter, target, LUN, 0, six zero bytes.
struct GetCdHandleRequest {
    uint8_t size;
    uint8_t version;
    uint8_t hostAdapter;
    uint8_t target;
    uint8_t lun;
    uint8_t readType;
    std::array<uint8_t, 6> reserved;
};

// One entry of the table of contents. Byte 1 holds ADR and control bits (control 4: data
// track); the start sector is big-endian.
struct TocTrack {
    uint8_t reserved;
    uint8_t adrControl;
    uint8_t trackNumber;
    uint8_t reserved2;
    std::array<uint8_t, 4> startSector;
};

// The table of contents: length of what follows the length field, first and last track number,
// then entry n-1 for track n and, after the last track, the lead-out.
struct Toc {
    uint16_t length;
    uint8_t firstTrack;
    uint8_t lastTrack;
    std::array<TocTrack, 100> tracks;
};

#pragma pack(pop)

static_assert(sizeof(CdRecord) == 121 && sizeof(CdList) == 970);
static_assert(sizeof(GetCdHandleRequest) == 12);
static_assert(sizeof(TocTrack) == 8 && sizeof(Toc) == 804);

inline constexpr uint8_t kTocControlData = 4;

// The TOC entry's start sector.
inline int32_t TocStart(const TocTrack& entry) {
    const auto& b = entry.startSector;
    return static_cast<int32_t>((uint32_t{b[0]} << 24) | (uint32_t{b[1]} << 16) |
                                (uint32_t{b[2]} << 8) | uint32_t{b[3]});
}

inline bool TocIsData(const TocTrack& entry) {
    return (entry.adrControl & kTocControlData) != 0;
}

// What lies between two sessions of a disc: the lead-out of the first (6750 sectors), the
// lead-in of the next (4500) and the pre-gap of its first track (150). No drive reads it.
inline constexpr int32_t kSessionGapSectors = 11400;

// The first sector after the audio of a track that starts at `start` and is followed by a track
// (or the lead-out) at `next`. The last audio track of a session that a later session follows
// (an enhanced CD: its data track in a session of its own, starting at `lastSession`) ends
// before the gap between the two sessions. `lastSession` is 0 on a disc of one session.
inline int32_t AudioTrackEnd(int32_t start, int32_t next, bool nextIsData, int32_t lastSession) {
    const int32_t sessionEnd = lastSession - kSessionGapSectors;
    if (lastSession > 0 && nextIsData && sessionEnd >= start && sessionEnd < next) {
        return sessionEnd;
    }
    return next;
}

// The track-buffer record of the read functions: six 32-bit words, then the data area.
struct TrackBuffer {
    uint32_t startSector;  // first sector to read
    uint32_t sectorCount;  // sectors to read
    uint32_t capacity;     // bytes in the data area
    uint32_t length;       // bytes the last read returned
    uint32_t status;
    uint32_t startOffset;  // where in the data area the returned bytes begin

    uint8_t* data() { return reinterpret_cast<uint8_t*>(this) + sizeof(TrackBuffer); }
    const uint8_t* data() const {
        return reinterpret_cast<const uint8_t*>(this) + sizeof(TrackBuffer);
    }
};

static_assert(sizeof(TrackBuffer) == 24);

// A track-buffer record with room for `sectors` sectors, allocated as one zeroed block: the
// record and its data area. Throws std::bad_alloc when there is no memory.
class TrackBufferBlock {
  public:
    explicit TrackBufferBlock(uint32_t sectors);

    TrackBuffer* get() const { return record_; }
    TrackBuffer* operator->() const { return record_; }

  private:
    std::unique_ptr<unsigned char[]> storage_;
    TrackBuffer* record_ = nullptr;
};

}  // namespace disctrove::platform
