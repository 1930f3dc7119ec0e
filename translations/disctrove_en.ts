<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US" sourcelanguage="en">
<context>
    <name>Disctrove</name>
    <message>
        <source>Stop</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 already running.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The settings file %1 could not be read.
Disctrove uses its default settings and leaves the file as it is.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Couldn&apos;t find any CD-ROM drives</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The settings could not be written to %1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Refreshing CD...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ready</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No audio CD</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Contacting CDDB server...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ripping...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Waiting for the encoding thread to finish...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Completed</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Stopped</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ERROR</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Unknown</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>WAV - default sample rate</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Error reading TOC
Probably there is no CD in your CD-ROM drive</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>CD has changed since your last refresh.
Do a refresh and try again</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cannot create output file</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cannot write to the output file.
The disk may be full.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cannot create temporary output PCM file</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cannot open OGG input file.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The input file is not an OGG Vorbis file.
Nothing was decoded.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cannot create output file.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Only one logical bitstream currently supported.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Error while reading the OGG input file.
The WAV file holds what was decoded before it.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cannot write to output file. Probably full disk.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cannot open FLAC input file.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The input file is not a FLAC file.
Nothing was decoded.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Error while reading the FLAC input file: it is damaged.
The WAV file holds what was decoded, with silence in place of the damaged frames.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The decoded audio does not match the MD5 signature of the FLAC file: the file is damaged.
The WAV file holds what was decoded.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>FLAC verification failed: the encoded audio does not decode back to the source.
The file was not kept.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cannot open Opus input file.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The input file is not an Opus file.
Nothing was decoded.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Error while reading the Opus input file.
The WAV file holds what was decoded before it.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The channels of the Opus file change along the way.
The WAV file holds what was decoded before.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>OGG Vorbis does not support less than 16 bits per sample.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>LAME encoder does not support less than 16 bits per sample.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Error binding encoding functions from LAME dll</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The LAME encoder failed while encoding.
The MP3 file is incomplete.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The media format of the source is not supported by your encoder.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Mono</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Stereo</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Normal</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Low</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>High</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Voice</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Very high</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Standard</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Fast standard</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Extreme</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Fast extreme</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Insane</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Phone</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Voice (new)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Radio</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Tape</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Studio</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The file is not a WAV file.
Only WAV files can be encoded.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>WAV file has more channels or wider samples than can be encoded.
Only files of up to 255 channels of 8- to 32-bit samples can be encoded.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The input file is not an Ogg Vorbis, Opus or FLAC file.
Nothing was decoded.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The disc has no audio tracks: there is nothing to rip</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Some sources are coded lossily already; converting them into a lossy format loses more.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>already converted</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>exists; not replaced</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No encoder for this format.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The encoder failed.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Out of memory.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cannot write the ReplayGain tags.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The FLAC file holds more samples than its header says: it is damaged.
The WAV file holds what was decoded.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>RipNotice</name>
    <message>
        <source>Rip complete</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>CTDB: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>CTDB: %1 of %2 tracks accurate</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Rip ended with problems</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>disctrove::skin::TipOfTheDay</name>
    <message>
        <source>Tip of the Day</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Show tips at start-up</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Next tip</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No tips today.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&lt;b&gt;Did you know...&lt;/b&gt;&lt;p&gt;</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>disctrove::ui::AlbumPanel</name>
    <message>
        <source>Cover</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Album artist</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Album title</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Year</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Genre</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Disc number</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Number of discs</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Various artists</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Show each track&apos;s own artist in the list</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Album a&amp;rtist:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Year:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Genre:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>A&amp;lbum:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>D&amp;isc:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>of</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>disctrove::ui::CdPlayer</name>
    <message>
        <source>Now playing: %1</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>disctrove::ui::CddbPage</name>
    <message>
        <source>CDDB server</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Your e-mail address, sent with every look-up. Public CDDB servers want to know who asks and may refuse a look-up without a real address.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Server</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Port</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Query script</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>E-mail</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Proxy settings</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Use proxy</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Save password</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Proxy server</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>User</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Password</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>MusicBrainz</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ask MusicBrainz first</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Use HTTPS</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Fetch the front cover</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cover server</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>disctrove::ui::ConversionListModel</name>
    <message>
        <source>File</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Status</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Done</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>into %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Waiting</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Converting</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Converted</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Skipped</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Skipped — %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Failed</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Failed — %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Stopped</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1%</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 of %2 files</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 of %2 files — about %3 s left</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 of %2 files — about %3 min left</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 of %2 files — about %3 h %4 min left</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 converted, %2 skipped, %3 failed</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1, %2 stopped</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>disctrove::ui::ConversionProgressDialog</name>
    <message>
        <source>Encoding WAV file</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Decode to WAV file</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Start   </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Close   </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Source</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Destination</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Stop   </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Exit confirmation</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>You are currently ripping.
