// The settings record: every stored setting plus the runtime state that several parts of the
// program share (drive list, track list, run flags, conversion paths).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/formats.h"
#include "app/shared_int.h"
#include "disc/disc_model.h"
#include "disc/release.h"

namespace disctrove {

// Host name of the CDDB server used until the user chooses another.
inline constexpr const char* kDefaultCddbServer = "gnudb.gnudb.org";
inline constexpr const char* kDefaultCddbQuery = "/~cddb/cddb.cgi";
inline constexpr const char* kDefaultTemplate = "$a-$t";
inline constexpr const char* kDefaultAccurateRipServer = "www.accuraterip.com";

// The read modes of Jitter.
inline constexpr int32_t kJitterSecure = 3;

inline constexpr const char* kDefaultMusicBrainzServer = "musicbrainz.org";
inline constexpr const char* kDefaultCoverServer = "coverartarchive.org";

// Section MUSICBRAINZ.
struct MusicBrainzSettings {
    int32_t Use = 1;  // MusicBrainz before CDDB; off: CDDB only
    std::string Server = kDefaultMusicBrainzServer;
    int32_t Port = 443;
    int32_t Https = 1;
    int32_t CoverArt = 1;  // fetch the front cover of the chosen release at a rip
    std::string CoverServer = kDefaultCoverServer;
};

// Section WINDOW: where the desktop program's main window was and how its list's columns were
// sized when it last closed. Width 0: never stored (the window opens at its own size). Only the
// window itself reads and writes it: AssignSettings leaves it alone.
struct WindowPlace {
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Width = 0;
    int32_t Height = 0;
    int32_t Maximized = 0;
    std::string Columns;  // the track list's column widths, comma-separated
};

// Where a look-up asks (the terminal program's --source; the GUI always asks automatically).
enum class LookupSource { automatic, musicBrainz, cddb };
// Which source gave the last look-up's answer.
enum class LookupAnswer { none, musicBrainz, cddb };

// Field names follow the keys of the settings file; runtime fields are never stored.
struct Settings {
    Settings() = default;
    // There are exactly two records, the live one and the edit copy; they are assigned to each
    // other only through AssignSettings, which deliberately copies part of the record.
    Settings(const Settings&) = delete;
    Settings& operator=(const Settings&) = delete;

    EncoderKind Encoder = kEncoderMp3;
    // The chosen drive: the UI thread sets it while a look-up or a rip thread reads it.
    SharedInt Cdrom = 0;
    int32_t Createm3u = 0;
    int32_t Autocddb = 0;
    int32_t Autocheck = 1;
    int32_t Overwrite = 1;
    int32_t RipInFolder = 0;
    int32_t Jitter = 1;  // 0 always, 1 never, 2 only after a failed plain read, 3 secure
    std::string Outfolder = ".";
    std::string Tmpfolder = ".";
    std::string currentTemplate = kDefaultTemplate;  // runtime: never read from the file
    int32_t Menustyle = 3;
    int32_t Makesound = 0;
    int32_t EncoderThreads = 0;  // encodes at once during a rip; 0: one per processor core
    FormatGroups formats;        // the WAV, OGG, MP3 and WMA sections
    FormatGroups pageFormats;    // runtime: what the option pages edit
    int32_t Useid3 = 1;
    std::string Artist;
    std::string Album;
    std::string Year;
    int32_t Genre = 0;       // 1 + the genre's number in GenreNames; 0 for no genre
    int32_t Id3v2 = 1;       // MP3 files get an ID3v2.4 tag in front (beside the ID3v1 tag)
    int32_t ReplayGain = 1;  // every file of a run gets its track and album gain
    // The disc Artist, Album, Year and Genre belong to: its disc ID in 8 hex digits, "" when they
    // were set before any disc was read (the next disc read takes them). Another disc clears them.
    std::string DiscId;
    std::string Server = kDefaultCddbServer;
    std::string Query = kDefaultCddbQuery;
    int32_t Port = 80;
    int32_t Useproxy = 0;
    std::string cddbReply;  // runtime: the entry text of the last look-up
    MusicBrainzSettings musicBrainz;
    LookupSource lookupSource = LookupSource::automatic;  // runtime
    LookupAnswer lookupAnswer = LookupAnswer::none;       // runtime: set by the look-up thread
    // runtime: the releases the last look-up found on MusicBrainz (empty: it found none there,
    // and cddbReply holds what CDDB gave)
    std::vector<MusicBrainzRelease> releaseCandidates;
    // runtime: the services the last look-up asked that gave no whole answer, e.g.
    // {"MusicBrainz", "CDDB"} (set by the look-up thread)
    std::vector<std::string> lookupUnanswered;
    ReleaseFacts release;  // runtime: of the release chosen for the disc
    CoverArt cover;        // runtime: the cover of the last release whose cover was fetched
    std::string Proxyserver;
    int32_t Proxyport = 80;
    std::string Username;
    std::string Password;
    int32_t Savepasswd = 0;
    std::string Email;        // the address the CDDB hello gives; empty for Disctrove's own
    int32_t ReadOffset = 0;   // the drive's read offset in samples, -3000 to 3000
    int32_t Retries = 20;     // secure reading: re-reads before a position is given up
    int32_t TestAndCopy = 0;  // read every track twice and compare the two reads
    int32_t AccurateRip = 1;  // look the rip up in the AccurateRip database
    std::string ArServer = kDefaultAccurateRipServer;
    int32_t ArPort = 80;
    int32_t WriteLog = 1;                    // a rip log beside the playlist
    int32_t WriteCue = 1;                    // a CUE sheet beside the log
    std::string lastRipLog;                  // runtime: the log the last rip wrote; empty when none
    std::string lastCueSheet;                // runtime: the CUE sheet the last rip wrote
    std::string lastCover;                   // runtime: the cover the last rip saved
    std::vector<Track> tracks;               // runtime: audio tracks of the current disc
    std::vector<Drive> drives;               // runtime: the CD drives and disc images
    std::vector<std::string> folderHistory;  // entry 0 is stored as Outfolder
    std::vector<std::string> templateHistory = {"$a-$t", "$n-$t", "$l-$n-$t", "$a-$l-$n-$t"};
    EncoderKind WAVEncoder = kEncoderMp3;
    WindowPlace window;
    std::string wavSourcePath;  // runtime
    std::string mp3SourcePath;  // runtime
    std::string oggSourcePath;  // runtime
    SharedInt currentTrack = -1;
    SharedInt cddbRunning = 0;
    SharedInt ripping = 0;
    SharedInt finished = 1;
    // runtime: the loudness of the last rip's tracks together (ReplayGain on, some track read)
    std::optional<Loudness> lastAlbumLoudness;
};

// The live record, which everything reads, and the copy that the Options dialog edits.
extern Settings liveSettings;
extern Settings editCopy;

// Copies `source` into `target`: every stored setting, the format groups, pageFormats,
// currentTemplate, both histories, the conversion paths and currentTrack. The disc model
// (tracks, drives), cddbReply and the run flags of `target` are left as they are, so assigning
// the live record from the edit copy never disturbs the disc model or a running worker.
void AssignSettings(Settings& target, const Settings& source);

// Puts every field of `settings` to its default.
void SetDefaultSettings(Settings& settings);

}  // namespace disctrove
