#include "disc/disc.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <utility>

#include "disc/name_choice.h"
#include "platform/cdrom/cdrom.h"
#include "platform/cdrom/drive_handle.h"
#include "platform/system/text.h"

namespace disctrove {

namespace {

// Opens the drive of `request`, reads its table of contents into `toc`, the disc ID into
// `discId` and, when asked, where its last session starts into `lastSession`. False when the
// table of contents cannot be read.
bool ReadTocAndId(const platform::GetCdHandleRequest& request, platform::Toc& toc, uint32_t& discId,
                  int32_t* lastSession = nullptr, platform::DriveIdentity* identity = nullptr) {
    const platform::DriveHandle drive(request);
    if (identity != nullptr) {
        *identity = drive.Identity();
    }
    std::optional<platform::Toc> read = drive.ReadToc();
    if (!read) {
        toc = {};
        return false;
    }
    toc = std::move(*read);
    if (lastSession != nullptr) {
        *lastSession = drive.LastSession();
    }
    discId = drive.CddbDiscId();
    return true;
}

// What the sectors before `start`, the first track's INDEX 01, hold. They are read in the order
// of the disc up to the first one that is not digital silence, so a long silent lead costs a
// read of the lead and music costs one request.
Drive::BeforeFirstTrack ExamineBeforeFirstTrack(const platform::GetCdHandleRequest& request,
                                                int32_t start) {
    if (start <= 0) {
        return Drive::BeforeFirstTrack::nothing;
    }
    const platform::DriveHandle drive(request);
    constexpr uint32_t kSectorsPerRead = 27;
    const platform::TrackBufferBlock buffer(kSectorsPerRead);
    for (int32_t sector = 0; sector < start; sector += kSectorsPerRead) {
        buffer->startSector = static_cast<uint32_t>(sector);
        buffer->sectorCount =
            std::min<uint32_t>(kSectorsPerRead, static_cast<uint32_t>(start - sector));
        buffer->startOffset = 0;
        if (!drive ||
            platform::ReadCDAudioLBA(drive.get(), buffer.get()) != platform::kCdStatusOk) {
            return Drive::BeforeFirstTrack::unreadable;  // many drives cannot reach it
        }
        const uint8_t* data = buffer->data() + buffer->startOffset;
        const uint32_t bytes =
            std::min<uint32_t>(buffer->length, buffer->sectorCount * platform::kCdSectorBytes);
        if (std::any_of(data, data + bytes, [](uint8_t byte) { return byte != 0; })) {
            return Drive::BeforeFirstTrack::audio;
        }
    }
    return Drive::BeforeFirstTrack::silence;
}

// The disc's names belong to the disc they were set for: another disc starts unnamed, the same
// one keeps them. Names set for no disc yet are taken by this one.
void TakeNamesFor(DiscNames& names, uint32_t discId) {
    std::array<char, 9> id{};
    std::snprintf(id.data(), id.size(), "%08x", discId);
    if (names.DiscId == id.data()) {
        return;
    }
    if (!names.DiscId.empty()) {
        names.Artist.clear();
        names.Album.clear();
        names.Year.clear();
        names.Genre = 0;
        names.DiscNumber = 0;
        names.DiscTotal = 0;
    }
    names.DiscId = id.data();
}

}  // namespace

std::string DefaultTrackTitle(const Track& track) {
    return track.Hidden() ? "Hidden track" : "Track " + platform::TwoDigits(track.Number());
}

const Drive* DriveAt(const DiscState& disc, int32_t index) {
    return index >= 0 && static_cast<size_t>(index) < disc.drives.size()
               ? &disc.drives[static_cast<size_t>(index)]
               : nullptr;
}

const platform::TrackFacts* TrackFactsOf(const Options& options, const DiscState& disc,
                                         const platform::DiscFacts& facts, const Track& track) {
    const Drive* drive = DriveAt(disc, options.Cdrom);
    if (drive == nullptr) {
        return nullptr;
    }
    const std::optional<size_t> entry = drive->toc.IndexOfAudioAt(track.startSector);
    return entry && *entry < facts.tracks.size() ? &facts.tracks[*entry] : nullptr;
}

int BuildDriveList(DiscState& disc) {
    platform::CdList list{};
    platform::GetCDList(&list);
    for (size_t i = 0; i < list.num && i < list.cd.size(); ++i) {
        const platform::CdRecord& entry = list.cd[i];
        Drive drive;
        drive.name.assign(entry.id.data(), strnlen(entry.id.data(), entry.id.size()));
        drive.handleRequest = {12, 1, entry.hostAdapter, entry.target, entry.lun, 0, {}};
        drive.isImage = platform::IsImageDrive(&drive.handleRequest);
        disc.drives.push_back(std::move(drive));
    }
    return static_cast<int>(disc.drives.size());
}

int ReadDisc(DiscState& disc, const Options& options, int32_t index) {
    // A new track list belongs to no release yet.
    disc.release = {};
    if (DriveAt(disc, index) == nullptr) {
        disc.tracks.clear();
        return -1;
    }
    Drive& drive = disc.drives[static_cast<size_t>(index)];
    drive.cdText = {};
    const bool read = ReadTocAndId(drive.handleRequest, drive.toc, drive.discId, &drive.lastSession,
                                   &drive.identity);
    disc.tracks.clear();
    if (!read) {
        return -1;
    }
    const std::string namedFor = disc.DiscId;
    TakeNamesFor(disc, drive.discId);
    if (disc.DiscId != namedFor) {
        disc.comment.clear();  // another disc's, as its names were
    }
    drive.cdText = platform::DriveHandle(drive.handleRequest).CdText();
    const platform::Toc& toc = drive.toc;
    // Audio before track 1's INDEX 01 is the hidden track, ripped as track 0; silence is not.
    const bool audioFirst = !toc.tracks.empty() && !toc.tracks.front().isData;
    drive.beforeFirstTrack =
        ExamineBeforeFirstTrack(drive.handleRequest, audioFirst ? toc.tracks.front().start : 0);
    const bool hidden = drive.beforeFirstTrack == Drive::BeforeFirstTrack::audio;
    if (hidden) {
        Track track;
        track.index = 0;
        track.numberBase = 0;
        track.title = DefaultTrackTitle(track);
        track.startSector = 0;
        track.lengthSectors = static_cast<uint32_t>(toc.tracks.front().start);
        track.lengthSeconds = static_cast<int32_t>(track.lengthSectors / 75);
        track.encoder = options.Encoder;
        track.format = TrackFormatFor(options.Encoder, options.formats);
        disc.tracks.push_back(std::move(track));
    }
    for (size_t entry = 0; entry < toc.tracks.size(); ++entry) {
        if (toc.tracks[entry].isData) {
            continue;
        }
        // The TOC and the disc ID stay as the drive reports them; only the track's length leaves
        // out the gap before a later session, which no drive can read.
        const int32_t start = toc.tracks[entry].start;
        const int32_t next = toc.AudioEnd(entry, drive.lastSession);
        Track track;
        track.index = static_cast<int32_t>(disc.tracks.size());
        track.numberBase = hidden ? 0 : 1;
        track.title = DefaultTrackTitle(track);
        track.startSector = start;
        track.lengthSectors = next > start ? static_cast<uint32_t>(next - start) : 0;
        track.lengthSeconds = static_cast<int32_t>(track.lengthSectors / 75);
        track.encoder = options.Encoder;
        track.format = TrackFormatFor(options.Encoder, options.formats);
        disc.tracks.push_back(std::move(track));
    }
    // The names the disc carries come first; a look-up's, or the user's, replace them.
    ApplyCdText(disc, CdTextNames(disc, drive));
    return 0;
}

uint32_t ReadCurrentDiscId(const DiscState& disc, int32_t index) {
    const Drive* drive = DriveAt(disc, index);
    if (drive == nullptr) {
        return kNoDiscId;
    }
    platform::Toc toc;
    uint32_t discId = kNoDiscId;
    return ReadTocAndId(drive->handleRequest, toc, discId) ? discId : kNoDiscId;
}

RefreshResult RefreshDisc(const Options& options, DiscState& disc, LookupResult& lookup,
                          RunState& run) {
    if (run.ripping) {
        return RefreshResult::busy;
    }
    run.currentTrack = -1;
    run.lookupRunning = 0;
    disc.tracks.clear();
    // The candidates were releases of the disc read before.
    lookup.releaseCandidates.clear();
    if (ReadDisc(disc, options, options.Cdrom) != 0) {
        return RefreshResult::noAudioCd;
    }
    run.currentTrack = 0;
    if (options.Autocheck) {
        for (Track& track : disc.tracks) {
            track.marked = 1;
        }
    }
    return RefreshResult::ready;
}

bool DiscChanged(const DiscState& disc, int32_t drive) {
    const uint32_t now = ReadCurrentDiscId(disc, drive);
    const Drive* record = DriveAt(disc, drive);
    return now == kNoDiscId || record == nullptr || now != record->discId;
}

bool ApplyEncoderToAllTracks(Options& options, DiscState& disc, const RunState& run,
                             EncoderKind kind) {
    if (run.ripping) {
        return false;
    }
    options.Encoder = kind;
    for (Track& track : disc.tracks) {
        track.encoder = kind;
        track.format = TrackFormatFor(kind, options.formats);
        // What a row said of its last rip no longer holds; no track is under way either.
        track.status = kStatusNone;
    }
    return true;
}

}  // namespace disctrove
