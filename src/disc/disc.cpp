#include "disc/disc.h"

#include <array>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <utility>

#include "platform/cdrom/cdrom.h"
#include "platform/cdrom/drive_handle.h"
#include "platform/system/text.h"

namespace disctrove {

namespace {

const Drive* DriveAt(const Settings& settings, int32_t index) {
    return index >= 0 && static_cast<size_t>(index) < settings.drives.size()
               ? &settings.drives[static_cast<size_t>(index)]
               : nullptr;
}

// Opens the drive of `request`, reads its table of contents into `toc`, the disc ID into
// `discId` and, when asked, where its last session starts into `lastSession`. False when the
// table of contents cannot be read.
bool ReadTocAndId(const platform::GetCdHandleRequest& request, platform::Toc& toc, uint32_t& discId,
                  int32_t* lastSession = nullptr) {
    const platform::DriveHandle drive(request);
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

// The disc's names belong to the disc they were set for: another disc starts unnamed, the same
// one keeps them. Names set for no disc yet are taken by this one.
void TakeNamesFor(Settings& settings, uint32_t discId) {
    std::array<char, 9> id{};
    std::snprintf(id.data(), id.size(), "%08x", discId);
    if (settings.DiscId == id.data()) {
        return;
    }
    if (!settings.DiscId.empty()) {
        settings.Artist.clear();
        settings.Album.clear();
        settings.Year.clear();
        settings.Genre = 0;
    }
    settings.DiscId = id.data();
}

}  // namespace

int BuildDriveList(Settings& settings) {
    platform::CdList list{};
    platform::GetCDList(&list);
    for (size_t i = 0; i < list.num && i < list.cd.size(); ++i) {
        const platform::CdRecord& entry = list.cd[i];
        Drive drive;
        drive.name.assign(entry.id.data(), strnlen(entry.id.data(), entry.id.size()));
        drive.handleRequest = {12, 1, entry.hostAdapter, entry.target, entry.lun, 0, {}};
        drive.isImage = platform::IsImageDrive(&drive.handleRequest);
        settings.drives.push_back(std::move(drive));
    }
    return static_cast<int>(settings.drives.size());
}

int ReadDisc(Settings& settings, int32_t index) {
    // A new track list belongs to no release yet.
    settings.release = {};
    settings.releaseCandidates.clear();
    if (DriveAt(settings, index) == nullptr) {
        settings.tracks.clear();
        return -1;
    }
    Drive& drive = settings.drives[static_cast<size_t>(index)];
    const bool read =
        ReadTocAndId(drive.handleRequest, drive.toc, drive.discId, &drive.lastSession);
    settings.tracks.clear();
    if (!read) {
        return -1;
    }
    TakeNamesFor(settings, drive.discId);
    const platform::Toc& toc = drive.toc;
    for (size_t entry = 0; entry < toc.tracks.size(); ++entry) {
        if (toc.tracks[entry].isData) {
            continue;
        }
        // The TOC and the disc ID stay as the drive reports them; only the track's length leaves
        // out the gap before a later session, which no drive can read.
        const int32_t start = toc.tracks[entry].start;
        const int32_t next = toc.AudioEnd(entry, drive.lastSession);
        Track track;
        track.index = static_cast<int32_t>(settings.tracks.size());
        track.title = "Track " + platform::TwoDigits(track.index + 1);
        track.startSector = start;
        track.lengthSectors = next > start ? static_cast<uint32_t>(next - start) : 0;
        track.lengthSeconds = static_cast<int32_t>(track.lengthSectors / 75);
        track.encoder = settings.Encoder;
        track.format = TrackFormatFor(settings.Encoder, settings.formats);
        settings.tracks.push_back(std::move(track));
    }
    return 0;
}

uint32_t ReadCurrentDiscId(const Settings& settings, int32_t index) {
    const Drive* drive = DriveAt(settings, index);
    if (drive == nullptr) {
        return kNoDiscId;
    }
    platform::Toc toc;
    uint32_t discId = kNoDiscId;
    return ReadTocAndId(drive->handleRequest, toc, discId) ? discId : kNoDiscId;
}

RefreshResult RefreshDisc(Settings& settings) {
    if (settings.ripping) {
        return RefreshResult::busy;
    }
    settings.currentTrack = -1;
    settings.cddbRunning = 0;
    settings.tracks.clear();
    if (ReadDisc(settings, settings.Cdrom) != 0) {
        return RefreshResult::noAudioCd;
    }
    settings.currentTrack = 0;
    if (settings.Autocheck) {
        for (Track& track : settings.tracks) {
            track.marked = 1;
        }
    }
    return RefreshResult::ready;
}

bool DiscChanged(const Settings& settings) {
    const uint32_t now = ReadCurrentDiscId(settings, settings.Cdrom);
    const Drive* drive = DriveAt(settings, settings.Cdrom);
    return now == kNoDiscId || drive == nullptr || now != drive->discId;
}

bool ApplyEncoderToAllTracks(Settings& settings, EncoderKind kind) {
    if (settings.ripping) {
        return false;
    }
    settings.Encoder = kind;
    for (Track& track : settings.tracks) {
        track.encoder = kind;
        track.format = TrackFormatFor(kind, settings.formats);
        // What a row said of its last rip no longer holds; no track is under way either.
        track.status = kStatusNone;
    }
    return true;
}

}  // namespace disctrove
