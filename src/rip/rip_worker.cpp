#include "rip/rip_worker.h"

#include <array>
#include <cstdio>
#include <memory>
#include <new>
#include <vector>

#include "app/share_path.h"
#include "audio/pcm_source.h"
#include "audio/unique_file.h"
#include "codecs/encode_job.h"
#include "platform/audio/sound_player.h"
#include "platform/cdrom/cdrom_records.h"
#include "platform/system/files.h"
#include "rip/extraction.h"
#include "rip/naming.h"

namespace disctrove {

namespace {

// Makes the artist and album folders; false (after telling why) when the run cannot go on.
bool MakeDiscFolders(WorkerContext& context, const std::string& base) {
    const Settings& settings = context.settings;
    const std::string artist = ArtistFolderName(settings);
    if (platform::CreateFolder(base + artist) == platform::CreateFolderResult::failed) {
        context.questions.Inform("Cannot create artist's folder \"" + artist + "\"");
        return false;
    }
    const std::string album = artist + "/" + AlbumFolderName(settings);
    const bool created =
        platform::CreateFolder(base + album) == platform::CreateFolderResult::created;
    if (!created && !settings.Overwrite) {
        context.questions.Inform(
            "Cannot create album's folder \"" + album +
            "\"\nPlease check if that folder already exists and rename it\nor use the "
            "\"Overwrite tracks\" option in the menu Options > Global > Misc");
        return false;
    }
    return true;
}

// Appends `text` to the playlist; a playlist that cannot be opened is skipped silently.
bool AppendToPlaylist(const std::string& path, const std::string& text) {
    UniqueFile playlist = OpenFile(path, "a");
    return playlist && std::fputs(text.c_str(), playlist.get()) >= 0;
}

std::string FileNameOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The encoders of one run, made when a track first needs one and released when the run ends.
class RunEncoders {
  public:
    RipEncoder* For(EncoderKind kind) {
        const auto index = static_cast<size_t>(kind);
        if (index >= encoders_.size()) {
            return nullptr;
        }
        if (!encoders_[index]) {
            encoders_[index] = MakeRipEncoder(kind);
        }
        return encoders_[index].get();
    }

  private:
    std::array<std::unique_ptr<RipEncoder>, 4> encoders_;
};

enum class TrackEnd { goOn, stop, failed };

// Rips one marked track; `output` receives the path of its file.
TrackEnd RipTrack(WorkerContext& context, RunEncoders& encoders, Track& track,
                  const std::string& stem, std::string& output) {
    Settings& settings = context.settings;
    output = stem + std::string(ExtensionOf(track.encoder));
    if (track.encoder != kEncoderWav && track.encoder != kEncoderOgg &&
        track.encoder != kEncoderMp3 && track.encoder != kEncoderWma) {
        return TrackEnd::goOn;  // a kind nobody knows: nothing to do
    }
    RipEncoder* encoder = nullptr;
    if (track.encoder != kEncoderWav) {
        encoder = encoders.For(track.encoder);
        if (encoder == nullptr || !encoder->Ready(context)) {
            // The track gets no file, and says so; the run goes on.
            ReportStatus(context, track, kStatusError);
            return TrackEnd::goOn;
        }
    }
    std::unique_ptr<platform::TrackBufferBlock> read;
    std::unique_ptr<platform::TrackBufferBlock> overlap;
    try {
        read = std::make_unique<platform::TrackBufferBlock>(kReadChunkSectors);
        overlap = std::make_unique<platform::TrackBufferBlock>(kOverlapSectors);
    } catch (const std::bad_alloc&) {
        return TrackEnd::failed;
    }
    RipJob job{&track, read->get(), overlap->get(), output};
    if (encoder == nullptr) {
        RipTrackToWav(context, job);
        return settings.ripping ? TrackEnd::goOn : TrackEnd::stop;
    }
    job.outputPath = TempPcmPath(settings, track);
    if (RipTrackToPcm(context, job) == -1) {
        settings.ripping = 0;
    }
    read.reset();
    overlap.reset();
    if (!settings.ripping) {
        platform::RemoveFile(job.outputPath);  // half a track's audio is of no use to anyone
        return TrackEnd::stop;
    }
    EncodeJob encode{&track, job.outputPath, output};
    encoder->Encode(context, encode);
    platform::RemoveFile(encode.sourcePath);  // in case the encoder could not
    return TrackEnd::goOn;
}

}  // namespace

int RunRipWorker(WorkerContext& context) {
    Settings& settings = context.settings;
    context.run = RunFlags{};
    int result = kRipCompleted;
    std::string base = RipBaseFolder(settings);
    bool foldersMade = true;
    if (settings.RipInFolder) {
        foldersMade = MakeDiscFolders(context, base);
        base = RipOutputFolder(settings);
    }
    if (!foldersMade) {
        result = kRipFailed;
    } else {
        const std::string playlist = base + PlaylistName(settings);
        const bool playlistOn = settings.Createm3u && AppendToPlaylist(playlist, "#EXTM3U\n");
        RunEncoders encoders;
        for (Track& track : settings.tracks) {
            if (!track.marked) {
                continue;
            }
            if (!settings.ripping) {
                // Stopped while the last track was encoded: no further file is opened, so an
                // existing one is never truncated.
                ReportStatus(context, track, kStatusStopped);
                result = kRipStopped;
                break;
            }
            track.status = 0;
            settings.currentTrack = track.index;
            std::string output;
            const TrackEnd end =
                RipTrack(context, encoders, track, base + ExpandTemplate(settings, track), output);
            if (end == TrackEnd::failed) {
                result = kRipFailed;
                break;
            }
            if (end == TrackEnd::stop) {
                result = kRipStopped;
                break;
            }
            if (playlistOn) {
                const std::string& album =
                    settings.Album.empty() ? "Unknown album" : settings.Album;
                AppendToPlaylist(playlist, "#EXTINF:-1," + album + " - " + track.title + "\n" +
                                               FileNameOf(output) + "\n");
            }
        }
    }  // the run's encoders (and what they loaded) are released here
    settings.finished = 1;
    if (settings.Makesound) {
        PlayCompletionSound();
    }
    context.notifications.WorkFinished();
    return result;
}

void PrepareRip(Settings& settings) {
    for (Track& track : settings.tracks) {
        if (track.marked) {
            track.status = 0;
        }
    }
    settings.ripping = 1;
    settings.finished = 0;
}

void StopRip(Settings& settings) {
    settings.ripping = 0;
    for (Track& track : settings.tracks) {
        if (track.marked && track.status < kStatusCompleted) {
            track.status = kStatusStopped;
        }
    }
}

void PlayCompletionSound() {
    const std::string path = ShareFilePath(kCompletionSound);
    PcmSource sound = PcmSource::OpenWav(path);
    const WavHeader& format = sound.format();
    if (path.empty() || sound.error() != PcmSourceError::none || format.bitsPerSample != 16 ||
        format.dataLength > 16 * 1024 * 1024) {
        platform::PlayDefaultSound();
        return;
    }
    std::vector<int16_t> samples(static_cast<size_t>(format.dataLength / 2));
    samples.resize(sound.Read(samples.data(), samples.size() * 2) / 2);
    platform::PlaySamplesAsync(std::move(samples), format.sampleRate, format.channels);
}

}  // namespace disctrove
