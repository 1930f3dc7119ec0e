#include "codecs/conversion_worker.h"

#include <new>

#include "codecs/mp3_encoder.h"
#include "codecs/ogg_encoder.h"
#include "codecs/wma_encoder.h"
#include "platform/system/files.h"
#include "work/file_names.h"

namespace disctrove {

Track ConversionTrack(const Settings& settings, const std::string& source) {
    Track track;
    track.index = -1;  // no place on a disc
    // The file's name without folder and extension: what a title tag should say.
    std::string name = source.substr(source.rfind('/') + 1);
    const auto dot = name.rfind('.');
    track.title = dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
    track.status = 0;
    track.startSector = 0;
    track.encoder = settings.WAVEncoder;
    track.format = TrackFormatFor(settings.WAVEncoder, settings.pageFormats);
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
    switch (job.track->encoder) {
        case kEncoderOgg:
            OggEncode(context, job, false);
            break;
        case kEncoderMp3:
            if (const auto lame = LoadLame(context.questions)) {
                EncodeMp3(context, *lame, job, false);
            } else {
                ReportStatus(context, *job.track, kStatusError);
            }
            break;
        case kEncoderWma:
            WmaEncode(context, job, false);
            break;
        default:
            break;  // nothing to encode to
    }
}

}  // namespace

int ConversionWorker(WorkerContext& context, Track& progress) {
    Settings& settings = context.settings;
    context.run = RunFlags{};
    int result = 0;
    try {
        const std::string source = settings.wavSourcePath;
        progress = ConversionTrack(settings, source);
        EncodeJob job{&progress, source, ConvertOutputPath(settings, source)};
        Encode(context, job);
    } catch (const std::bad_alloc&) {
        result = 1;
    }
    settings.finished = 1;
    context.notifications.WorkFinished();
    return result;
}

}  // namespace disctrove
