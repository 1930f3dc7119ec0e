// Audio files for tests, made and looked at with the tools a user has (sox, ffmpeg, ogginfo).
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <vector>

namespace disctrove::testing {

// A WAV file of a 440 Hz sine at half of full scale, made by sox.
std::string MakeSineWav(const std::string& folder, const std::string& name, int rate, int channels,
                        int bits, double seconds);

// A 16-bit WAV file at 44100 Hz whose channel k holds a 440 Hz sine at volumes[k] of full scale
// (0: silence), made by sox; its channels are as many as the volumes.
std::string MakeLevelsWav(const std::string& folder, const std::string& name,
                          const std::vector<double>& volumes, double seconds);

// The lines of ogginfo's report that say WARNING or ERROR (none for a sound file).
std::vector<std::string> OggInfoProblems(const std::string& path);

// A figure of ogginfo's report, e.g. "Nominal bitrate" or "Channels" (-1 when absent).
double OggInfoValue(const std::string& path, const std::string& label);

// The comments of an Ogg Vorbis file, as vorbiscomment lists them ("KEY=value").
std::set<std::string> OggComments(const std::string& path);

// The file decoded by ffmpeg to 16-bit samples (interleaved, native channels).
std::vector<int16_t> DecodeWithFfmpeg(const std::string& path);

// What the tools a user has find wrong with a finished audio file, "" when nothing: flac -t for
// FLAC, a whole decode by ffmpeg for the others, and for WAV lengths in the header that match
// the file.
std::string PeerToolProblems(const std::string& path);

// Root mean square of the samples.
double Rms(const std::vector<int16_t>& samples);

// Root mean square of each channel of interleaved samples.
std::vector<double> ChannelRms(const std::vector<int16_t>& samples, int channels);

}  // namespace disctrove::testing
