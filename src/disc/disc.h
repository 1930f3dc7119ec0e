// The drive list and the disc in the chosen drive: building the list, reading the disc into the
// track list, noticing a changed disc.
#pragma once

#include <cstdint>
#include <string>

#include "app/options.h"
#include "disc/disc_state.h"
#include "disc/lookup_result.h"
#include "work/run_state.h"

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

// The title of `track` as a disc is read without names: "Track 01", or "Hidden track".
std::string DefaultTrackTitle(const Track& track);

// The drive `index` names in the drive list, or null.
const Drive* DriveAt(const DiscState& disc, int32_t index);

// What the drive in Cdrom reported of `track` (its entry of the table of contents) in `facts`;
// null when unknown.
const platform::TrackFacts* TrackFactsOf(const Options& options, const DiscState& disc,
                                         const platform::DiscFacts& facts, const Track& track);

// Fills `drives` from the drive layer's list (real drives, then disc images); returns how many.
int BuildDriveList(DiscState& disc);

// Reads the table of contents of drive `index` into its record and rebuilds `tracks` from its
// audio tracks (data tracks are left out; numbering follows the list), each with the options'
// Encoder and its format. The chosen release is forgotten. A disc other than the one DiscId
// names starts unnamed (Artist, Album, Year and Genre cleared) and DiscId becomes its ID.
// Returns 0, or -1 when the table of contents cannot be read (or `index` names no drive);
// `tracks` is then empty and the names stay.
int ReadDisc(DiscState& disc, const Options& options, int32_t index);

// The disc ID of the disc now in drive `index`, without touching its record: kNoDiscId when the
// table of contents cannot be read, 0 when there was no memory for the ID.
uint32_t ReadCurrentDiscId(const DiscState& disc, int32_t index);

enum class RefreshResult {
    busy,       // a rip runs: nothing was done
    noAudioCd,  // the table of contents could not be read: no tracks
    ready,      // the track list holds the disc's audio tracks
};

// What a refresh does apart from the window: resets the current track and the look-up flag,
// forgets the last look-up's releaseCandidates, reads the disc in drive Cdrom (see ReadDisc)
// and, with Autocheck, marks every track. The window shows kRefreshingText before and
// kReadyText, kNoAudioTracksText (ready, but no audio track) or kNoAudioCdText after.
RefreshResult RefreshDisc(const Options& options, DiscState& disc, LookupResult& lookup,
                          RunState& run);

// True when the disc in drive `drive` is not the one of the last refresh (also when none can be
// read): a rip must not start; the window shows kDiscChangedMessage.
bool DiscChanged(const DiscState& disc, int32_t drive);

// Gives every track the encoder `kind` with its main format group of `options` and no status,
// and makes it the default encoder (Encoder). Does nothing (false) while a rip runs.
bool ApplyEncoderToAllTracks(Options& options, DiscState& disc, const RunState& run,
                             EncoderKind kind);

}  // namespace disctrove
