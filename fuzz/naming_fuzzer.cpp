// The file name template with hostile metadata: whatever the disc's texts hold, a track's name
// stays one name inside its folder.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "front/settings.h"
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
    Settings settings;
    settings.Artist = input.ConsumeRandomLengthString(600);
    settings.Album = input.ConsumeRandomLengthString(600);
    settings.Year = input.ConsumeRandomLengthString(20);
    settings.release.albumArtist = input.ConsumeRandomLengthString(600);
    settings.Genre = input.ConsumeIntegral<int32_t>();
    settings.Cdrom = input.ConsumeIntegralInRange<int32_t>(-1, 1);
    settings.drives.resize(1);
    settings.drives[0].discId = input.ConsumeIntegral<uint32_t>();
    Track track;
    track.index = input.ConsumeIntegralInRange<int32_t>(0, 98);
    track.title = input.ConsumeRandomLengthString(600);
    track.artist = input.ConsumeRandomLengthString(600);
    track.encoder = static_cast<EncoderKind>(input.ConsumeIntegralInRange<int>(0, 5));
    settings.currentTemplate = input.ConsumeRemainingBytesAsString();

    CheckName(ExpandTemplate(settings, settings.currentTemplate, track), kMaxFileNameBytes - 4);
    CheckName(ArtistFolderName(settings, settings), kMaxFileNameBytes);
    CheckName(AlbumFolderName(settings, settings), kMaxFileNameBytes);
    CheckName(PlaylistName(settings, settings), kMaxFileNameBytes);

    // The whole path stays below the output folder, one level or three down.
    settings.folderHistory = {"/music"};
    for (const int32_t inFolder : {0, 1}) {
        settings.RipInFolder = inFolder;
        const std::string path = RipOutputPath(settings, settings, settings.currentTemplate, track);
        const size_t slashes = static_cast<size_t>(std::count(path.begin(), path.end(), '/'));
        if (path.rfind("/music/", 0) != 0 || slashes != (inFolder != 0 ? 4u : 2u)) {
            __builtin_trap();
        }
    }
    return 0;
}
