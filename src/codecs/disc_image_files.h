// WAV and FLAC files read as a disc's audio: the readers that the drive layer opens the files of
// an image with (platform/cdrom/audio_file_image.h).
#pragma once

#include <memory>
#include <string>

#include "platform/cdrom/audio_file_image.h"

namespace disctrove {

// Opens a WAV or FLAC file (told by its first bytes) of 44100 Hz, 16-bit stereo audio for reading
// anywhere; null, with what is wrong in `problem`, otherwise.
std::unique_ptr<platform::PcmFileReader> OpenDiscImageFile(const std::string& path,
                                                           std::string& problem);

// Hands OpenDiscImageFile to the drive layer. The front ends call it at start-up.
void InstallDiscImageFileReaders();

}  // namespace disctrove
