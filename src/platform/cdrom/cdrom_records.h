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

// One entry of the table of contents record. Byte 1 holds ADR and control bits (control 4: data
// track, 1: pre-emphasis); the start sector is big-endian.
struct TocRecordEntry {
    uint8_t reserved;
    uint8_t adrControl;
    uint8_t trackNumber;
    uint8_t reserved2;
    std::array<uint8_t, 4> startSector;
};

// The table of contents record: length of what follows the length field, first and last track
// number, then entry i for track firstTrack + i and, after the last track, the lead-out. Only
// the drive layer reads it; the rest of the program gets a Toc (toc.h).
struct TocRecord {
    uint16_t length;
    uint8_t firstTrack;
    uint8_t lastTrack;
    std::array<TocRecordEntry, 100> tracks;
};

#pragma pack(pop)

static_assert(sizeof(CdRecord) == 121 && sizeof(CdList) == 970);
static_assert(sizeof(GetCdHandleRequest) == 12);
static_assert(sizeof(TocRecordEntry) == 8 && sizeof(TocRecord) == 804);

inline constexpr uint8_t kTocControlPreEmphasis = 1;
inline constexpr uint8_t kTocControlData = 4;

// The TOC entry's start sector.
inline int32_t TocStart(const TocRecordEntry& entry) {
    const auto& b = entry.startSector;
    return static_cast<int32_t>((uint32_t{b[0]} << 24) | (uint32_t{b[1]} << 16) |
                                (uint32_t{b[2]} << 8) | uint32_t{b[3]});
}

inline bool TocIsData(const TocRecordEntry& entry) {
    return (entry.adrControl & kTocControlData) != 0;
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
