#include "audio/loudness_stage.h"

#include <ebur128.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "audio/int16_reader.h"
#include "audio/pcm_source.h"

namespace disctrove {

struct LoudnessMeter::State {
    explicit State(ebur128_state* s) : state(s) {}
    ~State() {
        if (state != nullptr) {
            ebur128_destroy(&state);
        }
    }
    State(const State&) = delete;
    State& operator=(const State&) = delete;
    ebur128_state* state;
};

LoudnessMeter::LoudnessMeter(int32_t channels, int32_t rate)
    : state_(std::make_unique<State>(channels > 0 && rate > 0
                                         ? ebur128_init(static_cast<unsigned>(channels),
                                                        static_cast<unsigned long>(rate),
                                                        EBUR128_MODE_I | EBUR128_MODE_SAMPLE_PEAK)
                                         : nullptr)),
      channels_(channels),
      ok_(state_->state != nullptr) {}

LoudnessMeter::~LoudnessMeter() = default;

void LoudnessMeter::Add(const int16_t* samples, size_t frames) {
    if (ok_ && frames > 0) {
        ok_ = ebur128_add_frames_short(state_->state, samples, frames) == EBUR128_SUCCESS;
    }
}

namespace {

double PeakOf(ebur128_state* state, int32_t channels) {
    double peak = 0;
    for (int32_t c = 0; c < channels; ++c) {
        double value = 0;
        if (ebur128_sample_peak(state, static_cast<unsigned>(c), &value) == EBUR128_SUCCESS) {
            peak = std::max(peak, value);
        }
    }
    return peak;
}

}  // namespace

void LoudnessMeter::Finish() {
    if (!ok_ || finishedPeak_) {
        return;
    }
    finishedPeak_ = PeakOf(state_->state, channels_);
    // One channel at a low rate: libebur128 keeps the blocks measured so far and shrinks the
    // buffers it holds for more audio to almost nothing.
    constexpr unsigned long kSmallRate = 1000;
    ok_ = ebur128_change_parameters(state_->state, 1, kSmallRate) == EBUR128_SUCCESS;
}

std::optional<Loudness> LoudnessMeter::Result() const {
    const LoudnessMeter* self = this;
    return Together({&self, 1});
}

std::optional<Loudness> LoudnessMeter::Together(std::span<const LoudnessMeter* const> meters) {
    std::vector<ebur128_state*> states;
    double peak = 0;
    for (const LoudnessMeter* meter : meters) {
        if (meter->ok_) {
            states.push_back(meter->state_->state);
            peak = std::max(peak, meter->finishedPeak_
                                      ? *meter->finishedPeak_
                                      : PeakOf(meter->state_->state, meter->channels_));
        }
    }
    double lufs = 0;
    if (states.empty() ||
        ebur128_loudness_global_multiple(states.data(), states.size(), &lufs) != EBUR128_SUCCESS ||
        !std::isfinite(lufs)) {
        return std::nullopt;
    }
    return Loudness{kReplayGainReferenceLufs - lufs, peak};
}

void LoudnessStage::Finish() {
    meter_.Finish();
    frames_ = {};
}

bool LoudnessStage::Take(std::span<const uint8_t> bytes) {
    if (bytes.empty()) {
        return true;
    }
    size_t at = 0;
    if (partialBytes_ > 0) {
        const size_t part = std::min(bytes.size(), partial_.size() - partialBytes_);
        std::memcpy(partial_.data() + partialBytes_, bytes.data(), part);
        partialBytes_ += part;
        at = part;
        if (partialBytes_ < partial_.size()) {
            return true;
        }
        std::array<int16_t, 2> frame{};
        std::memcpy(frame.data(), partial_.data(), partial_.size());
        meter_.Add(frame.data(), 1);
        partialBytes_ = 0;
    }
    const size_t frames = (bytes.size() - at) / partial_.size();
    if (frames > 0) {  // memcpy wants real buffers even for nothing
        frames_.resize(frames * 2);
        std::memcpy(frames_.data(), bytes.data() + at, frames * partial_.size());
        meter_.Add(frames_.data(), frames);
        at += frames * partial_.size();
    }
    partialBytes_ = bytes.size() - at;
    if (partialBytes_ > 0) {
        std::memcpy(partial_.data(), bytes.data() + at, partialBytes_);
    }
    return true;
}

std::optional<Loudness> MeasureWavFile(const std::string& path) {
    PcmSource source = PcmSource::OpenWav(path);
    if (source.error() != PcmSourceError::none) {
        return std::nullopt;
    }
    const WavHeader& format = source.format();
    SampleLayout layout;
    layout.channels = format.channels;
    layout.rate = static_cast<int32_t>(format.sampleRate);
    layout.wavMask = format.channelMask;
    Int16Reader reader(source, layout);
    LoudnessMeter meter(layout.channels, layout.rate);
    if (!reader.ok() || !meter.ok()) {
        return std::nullopt;
    }
    std::vector<int16_t> samples(static_cast<size_t>(layout.channels) * 16384);
    for (size_t got; (got = reader.Read(samples.data(), samples.size())) > 0;) {
        meter.Add(samples.data(), got / static_cast<size_t>(layout.channels));
    }
    return meter.ok() ? meter.Result() : std::nullopt;
}

}  // namespace disctrove
