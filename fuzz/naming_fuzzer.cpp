// The file name template with hostile metadata: whatever the disc's texts hold, a track's name
// stays one name inside its folder.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "front/program_state.h"
#include "rip/naming.h"
#include "work/file_names.h"

using namespace disctrove;

namespace {

// One name the file system takes: a plain component (no "/", not "." or ".."), not empty, and
// room left for any of our four-byte extensions.
void CheckName(const std::string& name, size_t maxBytes) {
    if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos ||
        name.find('\0') != std::string::npos || name.size() > maxBytes) {
        __builtin_trap();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    ProgramState state;
    state.disc.Artist = input.ConsumeRandomLengthString(600);
    state.disc.Album = input.ConsumeRandomLengthString(600);
    state.disc.Year = input.ConsumeRandomLengthString(20);
    state.disc.release.albumArtist = input.ConsumeRandomLengthString(600);
    state.disc.Genre = input.ConsumeIntegral<int32_t>();
    state.options.Cdrom = input.ConsumeIntegralInRange<int32_t>(-1, 1);
    state.disc.drives.resize(1);
    state.disc.drives[0].discId = input.ConsumeIntegral<uint32_t>();
    Track track;
    track.index = input.ConsumeIntegralInRange<int32_t>(0, 98);
    track.title = input.ConsumeRandomLengthString(600);
    track.artist = input.ConsumeRandomLengthString(600);
    track.encoder = static_cast<EncoderKind>(input.ConsumeIntegralInRange<int>(0, 5));
    state.session.currentTemplate = input.ConsumeRemainingBytesAsString();

    CheckName(ExpandTemplate(state.disc, state.session.currentTemplate, track),
              kMaxFileNameBytes - 4);
    CheckName(ArtistFolderName(state.options, state.disc), kMaxFileNameBytes);
    CheckName(AlbumFolderName(state.options, state.disc), kMaxFileNameBytes);
    CheckName(PlaylistName(state.options, state.disc), kMaxFileNameBytes);

    // The whole path stays below the output folder, one level or three down.
    state.options.folderHistory = {"/music"};
    for (const int32_t inFolder : {0, 1}) {
        state.options.RipInFolder = inFolder;
        const std::string path =
            RipOutputPath(state.options, state.disc, state.session.currentTemplate, track);
        const size_t slashes = static_cast<size_t>(std::count(path.begin(), path.end(), '/'));
        if (path.rfind("/music/", 0) != 0 || slashes != (inFolder != 0 ? 4u : 2u)) {
            __builtin_trap();
        }
    }
    return 0;
}
