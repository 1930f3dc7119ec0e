#include "platform/lame/lame_library.h"

#include <dlfcn.h>
#include <lame/lame.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <vector>

#include "platform/system/environment.h"
#include "platform/system/files.h"

namespace disctrove::platform {

// The LAME functions the stream interface needs, bound by name (the library is not linked).
struct LameLibrary::Functions {
    decltype(&lame_init) init;
    decltype(&lame_close) close;
    decltype(&lame_init_params) initParams;
    decltype(&lame_set_in_samplerate) setInSamplerate;
    decltype(&lame_set_out_samplerate) setOutSamplerate;
    decltype(&lame_get_out_samplerate) getOutSamplerate;
    decltype(&lame_get_in_samplerate) getInSamplerate;
    decltype(&lame_get_brate) getBrate;
    decltype(&lame_get_VBR) getVbr;
    decltype(&lame_set_num_channels) setNumChannels;
    decltype(&lame_get_num_channels) getNumChannels;
    decltype(&lame_set_mode) setMode;
    decltype(&lame_set_brate) setBrate;
    decltype(&lame_set_VBR) setVbr;
    decltype(&lame_set_VBR_q) setVbrQ;
    decltype(&lame_set_VBR_mean_bitrate_kbps) setVbrMean;
    decltype(&lame_set_VBR_min_bitrate_kbps) setVbrMin;
    decltype(&lame_set_VBR_max_bitrate_kbps) setVbrMax;
    decltype(&lame_set_preset) setPreset;
    decltype(&lame_set_quality) setQuality;
    decltype(&lame_set_copyright) setCopyright;
    decltype(&lame_set_original) setOriginal;
    decltype(&lame_set_error_protection) setErrorProtection;
    decltype(&lame_set_extension) setExtension;
    decltype(&lame_set_strict_ISO) setStrictIso;
    decltype(&lame_set_disable_reservoir) setDisableReservoir;
    decltype(&lame_set_bWriteVbrTag) setWriteVbrTag;
    decltype(&lame_get_framesize) getFramesize;
    decltype(&lame_encode_buffer) encode;
    decltype(&lame_encode_buffer_interleaved) encodeInterleaved;
    decltype(&lame_encode_flush) flush;
    decltype(&lame_get_lametag_frame) getLametagFrame;
    decltype(&get_lame_version) version;
};

struct LameLibrary::Stream {
    lame_global_flags* flags = nullptr;
    int channels = 2;
    uint32_t bufferSize = 0;
    bool vbrTag = false;
};

namespace {

constexpr const char* kDefaultLibrary = "libmp3lame.so.0";

template <typename Function>
bool Bind(void* handle, const char* name, Function& slot) {
    void* symbol = ::dlsym(handle, name);
    if (symbol == nullptr) {
        return false;
    }
    std::memcpy(&slot, &symbol, sizeof slot);  // an object pointer to a function pointer
    return true;
}

// One of the presets of the stream interface, as LAME settings. Whether it makes the stream
// mono is PresetForcesMono's to say, applied by the caller. One case per preset, kept together
// as a table.
void ApplyPreset(const auto& lame, lame_global_flags* flags, int32_t preset) {
    const auto abr = [&](int kbps) {
        lame.setVbr(flags, vbr_abr);
        lame.setVbrMean(flags, kbps);
    };
    switch (preset) {
        case 1:  // low
            lame.setQuality(flags, 9);
            break;
        case 2:  // high
            lame.setQuality(flags, 2);
            break;
        case 3:  // voice
            abr(56);
            break;
        case 4:  // r3mix
            lame.setPreset(flags, R3MIX);
            break;
        case 5:  // very high
            lame.setQuality(flags, 0);
            break;
        case 6:  // standard
        case 7:  // fast standard
            lame.setPreset(flags, V2);
            break;
        case 8:  // extreme
        case 9:  // fast extreme
            lame.setPreset(flags, V0);
            break;
        case 10:  // insane
            lame.setVbr(flags, vbr_off);
            lame.setBrate(flags, 320);
            break;
        case 1000:  // phone
            abr(16);
            break;
        case 2000:  // short wave
            abr(24);
            break;
        case 3000:  // AM
            abr(40);
            break;
        case 4000:  // FM
        case 6000:  // radio
        case 7000:  // tape
            abr(112);
            break;
        case 5000:  // voice
            abr(56);
            break;
        case 8000:  // hi-fi
            abr(160);
            break;
        case 9000:  // CD
            abr(192);
            break;
        case 10000:  // studio
            abr(256);
            break;
        default:  // normal, and ABR and CBR (handled before)
            break;
    }
}

vbr_mode VbrModeOf(int32_t method) {
    switch (method) {
        case 1:
            return vbr_rh;
        case 2:
        case 3:
            return vbr_mtrh;
        case 4:
            return vbr_abr;
        default:
            return vbr_default;
    }
}

// Bytes of an ID3 version 2 tag at the start of `file` (0 when there is none).
long Id3v2Size(std::FILE* file) {
    std::array<uint8_t, 10> header{};
    if (std::fread(header.data(), 1, header.size(), file) != header.size() ||
        std::memcmp(header.data(), "ID3", 3) != 0) {
        return 0;
    }
    const long size = (header[6] & 0x7F) << 21 | (header[7] & 0x7F) << 14 |
                      (header[8] & 0x7F) << 7 | (header[9] & 0x7F);
    return 10 + size + ((header[5] & 0x10) != 0 ? 10 : 0);  // with its footer
}

// Sets up a new stream as the record asks: its mode and rates first, then the preset, which
// may override them, then what a preset never changes.
void ApplyConfig(const auto& lame, lame_global_flags* flags, const BeConfig& config) {
    const bool mono = BeStreamChannels(config) == 1;
    lame.setInSamplerate(flags, static_cast<int>(config.sampleRate));
    lame.setNumChannels(flags, mono ? 1 : 2);
    if (config.preset == kBePresetAbr) {
        lame.setVbr(flags, vbr_abr);
        // The record's ABR rate is in bit/s; without one the bit rate stands in.
        const uint32_t kbps = config.abrBps > 0 ? config.abrBps / 1000 : config.bitrate;
        lame.setVbrMean(flags, static_cast<int>(kbps));
    } else if (config.preset == kBePresetCbr) {
        lame.setVbr(flags, vbr_off);
        lame.setBrate(flags, static_cast<int>(config.bitrate));
    }
    if (config.preset < 6) {
        static constexpr MPEG_mode kModes[] = {STEREO, JOINT_STEREO, DUAL_CHANNEL, MONO};
        lame.setMode(flags, config.mode >= 0 && config.mode <= 3 ? kModes[config.mode] : STEREO);
        if (config.enableVbr) {
            lame.setVbr(flags, VbrModeOf(config.vbrMethod));
            lame.setVbrQ(flags, config.vbrQuality);
        } else {
            lame.setVbr(flags, vbr_off);
        }
        lame.setBrate(flags, static_cast<int>(config.bitrate));
    }
    if (config.preset != -1) {
        ApplyPreset(lame, flags, config.preset);
    }
    if (config.resampleRate > 0) {
        lame.setOutSamplerate(flags, static_cast<int>(config.resampleRate));
    }
    if (mono) {
        lame.setMode(flags, MONO);
        lame.setNumChannels(flags, 1);
    }
    lame.setStrictIso(flags, config.strictIso != 0);
    lame.setCopyright(flags, config.copyright != 0);
    lame.setOriginal(flags, config.original != 0);
    lame.setErrorProtection(flags, config.crc != 0);
    lame.setExtension(flags, config.privateBit != 0);
    lame.setVbrMin(flags, static_cast<int>(config.bitrate));
    if (config.maxBitrate > 0) {
        lame.setVbrMax(flags, static_cast<int>(config.maxBitrate));
    }
    lame.setDisableReservoir(flags, config.noReservoir != 0);
    lame.setWriteVbrTag(flags, config.writeVbrHeader != 0);
    const uint16_t quality = config.quality;
    if ((quality & 0xFF) == ((~quality >> 8) & 0xFF)) {
        lame.setQuality(flags, quality & 0xFF);
    }
}

}  // namespace

std::unique_ptr<LameLibrary> LameLibrary::Load(LoadError& error, std::string& reason) {
    const std::string path = EnvironmentValue("DISCTROVE_LAME_LIBRARY").value_or(kDefaultLibrary);
    void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        error = LoadError::cannotLoad;
        const char* text = ::dlerror();
        reason = text != nullptr ? text : "";
        return nullptr;
    }
    auto f = std::make_unique<Functions>();
    const bool bound =
        Bind(handle, "lame_init", f->init) && Bind(handle, "lame_close", f->close) &&
        Bind(handle, "lame_init_params", f->initParams) &&
        Bind(handle, "lame_set_in_samplerate", f->setInSamplerate) &&
        Bind(handle, "lame_set_out_samplerate", f->setOutSamplerate) &&
        Bind(handle, "lame_get_out_samplerate", f->getOutSamplerate) &&
        Bind(handle, "lame_get_in_samplerate", f->getInSamplerate) &&
        Bind(handle, "lame_get_brate", f->getBrate) && Bind(handle, "lame_get_VBR", f->getVbr) &&
        Bind(handle, "lame_set_num_channels", f->setNumChannels) &&
        Bind(handle, "lame_get_num_channels", f->getNumChannels) &&
        Bind(handle, "lame_set_mode", f->setMode) && Bind(handle, "lame_set_brate", f->setBrate) &&
        Bind(handle, "lame_set_VBR", f->setVbr) && Bind(handle, "lame_set_VBR_q", f->setVbrQ) &&
        Bind(handle, "lame_set_VBR_mean_bitrate_kbps", f->setVbrMean) &&
        Bind(handle, "lame_set_VBR_min_bitrate_kbps", f->setVbrMin) &&
        Bind(handle, "lame_set_VBR_max_bitrate_kbps", f->setVbrMax) &&
        Bind(handle, "lame_set_preset", f->setPreset) &&
        Bind(handle, "lame_set_quality", f->setQuality) &&
        Bind(handle, "lame_set_copyright", f->setCopyright) &&
        Bind(handle, "lame_set_original", f->setOriginal) &&
        Bind(handle, "lame_set_error_protection", f->setErrorProtection) &&
        Bind(handle, "lame_set_extension", f->setExtension) &&
        Bind(handle, "lame_set_strict_ISO", f->setStrictIso) &&
        Bind(handle, "lame_set_disable_reservoir", f->setDisableReservoir) &&
        Bind(handle, "lame_set_bWriteVbrTag", f->setWriteVbrTag) &&
        Bind(handle, "lame_get_framesize", f->getFramesize) &&
        Bind(handle, "lame_encode_buffer", f->encode) &&
        Bind(handle, "lame_encode_buffer_interleaved", f->encodeInterleaved) &&
        Bind(handle, "lame_encode_flush", f->flush) &&
        Bind(handle, "lame_get_lametag_frame", f->getLametagFrame) &&
        Bind(handle, "get_lame_version", f->version);
    if (!bound) {
        ::dlclose(handle);
        error = LoadError::missingFunction;
        reason.clear();
        return nullptr;
    }
    error = LoadError::none;
    return std::make_unique<LameLibrary>(Token{}, handle, std::move(f));
}