Do you want to stop and exit anyway?</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>disctrove::ui::ConvertFilesDialog</name>
    <message>
        <source>Convert files</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Add files...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Add folder...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Remove</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Clear</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Browse...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Keep the folder tree</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Each file goes to the same place below the output folder as it had below the folder it was found in.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Skip files already converted</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Format</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Output folder</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Open output folder</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Close</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The folder %1 could not be opened.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Audio files and CUE sheets (*.wav *.flac *.ogg *.oga *.opus *.mp3 *.wma *.m4a *.aac *.cue)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>All files (*)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Add the files or folders to convert first.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Choose the output folder.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The conversion ended early: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Files are being converted.
Do you want to stop the conversion and close?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Start</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Stop</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Check FLAC sources against their MD5 signature</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Slower. A FLAC file whose samples differ from its signature fails instead of being converted; damaged frames are found either way.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>disctrove::ui::DecodeFileDialog</name>
    <message>
        <source>Source file</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ogg Vorbis, FLAC and Opus files (*.ogg *.flac *.opus)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>All files (*)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Decode file</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Decode</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Choose the file to decode.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>disctrove::ui::DesktopDialogs</name>
    <message>
        <source>Confirm</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Yes</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>All</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Select a Folder</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>disctrove::ui::DriveOffsetOffer</name>
    <message>
        <source>AccurateRip&apos;s drive list gives %1 a read offset of %2 samples. Use it for this drive?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The settings could not be written to %1.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>disctrove::ui::EncodeWavDialog</name>
    <message>
        <source>WAV file</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Source WAV</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>WAV files (*.wav)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>All files (*)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Encode WAV file</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Encoder</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Encode</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Choose the WAV file to encode.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>disctrove::ui::FileChoiceDialog</name>
    <message>
        <source>Browse</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Output folder</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>disctrove::ui::FlacPage</name>
    <message>
        <source>FLAC lossless encoder</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Compression level</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Fastest</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Smallest</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Verify</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Decode the audio again as it is encoded and compare it with the source</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Level %1 (default)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Level %1</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>disctrove::ui::FormatPage</name>
    <message>
        <source>Sample rate</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Channels</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 kbps</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Same as input</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 Hz</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>disctrove::ui::HelpCommands</name>
    <message>
        <source>Cannot locate HTML Help file for Disctrove</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cannot locate HTML Help file %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No viewer could open the help file %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No rip log has been written yet.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The rip log %1 is no longer there.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The rip log %1 could not be opened.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>About Disctrove</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Disctrove Version %1</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>disctrove::ui::LookupBanner</name>
    <message>
        <source>Look-up</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Add it to MusicBrainz…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Opens the MusicBrainz page on which this disc is added to a release</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The names shown are the disc&apos;s own (CD-Text): %1.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>disctrove::ui::MainWindow</name>
    <message>
        <source>Position</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Stop</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Drive:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Encoder</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Refresh</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Refresh CD</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Get CDDB info</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Rip</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Rip marked tracks</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Stop ripping</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Mark all</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Select/Unselect All</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Track</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Track settings</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Options</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Global options</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Play track</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Previous track</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Next track</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Eject</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Volume:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Exit confirmation</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>You are currently ripping.
Do you want to stop and exit anyway?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No whole answer from %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source> and </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Drive</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>E&amp;ncoder:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Stop playing</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Volume</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Files are being converted.
Do you want to stop the conversion and exit anyway?</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>disctrove::ui::MiscPage</name>
    <message>
        <source>Contact CDDB on refresh</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Autocheck tracks on refresh</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Create M3U playlist</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Overwrite tracks with same name</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Rip an album in own folder</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Make a sound when rip completes</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Jitter correction</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Always</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Never</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>On error</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Secure</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Slow, careful reading: every sector is verified and read again until it is certain. The Secure page sets how often.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Automatic</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>0: one per processor core</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Encoder threads</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ID3 tag</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Enable ID3 tag</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Write ID3v2 tag (UTF-8)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>MP3 files also get a tag with the whole texts in any language</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ReplayGain tags</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Every file of a rip gets its track and album loudness, in any format but WAV</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Artist:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Album:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Year:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Genre</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Eject the disc when a rip ends well</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>As ID3v2.3, for old players</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Version 2.3 of the tag, which older players and car stereos read; off: version 2.4</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>disctrove::ui::Mp3Page</name>
    <message>
        <source>Mono</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Stereo</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Joint stereo</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Bitrate</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>MPEG quality</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Variable bitrate (VBR)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Enable VBR</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Max bitrate</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>High</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Low</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>VBR quality %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>LAME encoder not loaded: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>LAME encoder version %1</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>disctrove::ui::NoticeBar</name>
    <message>
        <source>Dismiss</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>disctrove::ui::OffsetDetectionDialog</name>
    <message>
        <source>Detect read offset</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Reading the disc at the offsets drives commonly have, then at every other, until its tracks give AccurateRip&apos;s checksums.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Stop</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Stopping...</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>disctrove::ui::OggPage</name>
    <message>
        <source>Constant bitrate (CBR)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Burstable bitrate (BBR)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Enable BBR</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Nominal</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Min</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Max</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Variable bitrate (VBR)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Enable VBR</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 (%2 kbps)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>OGG encoder: %1</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>disctrove::ui::OptionsDialog</name>
    <message>
        <source>Global options</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Misc</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Secure</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Output</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The settings could not be written to %1.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>disctrove::ui::OptionsPage</name>
    <message>
        <source>Please enter an integer.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Please enter an integer between %1 and %2.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Please enter no more than %1 characters.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>disctrove::ui::OpusPage</name>
    <message>
        <source>Opus encoder</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source> kbps</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Variable (VBR)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Constrained VBR (CVBR)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Constant (CBR)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>0 encodes fastest, 10 sounds best</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Bitrate</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Bitrate mode</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Complexity</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Opus always encodes at 48000 Hz; the source&apos;s rate is noted in the file.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>disctrove::ui::OutputPage</name>
    <message>
        <source>Browse</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Encoder</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Output folder</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Temporary</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>File name template</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Template</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>One file for the whole disc (WAV or FLAC, with its CUE sheet)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>A rip writes every track, what lies before track 1 and the gaps into one file named &quot;&lt;artist&gt; - &lt;album&gt;&quot;, beside its CUE sheet and log; the encoder must be WAV or FLAC.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Next file</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Description: The file name template consists of a formatted string containing regular text and field variables beginning with the dollar sign $. These variables are:
