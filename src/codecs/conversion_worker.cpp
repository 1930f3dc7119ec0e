#include "codecs/conversion_worker.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <filesystem>
#include <memory>
#include <new>
#include <string_view>

#include "audio/unique_file.h"
#include "codecs/decoder_source.h"
#include "codecs/encoder_sink.h"
#include "codecs/flac_decoder.h"
#include "codecs/mp3_encoder.h"
#include "codecs/ogg_decoder.h"
#include "codecs/opus_decoder.h"
#include "codecs/replaygain_tags.h"
#include "platform/system/files.h"
#include "work/file_names.h"

namespace disctrove {

Track ConversionTrack(const Options& options, const SessionInputs& session,
                      const std::string& source) {
    Track track;
    track.index = -1;  // no place on a disc
    // The file's name without folder and extension: what a title tag should say.
    std::string name = std::filesystem::path(source).filename().string();
    const auto dot = name.rfind('.');
    track.title = dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
    track.status = 0;
    track.startSector = 0;
    track.encoder = options.WAVEncoder;
    track.format = TrackFormatFor(options.WAVEncoder, session.pageFormats);
    return track;
}

namespace {

void Encode(WorkerContext& context, EncodeJob& job) {
    if (platform::SameFile(job.sourcePath, job.outputPath)) {
        // Encoding would truncate the very file it reads.
        context.questions.Inform(OwnSourceMessage(job.outputPath));
        ReportStatus(context, *job.track, kStatusError);
        return;
    }
    std::unique_ptr<platform::LameLibrary> lame;
    if (job.track->encoder == kEncoderMp3 && !(lame = LoadLame(context.questions))) {
        ReportStatus(context, *job.track, kStatusError);
        return;
    }
    if (auto sink = MakeEncoderSink(job.track->encoder, lame.get())) {
        RunEncode(context, job, false, std::move(sink));
    }  // else nothing to encode to
}

// A single file is its own album. The WAV file is read once more: its loudness is measured
// from the source's own samples, whatever the encoder made of them.
void TagLoudness(WorkerContext& context, EncodeJob& job) {
    if (job.track->encoder == kEncoderMp3 && !context.options.Id3v2) {
        return;  // no ID3v2 tag to carry the gain
    }
    std::optional<Loudness>& loudness = job.result->loudness;
    loudness = MeasureWavFile(job.sourcePath);
    if (loudness && !WriteReplayGain(job.outputPath, job.track->encoder, *loudness, *loudness)) {
        context.questions.Inform("Cannot write the ReplayGain tags of\n" + job.outputPath);
    }
}

}  // namespace

DecodeFormat DecodeFormatOf(const std::string& path) {
    std::array<char, 64> head{};
    size_t got = 0;
    bool readable = false;
    if (UniqueFile file = OpenFile(path, "rb")) {
        got = std::fread(head.data(), 1, head.size(), file.get());
        readable = std::ferror(file.get()) == 0;
    }
    const std::string_view start(head.data(), got);
    if (start.starts_with("fLaC")) {
        return DecodeFormat::flac;
    }
    // An Ogg stream names its codec in the first packet, on the first page (28 bytes of header
    // for a one-segment page).
    if (start.starts_with("OggS") && got >= 36) {
        if (start.substr(28, 8) == "OpusHead") {
            return DecodeFormat::opus;
        }
        return DecodeFormat::oggVorbis;
    }
    // Anything else (a FLAC file behind an ID3v2 tag, say) by its name.
    std::string extension = path.substr(std::min(path.rfind('.'), path.size()));
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (extension == ".flac") {
        return DecodeFormat::flac;
    }
    if (extension == ".opus") {
        return DecodeFormat::opus;
    }
    // An unreadable file, or one named as Ogg Vorbis, goes to that decoder, which tells the user
    // what is wrong with it; another file (an MP3, a WAV) is none of the three.
    return !readable || got == 0 || extension == ".ogg" || extension == ".oga"
               ? DecodeFormat::oggVorbis
               : DecodeFormat::unknown;
}

int DecodeWorker(WorkerContext& context, Track& progress) {
    switch (DecodeFormatOf(context.session.decodeSourcePath)) {
        case DecodeFormat::flac:
            return FlacDecodeThread(context, progress);
        case DecodeFormat::opus:
            return OpusDecodeThread(context, progress);
        case DecodeFormat::unknown:
            return RefuseDecode(context, progress, kNotDecodableMessage);
        case DecodeFormat::oggVorbis:
            break;
    }
    return OggDecodeThread(context, progress);
}

int ConversionWorker(WorkerContext& context, Track& progress, TrackResult& result) {
    const Options& options = context.options;
    context.run = RunFlags{};
    int outcome = 0;
    try {
        const std::string source = context.session.wavSourcePath;
        progress = ConversionTrack(options, context.session, source);
        result = TrackResult{};
        result.index = progress.index;
        EncodeJob job{&progress, source, ConvertOutputPath(options, source), {}, &result};
        Encode(context, job);
        if (progress.status == kStatusCompleted && options.ReplayGain) {
            TagLoudness(context, job);
        }
        result.status = progress.status;
        result.file = job.outputPath;
    } catch (const std::bad_alloc&) {
        outcome = 1;
    }
    context.state.finished = 1;
    context.notifications.WorkFinished();
    return outcome;
}

}  // namespace disctrove