LameLibrary::LameLibrary(Token, void* handle, std::unique_ptr<Functions> functions)
    : handle_(handle), lame_(std::move(functions)) {}

LameLibrary::~LameLibrary() {
    for (auto& [id, stream] : streams_) {
        Release(*stream);
    }
    if (pendingTag_) {
        Release(*pendingTag_);
    }
    ::dlclose(handle_);
}

void LameLibrary::Release(Stream& stream) {
    if (stream.flags != nullptr) {
        lame_->close(stream.flags);
        stream.flags = nullptr;
    }
}

uint32_t LameLibrary::beInitStream(const BeConfig* config, uint32_t* samples, uint32_t* bufferSize,
                                   BeStream* stream) {
    if (config == nullptr || samples == nullptr || bufferSize == nullptr || stream == nullptr ||
        config->configKind != kBeConfigLame) {
        return kBeInvalidFormat;
    }
    const Functions& lame = *lame_;
    // LAME fills tables shared by all its streams the first time a stream is set up, without a
    // lock of its own; encoders on several threads take turns here.
    static std::mutex setUp;
    const std::lock_guard lock(setUp);
    auto state = std::make_unique<Stream>();
    lame_global_flags* flags = lame.init();
    if (flags == nullptr) {
        return kBeInvalidParameters;
    }
    state->flags = flags;
    ApplyConfig(lame, flags, *config);
    if (lame.initParams(flags) < 0) {
        Release(*state);
        return kBeInvalidParameters;
    }
    state->channels = lame.getNumChannels(flags);
    state->vbrTag = config->writeVbrHeader != 0;
    const auto perChannel = static_cast<uint32_t>(lame.getFramesize(flags));
    *samples = perChannel * static_cast<uint32_t>(state->channels);
    // LAME's rule for the output buffer counts the samples it encodes: a chunk of a source at
    // a rate far below the MP3's (an 8 Hz file becomes 8000 Hz) becomes that many times more.
    const auto in = static_cast<uint64_t>(std::max(lame.getInSamplerate(flags), 1));
    const auto out = static_cast<uint64_t>(std::max(lame.getOutSamplerate(flags), 1));
    const uint64_t growth = std::max<uint64_t>((out + in - 1) / in, 1);
    state->bufferSize = static_cast<uint32_t>(perChannel * growth * 5 / 4 + 7200);
    *bufferSize = state->bufferSize;
    *stream = nextStream_++;
    streams_[*stream] = std::move(state);
    return kBeOk;
}

