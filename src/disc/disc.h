// The drive list and the disc in the chosen drive: building the list, reading the disc into the
// track list, noticing a changed disc.
#pragma once

#include <cstdint>

#include "front/settings.h"

namespace disctrove {

inline constexpr const char* kRefreshingText = "Refreshing CD...";
inline constexpr const char* kReadyText = "Ready";
inline constexpr const char* kNoAudioCdText = "No audio CD";
// A disc that was read but holds data tracks only.
inline constexpr const char* kNoAudioTracksText =
    "The disc has no audio tracks: there is nothing to rip";
inline constexpr const char* kTocErrorMessage =
    "Error reading TOC\nProbably there is no CD in your CD-ROM drive";
inline constexpr const char* kDiscChangedMessage =
    "CD has changed since your last refresh.\nDo a refresh and try again";

// Fills `drives` from the drive layer's list (real drives, then disc images); returns how many.
int BuildDriveList(Settings& settings);

// Reads the table of contents of drive `index` into its record and rebuilds `tracks` from its
// audio tracks (data tracks are left out; numbering follows the list). A disc other than the one
// DiscId names starts unnamed (Artist, Album, Year and Genre cleared) and DiscId becomes its ID.
// Returns 0, or -1 when the table of contents cannot be read (or `index` names no drive);
// `tracks` is then empty and the names stay.
int ReadDisc(Settings& settings, int32_t index);

// The disc ID of the disc now in drive `index`, without touching its record: kNoDiscId when the
// table of contents cannot be read, 0 when there was no memory for the ID.
uint32_t ReadCurrentDiscId(const Settings& settings, int32_t index);

enum class RefreshResult {
    busy,       // a rip runs: nothing was done
    noAudioCd,  // the table of contents could not be read: no tracks
    ready,      // the track list holds the disc's audio tracks
};

// What a refresh does apart from the window: resets the current track and the look-up flag,
// reads the disc in drive Cdrom and, with Autocheck, marks every track. The window shows
// kRefreshingText before and kReadyText, kNoAudioTracksText (ready, but no audio track) or
// kNoAudioCdText after.
RefreshResult RefreshDisc(Settings& settings);

// True when the disc in drive Cdrom is not the one of the last refresh (also when none can be
// read): a rip must not start; the window shows kDiscChangedMessage.
bool DiscChanged(const Settings& settings);

// Gives every track the encoder `kind` with its main format group and no status, and makes it
// the default encoder. Does nothing (false) while a rip runs.
bool ApplyEncoderToAllTracks(Settings& settings, EncoderKind kind);

}  // namespace disctrove
