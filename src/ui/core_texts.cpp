#include "ui/core_texts.h"

#include <QCoreApplication>

namespace disctrove::ui {

namespace {

// Every fixed text of the core that the desktop program shows, once, so that lupdate finds
// them. Messages the core builds around a file name or a count stay as they are.
[[maybe_unused]] constexpr const char* kCoreTexts[] = {
    // Status line
    QT_TRANSLATE_NOOP("Disctrove", "Refreshing CD..."),
    QT_TRANSLATE_NOOP("Disctrove", "Ready"),
    QT_TRANSLATE_NOOP("Disctrove", "No audio CD"),
    QT_TRANSLATE_NOOP("Disctrove", "The disc has no audio tracks: there is nothing to rip"),
    QT_TRANSLATE_NOOP("Disctrove", "Contacting CDDB server..."),
    QT_TRANSLATE_NOOP("Disctrove", "Ripping..."),
    QT_TRANSLATE_NOOP("Disctrove", "Waiting for the encoding thread to finish..."),
    // Track list: the Status and Encoder columns
    QT_TRANSLATE_NOOP("Disctrove", "Completed"),
    QT_TRANSLATE_NOOP("Disctrove", "Stopped"),
    QT_TRANSLATE_NOOP("Disctrove", "ERROR"),
    QT_TRANSLATE_NOOP("Disctrove", "Unknown"),
    QT_TRANSLATE_NOOP("Disctrove", "WAV - default sample rate"),
    // Messages
    QT_TRANSLATE_NOOP("Disctrove",
                      "Error reading TOC\nProbably there is no CD in your CD-ROM drive"),
    QT_TRANSLATE_NOOP("Disctrove",
                      "CD has changed since your last refresh.\nDo a refresh and try again"),
    QT_TRANSLATE_NOOP("Disctrove", "Cannot create output file"),
    QT_TRANSLATE_NOOP("Disctrove", "Cannot write to the output file.\nThe disk may be full."),
    QT_TRANSLATE_NOOP("Disctrove", "Cannot create temporary output PCM file"),
    QT_TRANSLATE_NOOP("Disctrove", "Cannot open OGG input file."),
    QT_TRANSLATE_NOOP("Disctrove",
                      "The input file is not an OGG Vorbis file.\nNothing was decoded."),
    QT_TRANSLATE_NOOP("Disctrove", "Cannot create output file."),
    QT_TRANSLATE_NOOP("Disctrove", "Only one logical bitstream currently supported."),
    QT_TRANSLATE_NOOP("Disctrove",
                      "Error while reading the OGG input file.\nThe WAV file holds "
                      "what was decoded before it."),
    QT_TRANSLATE_NOOP("Disctrove", "Cannot write to output file. Probably full disk."),
    QT_TRANSLATE_NOOP("Disctrove", "Cannot open FLAC input file."),
    QT_TRANSLATE_NOOP("Disctrove", "The input file is not a FLAC file.\nNothing was decoded."),
    QT_TRANSLATE_NOOP("Disctrove",
                      "Error while reading the FLAC input file: it is damaged.\nThe WAV file "
                      "holds what was decoded, with silence in place of the damaged frames."),
    QT_TRANSLATE_NOOP("Disctrove",
                      "The decoded audio does not match the MD5 signature of the FLAC file: the "
                      "file is damaged.\nThe WAV file holds what was decoded."),
    QT_TRANSLATE_NOOP("Disctrove",
                      "The FLAC file holds more samples than its header says: it is damaged.\nThe "
                      "WAV file holds what was decoded."),
    QT_TRANSLATE_NOOP("Disctrove",
                      "FLAC verification failed: the encoded audio does not decode "
                      "back to the source.\nThe file was not kept."),
    QT_TRANSLATE_NOOP("Disctrove", "Cannot open Opus input file."),
    QT_TRANSLATE_NOOP("Disctrove", "The input file is not an Opus file.\nNothing was decoded."),
    QT_TRANSLATE_NOOP("Disctrove",
                      "Error while reading the Opus input file.\nThe WAV file holds "
                      "what was decoded before it."),
    QT_TRANSLATE_NOOP("Disctrove",
                      "The channels of the Opus file change along the way.\nThe "
                      "WAV file holds what was decoded before."),
    QT_TRANSLATE_NOOP("Disctrove", "The file is not a WAV file.\nOnly WAV files can be encoded."),
    QT_TRANSLATE_NOOP("Disctrove",
                      "WAV file has more channels or wider samples than can be encoded.\nOnly "
                      "files of up to 255 channels of 8- to 32-bit samples can be encoded."),
    QT_TRANSLATE_NOOP("Disctrove",
                      "The input file is not an Ogg Vorbis, Opus or FLAC file.\nNothing was "
                      "decoded."),
    QT_TRANSLATE_NOOP("Disctrove", "OGG Vorbis does not support less than 16 bits per sample."),
    QT_TRANSLATE_NOOP("Disctrove", "LAME encoder does not support less than 16 bits per sample."),
    QT_TRANSLATE_NOOP("Disctrove", "Error binding encoding functions from LAME dll"),
    QT_TRANSLATE_NOOP("Disctrove",
                      "The LAME encoder failed while encoding.\nThe MP3 file is incomplete."),
    QT_TRANSLATE_NOOP("Disctrove",
                      "The media format of the source is not supported by your encoder."),
    QT_TRANSLATE_NOOP("Disctrove",
                      "Some sources are coded lossily already; converting them "
                      "into a lossy format loses more."),
    QT_TRANSLATE_NOOP("Disctrove", "already converted"),
    QT_TRANSLATE_NOOP("Disctrove", "exists; not replaced"),
    QT_TRANSLATE_NOOP("Disctrove", "No encoder for this format."),
    QT_TRANSLATE_NOOP("Disctrove", "The encoder failed."),
    QT_TRANSLATE_NOOP("Disctrove", "Out of memory."),
    QT_TRANSLATE_NOOP("Disctrove", "Cannot write the ReplayGain tags."),
    // Choices of the format pages
    QT_TRANSLATE_NOOP("Disctrove", "Mono"),
    QT_TRANSLATE_NOOP("Disctrove", "Stereo"),
    QT_TRANSLATE_NOOP("Disctrove", "Normal"),
    QT_TRANSLATE_NOOP("Disctrove", "Low"),
    QT_TRANSLATE_NOOP("Disctrove", "High"),
    QT_TRANSLATE_NOOP("Disctrove", "Voice"),
    QT_TRANSLATE_NOOP("Disctrove", "Very high"),
    QT_TRANSLATE_NOOP("Disctrove", "Standard"),
    QT_TRANSLATE_NOOP("Disctrove", "Fast standard"),
    QT_TRANSLATE_NOOP("Disctrove", "Extreme"),
    QT_TRANSLATE_NOOP("Disctrove", "Fast extreme"),
    QT_TRANSLATE_NOOP("Disctrove", "Insane"),
    QT_TRANSLATE_NOOP("Disctrove", "Phone"),
    QT_TRANSLATE_NOOP("Disctrove", "Voice (new)"),
    QT_TRANSLATE_NOOP("Disctrove", "Radio"),
    QT_TRANSLATE_NOOP("Disctrove", "Tape"),
    QT_TRANSLATE_NOOP("Disctrove", "Studio"),
};

}  // namespace

QString CoreText(const char* text) {
    return QCoreApplication::translate(kCoreTextContext, text);
}

QString CoreText(std::string_view text) {
    const std::string terminated(text);  // translate() reads up to the terminating NUL
    return CoreText(terminated.c_str());
}

}  // namespace disctrove::ui