uint32_t LameLibrary::beEncodeChunk(BeStream stream, uint32_t samples, const int16_t* pcm,
                                    uint8_t* output, uint32_t* produced) {
    const auto found = streams_.find(stream);
    if (found == streams_.end() || produced == nullptr) {
        return kBeInvalidHandle;
    }
    Stream& s = *found->second;
    const int frames = static_cast<int>(samples) / s.channels;
    const int bytes =
        s.channels == 1
            ? lame_->encode(s.flags, pcm, pcm, frames, output, static_cast<int>(s.bufferSize))
            : lame_->encodeInterleaved(s.flags, const_cast<int16_t*>(pcm), frames, output,
                                       static_cast<int>(s.bufferSize));
    if (bytes < 0) {
        *produced = 0;
        return kBeInvalidParameters;
    }
    *produced = static_cast<uint32_t>(bytes);
    return kBeOk;
}

uint32_t LameLibrary::beDeinitStream(BeStream stream, uint8_t* output, uint32_t* produced) {
    const auto found = streams_.find(stream);
    if (found == streams_.end() || produced == nullptr) {
        return kBeInvalidHandle;
    }
    Stream& s = *found->second;
    const int bytes = lame_->flush(s.flags, output, static_cast<int>(s.bufferSize));
    *produced = bytes < 0 ? 0 : static_cast<uint32_t>(bytes);
    return bytes < 0 ? kBeInvalidParameters : kBeOk;
}