$n-track number $t-track name $a-artist $A-album artist $r-track artist $l-album $g-genre $y year $d-disc number $s-number of discs $$-dollar sign </source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>disctrove::ui::ReleaseChoiceDialog</name>
    <message>
        <source>Choose the release</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Artist</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Title</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Date</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Country</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Label</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Catalogue number</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Format</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Tracks</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Several releases on MusicBrainz hold this disc. Choose the one you have:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Source</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The disc carries names of its own (CD-Text) beside those the look-up found. Choose the names to use:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>MusicBrainz</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>disctrove::ui::RipOutcomeBar</name>
    <message>
        <source>Rip outcome</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Open folder</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Show log</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>disctrove::ui::RunProgress</name>
    <message>
        <source>%1 of %2 tracks</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>, %1 left</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>disctrove::ui::SecurePage</name>
    <message>
        <source>Reading</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source> samples</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Test &amp;&amp; Copy: read every track twice and compare the two reads</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Read offset</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Retries</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>re-reads of a sector in Secure mode</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Secure is the slow, careful read mode; choose it under &quot;Jitter correction&quot; on the Misc page.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>AccurateRip verification</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Port</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Server</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Compares every ripped track with other people&apos;s rips of the same disc; the verdict shows in the Status column and in the rip log.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Rip log and CUE sheet</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Write rip log</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Write CUE sheet</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Both are written into the rip&apos;s folder, named as the playlist with &quot;.log&quot; and &quot;.cue&quot;. Help &gt; Show rip log opens the last log.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The read offset of every drive that has none of its own saved: AccurateRip&apos;s list of drives gives it for your drive&apos;s model; 0 when you do not know it. Every read mode corrects it.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Detect...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>for drives with no offset of their own</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>CTDB verification</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>A host name, or host:port</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No drive is chosen.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>A disc image reads with the read offset above.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>This drive (%1) has no offset of its own: it reads with the one above.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>This drive (%1): %2 samples, detected with a disc.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>This drive (%1): %2 samples, from AccurateRip&apos;s drive list.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>This drive (%1): %2 samples, set by hand.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Only a drive has a read offset to detect: choose one in the main window.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Put a disc into the drive first: one that AccurateRip knows.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Finds this drive&apos;s read offset with the disc in it, which AccurateRip must know, and saves it for the drive.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The settings could not be written to %1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The CUETools database: a second check of every ripped track, beside AccurateRip.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>disctrove::ui::TrackListView</name>
    <message>
        <source>Track list</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>disctrove::ui::TrackSettingsDialog</name>
    <message>
        <source>Track settings</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Encoder</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Track title</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>disctrove::ui::TrackTableModel</name>
    <message>
        <source>Track name</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Time</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Encoder</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Status</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Artist</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>disctrove::ui::WavPage</name>
    <message>
        <source>8 bits</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>16 bits</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Bits per sample</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>disctrove::ui::WindowActions</name>
    <message>
        <source>&amp;File</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Edit</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Options</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Refresh CD-ROM</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ri&amp;p marked tracks</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Stop ripping</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Get CDDB Info</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Encode WAV file...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Decode file...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>E&amp;xit</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Track settings...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Mark all tracks</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Unmark all tracks</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Re&amp;verse marks</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Select &amp;all tracks</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Mark &amp;selected</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Global...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Secure settings...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>O&amp;utput...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>WA&amp;V format settings...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;OGG format settings...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;MP3 format settings...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;WMA format settings...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;FLAC format settings...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>O&amp;PUS format settings...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;CDDB settings...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Contents</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Quick start guide</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Show rip &amp;log</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>About Disctrove...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Track settings...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Mark/unmark track</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Play</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Stop</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Convert files...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Und&amp;o name change</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>disctrove::ui::WmaPage</name>
    <message>
        <source>Bitrate</source>
        <translation type="unfinished"></translation>
    </message>
</context>
</TS>
