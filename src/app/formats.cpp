#include "app/formats.h"

namespace disctrove {

TrackFormat TrackFormatFor(EncoderKind kind, const FormatGroups& groups) {
    switch (kind) {
        case kEncoderWav:
            return TrackFormat::From(groups.wav);
        case kEncoderOgg:
            return TrackFormat::From(groups.ogg);
        case kEncoderMp3:
            return TrackFormat::From(groups.mp3);
        case kEncoderWma:
            return TrackFormat::From(groups.wma);
        case kEncoderFlac:
            return TrackFormat::From(groups.flac);
        case kEncoderOpus:
            return TrackFormat::From(groups.opus);
    }
    return {};
}

void StoreTrackFormat(FormatGroups& groups, EncoderKind kind, const TrackFormat& format) {
    switch (kind) {
        case kEncoderWav:
            groups.wav = format.As<WavFormat>();
            break;
        case kEncoderOgg:
            groups.ogg = format.As<OggFormat>();
            break;
        case kEncoderMp3:
            groups.mp3 = format.As<Mp3Format>();
            break;
        case kEncoderWma:
            groups.wma = format.As<WmaFormat>();
            break;
        case kEncoderFlac:
            groups.flac = format.As<FlacFormat>();
            break;
        case kEncoderOpus:
            groups.opus = format.As<OpusFormat>();
            break;
    }
}

std::string_view ExtensionOf(int32_t kind) {
    return kind >= 0 && kind < static_cast<int32_t>(kEncoderExtensions.size())
               ? kEncoderExtensions[static_cast<size_t>(kind)]
               : std::string_view{};
}

}  // namespace disctrove
