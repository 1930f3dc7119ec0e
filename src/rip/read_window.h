// Where a track's audio comes from once the drive's read offset is corrected: which sectors to
// read, and how the bytes they give line up with the track.
#pragma once

#include <cstdint>
#include <span>

#include "audio/sample_stage.h"
#include "platform/cdrom/cdrom_records.h"
#include "platform/cdrom/toc.h"

namespace disctrove {

struct ReadWindow {
    uint32_t firstSector = 0;  // the sectors to read: firstSector up to endSector, exclusive
    uint32_t endSector = 0;
    uint64_t leadSilence = 0;  // bytes of silence before what is read (audio before the disc's)
    uint64_t skipBytes = 0;    // bytes read that come before the track's first sample
    uint64_t audioBytes = 0;   // bytes read that belong to the track
    uint64_t tailSilence = 0;  // bytes of silence after them (audio after the disc's end)
};

// The readable audio around the track at `start`: from the first sector of the run of audio
// tracks it belongs to (sector 0 for the disc's first track) to the end of that run's audio (a
// data track or a later session ends it). What starts before an audio first track belongs to its
// run; any other track the TOC does not list is its own run.
struct AudioRegion {
    int64_t first = 0;
    int64_t end = 0;  // exclusive
};
AudioRegion ReadableAudioAround(const platform::Toc& toc, int32_t lastSession, int32_t start,
                                uint32_t lengthSectors);

// The window of the track at `start`, `lengthSectors` long, shifted by `offsetSamples` sample
// frames (positive: later on the disc); what lies outside `region` is silence.
ReadWindow PlanReadWindow(int64_t start, uint32_t lengthSectors, int32_t offsetSamples,
                          AudioRegion region);

// Passes on only the bytes of the window that belong to the track.
class WindowStage final : public SampleStage {
  public:
    WindowStage(const ReadWindow& window, SampleStage& next)
        : skip_(window.skipBytes), left_(window.audioBytes), next_(next) {}

    bool Take(std::span<const uint8_t> bytes) override;

  private:
    uint64_t skip_;
    uint64_t left_;
    SampleStage& next_;
};

}  // namespace disctrove
