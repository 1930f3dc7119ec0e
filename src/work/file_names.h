// File names every worker needs: joining, making a text safe as a name, and the names of what a
// conversion writes.
#pragma once

#include <string>
#include <string_view>

#include "app/options.h"

namespace disctrove {

// Longest file or folder name the file systems we write to accept, in bytes.
inline constexpr size_t kMaxFileNameBytes = 255;

// `name` cut at a character boundary to at most `maxBytes` bytes.
std::string CutToFileName(std::string_view name, size_t maxBytes);

// The last component of `path` (all of it when it has no "/").
std::string_view FileNameOf(std::string_view path);

// `folder` and `name` joined with one "/"; an empty folder stands for the current directory.
std::string JoinPath(std::string_view folder, std::string_view name);

// Replaces, in place, the characters that file names must not hold: " * , / : ; = ? \ | become
// "_", "+" becomes "&", "<" and "[" become "(", ">" and "]" become ")", control characters (NUL
// among them) become "_".
void ReplaceIllegalChars(std::string& name);

// Output of converting the WAV file `source`: its file name in Outfolder, with the extension of
// WAVEncoder in place of its own.
std::string ConvertOutputPath(const Options& settings, std::string_view source);

// Output of decoding the Ogg Vorbis file `source`: its file name, illegal characters replaced,
// in Outfolder, with the extension ".wav".
std::string DecodeOutputPath(const Options& settings, std::string_view source);

}  // namespace disctrove
