// The stored settings: everything the settings file keeps, as plain values that are copied with
// `=`. Each field's default is its initializer; the file's key for each field is named once, in
// settings_file.cpp's key table.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "app/formats.h"
#include "app/shared_int.h"

namespace disctrove {

// Host name of the CDDB server used until the user chooses another.
inline constexpr const char* kDefaultCddbServer = "gnudb.gnudb.org";
inline constexpr const char* kDefaultCddbQuery = "/~cddb/cddb.cgi";
inline constexpr const char* kDefaultTemplate = "$a-$t";
inline constexpr const char* kDefaultAccurateRipServer = "www.accuraterip.com";
// The CUETools database; "host" or "host:port".
inline constexpr const char* kDefaultCtdbServer = "db.cuetools.net";

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
    bool operator==(const MusicBrainzSettings&) const = default;
};

// Section WINDOW: where the desktop program's main window was and how its list's columns were
// sized when it last closed. Width 0: never stored (the window opens at its own size). Only the
// window itself writes it: the Options dialog's Apply leaves it alone.
struct WindowPlace {
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Width = 0;
    int32_t Height = 0;
    int32_t Maximized = 0;
    std::string Columns;  // the track list's column widths, comma-separated
    bool operator==(const WindowPlace&) const = default;
};

// Section CONVERT: the choices of the desktop program's "Convert files" dialog, written once the
// dialog has been used (Outfolder "" until then, and the dialog starts at the rip's folder).
struct ConvertChoices {
    EncoderKind Encoder = kEncoderFlac;
    std::string Outfolder;
    int32_t KeepTree = 0;         // mirror the source folders below the output folder
    int32_t SkipExisting = 0;     // a file whose converted file exists is skipped
    int32_t CheckSignatures = 0;  // FLAC sources are compared with their MD5 signature
    bool operator==(const ConvertChoices&) const = default;
};

// Where a drive's read offset came from.
enum class OffsetSource {
    options,        // ReadOffset, as the user set it (or its default)
    driveDatabase,  // AccurateRip's drive offset list, for the drive's model
    detected,       // found from a disc that the AccurateRip database knows
};

// The read offset saved for one drive (section OFFSETS, a key per drive).
struct DriveReadOffset {
    int32_t samples = 0;
    OffsetSource source = OffsetSource::options;
    bool operator==(const DriveReadOffset&) const = default;
};

// Field names follow the keys of the settings file.
struct Options {
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
    // Nothing reads it any more; it stays so that the file keeps what older versions wrote.
    int32_t Menustyle = 3;
    int32_t Makesound = 0;
    int32_t EjectWhenDone = 0;   // open the drive after a rip that ended well
    int32_t EncoderThreads = 0;  // encodes at once during a rip; 0: one per processor core
    // A rip writes the whole disc into one WAV or FLAC file with its CUE sheet, instead of a file
    // per track.
    int32_t ImageFile = 0;
    FormatGroups formats;  // the WAV, OGG, MP3 and WMA sections
    int32_t Useid3 = 1;
    int32_t Id3v2 = 1;       // MP3 files get an ID3v2.4 tag in front (beside the ID3v1 tag)
    int32_t Id3v23 = 0;      // that tag as ID3v2.3, for players that read no version 2.4
    int32_t ReplayGain = 1;  // every file of a run gets its track and album gain
    std::string Server = kDefaultCddbServer;
    std::string Query = kDefaultCddbQuery;
    int32_t Port = 80;
    int32_t Useproxy = 0;
    MusicBrainzSettings musicBrainz;
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
    int32_t Ctdb = 1;  // look the rip up in the CUETools database (CTDB)
    std::string CtdbServer = kDefaultCtdbServer;
    int32_t WriteLog = 1;                    // a rip log beside the playlist
    int32_t WriteCue = 1;                    // a CUE sheet beside the log
    std::vector<std::string> folderHistory;  // entry 0 is stored as Outfolder
    std::vector<std::string> templateHistory = {"$a-$t", "$n-$t", "$l-$n-$t", "$a-$l-$n-$t"};
    EncoderKind WAVEncoder = kEncoderMp3;
    WindowPlace window;
    ConvertChoices convert;
    // The read offsets saved per drive, by the drive's key (DriveKey): a rip with that drive uses
    // its offset instead of ReadOffset.
    std::map<std::string, DriveReadOffset> driveOffsets;
};

// The album's names as the user or a look-up gave them, stored in the file's ID3 section so that
// they survive a restart with the same disc in the drive.
struct DiscNames {
    std::string Artist;
    std::string Album;
    std::string Year;
    int32_t Genre = 0;  // 1 + the genre's number in GenreNames; 0 for no genre
    // Which disc of a set this is, and how many the set has (0: not known, a single disc).
    int32_t DiscNumber = 0;
    int32_t DiscTotal = 0;
    // The disc the names belong to: its disc ID in 8 hex digits, "" when they were set before any
    // disc was read (the next disc read takes them). Another disc clears them.
    std::string DiscId;
    bool operator==(const DiscNames&) const = default;
};

}  // namespace disctrove