uint32_t LameLibrary::beCloseStream(BeStream stream) {
    const auto found = streams_.find(stream);
    if (found == streams_.end()) {
        return kBeInvalidHandle;
    }
    std::unique_ptr<Stream> closed = std::move(found->second);
    streams_.erase(found);
    if (closed->vbrTag) {
        if (pendingTag_) {
            Release(*pendingTag_);
        }
        pendingTag_ = std::move(closed);
    } else {
        Release(*closed);
    }
    return kBeOk;
}

void LameLibrary::beVersion(BeVersion* version) const {
    if (version == nullptr) {
        return;
    }
    version->text = lame_->version();
    int major = 0;
    int minor = 0;
    std::sscanf(version->text.c_str(), "%d.%d", &major, &minor);
    version->major = static_cast<uint8_t>(major);
    version->minor = static_cast<uint8_t>(minor);
}

bool LameLibrary::beStreamFormat(BeStream stream, BeStreamFormat* format) const {
    const auto found = streams_.find(stream);
    if (found == streams_.end() || format == nullptr) {
        return false;
    }
    lame_global_flags* flags = found->second->flags;
    format->sampleRate = static_cast<uint32_t>(lame_->getOutSamplerate(flags));
    format->bitrate =
        lame_->getVbr(flags) == vbr_off ? static_cast<uint32_t>(lame_->getBrate(flags)) : 0;
    return true;
}

uint32_t LameLibrary::beWriteVBRHeader(const char* path) {
    if (!pendingTag_) {
        return kBeInvalidHandle;
    }
    const std::unique_ptr<Stream> stream = std::move(pendingTag_);
    std::vector<uint8_t> frame(2880);  // larger than any MPEG audio frame
    const size_t size = lame_->getLametagFrame(stream->flags, frame.data(), frame.size());
    uint32_t result = kBeInvalidParameters;
    const auto close = [](std::FILE* f) { return f != nullptr ? std::fclose(f) : 0; };
    std::unique_ptr<std::FILE, decltype(close)> file(
        path != nullptr && size > 0 && size <= frame.size() ? OpenStream(path, "r+b") : nullptr,
        close);
    if (file) {
        const long start = Id3v2Size(file.get());
        if (std::fseek(file.get(), start, SEEK_SET) == 0 &&
            std::fwrite(frame.data(), 1, size, file.get()) == size) {
            result = kBeOk;
        }
        if (std::fclose(file.release()) != 0) {
            result = kBeInvalidParameters;
        }
    }
    Release(*stream);
    return result;
}

}  // namespace disctrove::platform
