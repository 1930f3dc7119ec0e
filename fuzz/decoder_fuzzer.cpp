// A damaged Ogg Vorbis, FLAC or Opus file decoded to WAV, as the decode command does; the
// decoder is chosen at build time (DISCTROVE_DECODER).
#include <cstddef>
#include <cstdint>

#include "codecs/flac_decoder.h"
#include "codecs/ogg_decoder.h"
#include "codecs/opus_decoder.h"
#include "front/program_state.h"
#include "fuzz_support.h"

using namespace disctrove;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ProgramState state;
    state.options.Overwrite = 1;
    state.run.finished = 0;
    state.session.decodeSourcePath = fuzz::WriteScratchFile("in", data, size);
    state.session.wavSourcePath = fuzz::ScratchFolder() + "/out.wav";
    fuzz::QuietFront front;
    WorkerContext context{state.options, state.disc, state.session, state.run, front, front};
    Track progress;
    (void)DISCTROVE_DECODER(context, progress);
    if (state.run.finished != 1) {
        __builtin_trap();  // every way out tells the dialog that the decode has ended
    }
    return 0;
}
