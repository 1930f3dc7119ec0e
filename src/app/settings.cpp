#include "app/settings.h"

namespace disctrove {

// Defined together so that the live record is built before the edit copy.
Settings liveSettings;
Settings editCopy;

void AssignSettings(Settings& target, const Settings& source) {
    if (&target == &source) {
        return;
    }
    target.Encoder = source.Encoder;
    target.Cdrom = source.Cdrom;
    target.Createm3u = source.Createm3u;
    target.Autocddb = source.Autocddb;
    target.Autocheck = source.Autocheck;
    target.Overwrite = source.Overwrite;
    target.RipInFolder = source.RipInFolder;
    target.Jitter = source.Jitter;
    target.Outfolder = source.Outfolder;
    target.Tmpfolder = source.Tmpfolder;
    target.currentTemplate = source.currentTemplate;
    target.Menustyle = source.Menustyle;
    target.Makesound = source.Makesound;
    target.EncoderThreads = source.EncoderThreads;
    target.formats = source.formats;
    target.pageFormats = source.pageFormats;
    target.Useid3 = source.Useid3;
    target.Artist = source.Artist;
    target.Album = source.Album;
    target.Year = source.Year;
    target.Genre = source.Genre;
    target.DiscId = source.DiscId;
    target.Id3v2 = source.Id3v2;
    target.ReplayGain = source.ReplayGain;
    target.Server = source.Server;
    target.Query = source.Query;
    target.Port = source.Port;
    target.Useproxy = source.Useproxy;
    target.Proxyserver = source.Proxyserver;
    target.Proxyport = source.Proxyport;
    target.Username = source.Username;
    target.Password = source.Password;
    target.Savepasswd = source.Savepasswd;
    target.Email = source.Email;
    target.musicBrainz = source.musicBrainz;
    target.ReadOffset = source.ReadOffset;
    target.Retries = source.Retries;
    target.TestAndCopy = source.TestAndCopy;
    target.AccurateRip = source.AccurateRip;
    target.ArServer = source.ArServer;
    target.ArPort = source.ArPort;
    target.WriteLog = source.WriteLog;
    target.WriteCue = source.WriteCue;
    target.folderHistory = source.folderHistory;
    target.templateHistory = source.templateHistory;
    target.WAVEncoder = source.WAVEncoder;
    target.wavSourcePath = source.wavSourcePath;
    target.mp3SourcePath = source.mp3SourcePath;
    target.oggSourcePath = source.oggSourcePath;
    target.currentTrack = source.currentTrack;
    // The run flags (ripping, finished, cddbRunning) belong to the threads that run: a copy taken
    // before a dialog opened must never bring back a flag that a worker has cleared since.
}

void SetDefaultSettings(Settings& settings) {
    const Settings defaults;
    AssignSettings(settings, defaults);
    settings.tracks.clear();
    settings.drives.clear();
    settings.cddbReply.clear();
    settings.releaseCandidates.clear();
    settings.lookupUnanswered.clear();
    settings.release = {};
    settings.cover = {};
    settings.lastRipLog.clear();
    settings.lastCover.clear();
    settings.cddbRunning = defaults.cddbRunning;
    settings.ripping = defaults.ripping;
    settings.finished = defaults.finished;
}

}  // namespace disctrove
