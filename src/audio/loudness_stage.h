// Loudness as ReplayGain 2.0 measures it (EBU R128 integrated loudness, sample peak): a stage
// that measures a track's audio as it passes, and the album's loudness of the tracks of a run.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "audio/sample_stage.h"

namespace disctrove {

// The ReplayGain reference: a track this loud needs no gain.
inline constexpr double kReplayGainReferenceLufs = -18.0;

struct Loudness {
    double gainDb = 0;  // what brings the audio to -18 LUFS
    double peak = 0;    // the largest sample magnitude, as a fraction of full scale
};

// One libebur128 measurement (integrated loudness and sample peak) of interleaved 16-bit
// samples of any rate and channel count.
class LoudnessMeter {
  public:
    LoudnessMeter(int32_t channels, int32_t rate);
    ~LoudnessMeter();
    LoudnessMeter(const LoudnessMeter&) = delete;
    LoudnessMeter& operator=(const LoudnessMeter&) = delete;

    // False when libebur128 could not be set up, or ran out of memory on the way.
    bool ok() const { return ok_; }
    void Add(const int16_t* samples, size_t frames);
    // Nothing for audio too quiet to measure (silence, below the -70 LUFS gate).
    std::optional<Loudness> Result() const;
    // Ends the measurement: from here on it keeps only what Result and Together need (the
    // loudness of each 400 ms block and the peak), not the buffers for further audio, so that
    // the measurements of a 99-track rip wait for the album's loudness in little memory. Nothing
    // may be added afterwards.
    void Finish();

    // The loudness of several measurements taken together, as if their audio followed each
    // other, and the largest of their peaks; nothing when there is no audio loud enough.
    static std::optional<Loudness> Together(std::span<const LoudnessMeter* const> meters);

  private:
    struct State;
    std::unique_ptr<State> state_;
    int32_t channels_;
    bool ok_;
    std::optional<double> finishedPeak_;  // the peak, kept when the measurement ended
};

// Measures CD audio (16-bit stereo at 44100 Hz) on its way to the file; a frame split between
// two calls is put together again.
class LoudnessStage final : public SampleStage {
  public:
    LoudnessStage() : meter_(2, 44100) {}
    bool Take(std::span<const uint8_t> bytes) override;
    const LoudnessMeter& meter() const { return meter_; }
    // Ends the measurement (LoudnessMeter::Finish) and lets go of the stage's buffer.
    void Finish();

  private:
    LoudnessMeter meter_;
    std::array<uint8_t, 4> partial_{};  // the bytes of an unfinished frame
    std::vector<int16_t> frames_;       // whole frames, aligned for libebur128
    size_t partialBytes_ = 0;
};

// Measures the samples of a WAV file (any rate, channels and integer sample size); nothing when
// it cannot be read or is too quiet to measure.
std::optional<Loudness> MeasureWavFile(const std::string& path);

}  // namespace disctrove
