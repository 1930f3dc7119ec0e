#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <latch>
#include <memory>
#include <set>
#include <stop_token>
#include <string>
#include <thread>
#include <vector>

#include "codecs/encoder_sink.h"
#include "codecs/flac_encoder.h"
#include "codecs/mp3_encoder.h"
#include "codecs/ogg_encoder.h"
#include "codecs/opus_encoder.h"
#include "codecs/source_tags.h"
#include "codecs/tag_writer.h"
#include "codecs/wav_sink.h"
#include "codecs/wma_encoder.h"
#include "support/all_records.h"
#include "support/audio_files.h"
#include "support/scripted_worker.h"
#include "support/temp_dir.h"

namespace disctrove {
namespace {

using testing::CommandOutput;
using testing::MakeSineWav;
using testing::ReadWholeFile;
using testing::RunCommand;
using testing::TempDir;
using testing::WriteWholeFile;

// A source's tags as "NAME=value" lines.
std::multiset<std::string> Lines(const CarriedTags& carried) {
    std::multiset<std::string> lines;
    for (const TrackTag& tag : carried.tags) {
        lines.insert(tag.name + "=" + tag.value);
    }
    return lines;
}

class CarriedTagsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        lame_ = LoadLame(questions_);
        ASSERT_TRUE(lame_);
        wav_ = MakeSineWav(dir_.path(), "in.wav", 44100, 2, 16, 1);
    }
    // Encodes the samples of wav_ with `carried` through `sink` into `output`.
    void Encode(const CarriedTags& carried, std::unique_ptr<EncoderSink> sink,
                const std::string& output) {
        Track track;
        EncodeJob job{&track, wav_, output};
        job.carried = &carried;
        job.openSource = [&] { return PcmSource::OpenWav(wav_); };
        RunEncode(context_, job, false, std::move(sink));
        ASSERT_EQ(track.status, kStatusCompleted) << output;
        if (output.ends_with(".wav")) {  // its tags' chunks follow the samples, unchanged
            EXPECT_EQ(testing::DecodeWithFfmpeg(output), testing::DecodeWithFfmpeg(wav_));
        } else {
            EXPECT_EQ(testing::PeerToolProblems(output), "");
        }
    }
    std::unique_ptr<EncoderSink> SinkFor(const std::string& extension) {
        return extension == "flac"   ? MakeFlacSink()
               : extension == "ogg"  ? MakeOggSink()
               : extension == "opus" ? MakeOpusSink()
               : extension == "mp3"  ? MakeMp3Sink(*lame_)
               : extension == "wma"  ? MakeWmaSink()
                                     : MakeWavSink();
    }

    TempDir dir_;
    std::string wav_;
    testing::AllRecords settings_;
    testing::RecordingNotifications notes_;
    testing::ScriptedQuestions questions_;
    std::stop_source stop_;
    WorkerContext context_{settings_, settings_,  settings_, settings_,
                           notes_,    questions_, {},        stop_.get_token()};
    std::unique_ptr<platform::LameLibrary> lame_;
};

// Every target keeps every tag of a tagged FLAC file that it can hold, each value of a tag with
// several, and the front cover byte for byte; the source's gain is not carried over.
TEST_F(CarriedTagsTest, EveryTargetKeepsTheTagsAndCoverOfAFlacFile) {
    const std::string cover = dir_.File("cover.png");
    ASSERT_EQ(RunCommand("ffmpeg -v error -f lavfi -i color=red:s=8x8 -frames:v 1 '" + cover + "'"),
              0);
    const std::string flac = dir_.File("source.flac");
    const std::string tags =
        " --set-tag=TITLE=Song --set-tag=ARTIST=First --set-tag=ARTIST=Second"
        " --set-tag=ALBUM=Record --set-tag=ALBUMARTIST=Band --set-tag=DATE=2019-04-05"
        " --set-tag=GENRE=Jazz --set-tag=TRACKNUMBER=3/12 --set-tag=DISCNUMBER=1"
        " --set-tag=DISCTOTAL=2 --set-tag=MUSICBRAINZ_TRACKID=t-id "
        "--set-tag=MUSICBRAINZ_ALBUMID=a-id"
        " --set-tag=MUSICBRAINZ_ARTISTID=r1 --set-tag=MUSICBRAINZ_ARTISTID=r2"
        " --set-tag=ISRC=GBAYE0601498 --set-tag=MOOD=Calm --set-tag=MUSICBRAINZ_DISCID=d-id"
        " --set-tag=MUSICBRAINZ_RELEASETRACKID=rt-id --set-tag=LABEL=Label --set-tag=MEDIA=CD"
        " --set-tag='REPLAYGAIN_TRACK_GAIN=-6.00 dB' --set-tag=ENCODER=flac";
    ASSERT_EQ(RunCommand("flac -s -o '" + flac + "' '" + wav_ + "' && metaflac" + tags +
                         " --import-picture-from='3||||" + cover + "' '" + flac + "'"),
              0);
    const CarriedTags carried = ReadSourceTags({flac, -1, ""});

    struct Target {
        const char* extension;
        const char* lister;  // what lists the tags; the file's path follows
        std::vector<std::string> expected;
    };
    const std::vector<std::string> vorbis = {"TITLE=Song",
                                             "ARTIST=First",
                                             "ARTIST=Second",
                                             "ALBUM=Record",
                                             "ALBUMARTIST=Band",
                                             "DATE=2019-04-05",
                                             "GENRE=Jazz",
                                             "TRACKNUMBER=3",
                                             "TRACKTOTAL=12",
                                             "DISCNUMBER=1",
                                             "DISCTOTAL=2",
                                             "MUSICBRAINZ_TRACKID=t-id",
                                             "MUSICBRAINZ_ALBUMID=a-id",
                                             "MUSICBRAINZ_ARTISTID=r1",
                                             "MUSICBRAINZ_ARTISTID=r2",
                                             "ISRC=GBAYE0601498",
                                             "MOOD=Calm",
                                             "MUSICBRAINZ_DISCID=d-id",
                                             "MUSICBRAINZ_RELEASETRACKID=rt-id",
                                             "LABEL=Label",
                                             "MEDIA=CD",
                                             "ENCODER=Disctrove"};
    const std::vector<std::string> id3 = {"TIT2=Song",
                                          "TPE1=First / Second",
                                          "TALB=Record",
                                          "TPE2=Band",
                                          "TDRC=2019-04-05",
                                          "TCON=Jazz",
                                          "TRCK=3/12",
                                          "TPOS=1/2",
                                          "UFID=http://musicbrainz.org=b't-id'",
                                          "TXXX=MusicBrainz Album Id=a-id",
                                          "TXXX=MusicBrainz Artist Id=r1 / r2",
                                          "TSRC=GBAYE0601498",
                                          "TMOO=Calm",
                                          "TXXX=MusicBrainz Disc Id=d-id",
                                          "TXXX=MusicBrainz Release Track Id=rt-id",
                                          "TPUB=Label",
                                          "TMED=CD",
                                          "TSSE=Disctrove"};
    const std::vector<Target> targets = {
        {"flac", "metaflac --export-tags-to=-", vorbis},
        {"ogg", "vorbiscomment -l", vorbis},
        {"opus", "opusinfo", vorbis},
        {"mp3", "mid3v2 -l", id3},
        {"wma",
         "/usr/bin/python3 -c 'import sys, mutagen.asf\n"
         "for name, values in mutagen.asf.ASF(sys.argv[1]).tags.items():\n"
         "  [print(name + \"=\" + str(v)) for v in values if name != \"WM/Picture\"]'",
         {"Title=Song",
          "Author=First; Second",
          "WM/AlbumTitle=Record",
          "WM/AlbumArtist=Band",
          "WM/Year=2019-04-05",
          "WM/Genre=Jazz",
          "WM/TrackNumber=3",
          "TotalTracks=12",
          "WM/PartOfSet=1/2",
          "TotalDiscs=2",
          "MusicBrainz/Track Id=t-id",
          "MusicBrainz/Album Id=a-id",
          "MusicBrainz/Artist Id=r1",
          "MusicBrainz/Artist Id=r2",
          "WM/ISRC=GBAYE0601498",
          "WM/Mood=Calm",
          "MusicBrainz/Disc Id=d-id",
          "MusicBrainz/Release Track Id=rt-id",
          "WM/Publisher=Label",
          "WM/Media=CD",
          "WM/ToolName=Disctrove"}},
        {"wav",
         "/usr/bin/python3 -c 'import sys, mutagen.wave; "
         "print(mutagen.wave.WAVE(sys.argv[1]).pprint())'",
         id3},
    };
    for (const Target& target : targets) {
        SCOPED_TRACE(target.extension);
        const std::string output = dir_.File(std::string("out.") + target.extension);
        Encode(carried, SinkFor(target.extension), output);
        const std::string listed = CommandOutput(std::string(target.lister) + " '" + output + "'");
        for (const std::string& line : target.expected) {
            EXPECT_NE(listed.find(line), std::string::npos) << line << " missing in\n" << listed;
        }
        EXPECT_EQ(listed.find("REPLAYGAIN"), std::string::npos) << listed;
        EXPECT_EQ(listed.find("=flac"), std::string::npos) << "the source's encoder";
        const std::string picture = dir_.File(std::string("cover-") + target.extension + ".png");
        ASSERT_EQ(RunCommand("ffmpeg -v error -i '" + output + "' -map 0:v -c copy -f image2 '" +
                             picture + "'"),
                  0);
        EXPECT_EQ(ReadWholeFile(picture), ReadWholeFile(cover));
        // And the converted file is a source as good as the first.
        const CarriedTags back = ReadSourceTags({output, -1, ""});
        EXPECT_EQ(back.cover, carried.cover);
        const auto lines = Lines(back);
        for (const char* line :
             {"TITLE=Song", "ALBUM=Record", "ALBUMARTIST=Band", "DATE=2019-04-05", "GENRE=Jazz",
              "TRACKNUMBER=3", "DISCNUMBER=1", "MUSICBRAINZ_TRACKID=t-id",
              "MUSICBRAINZ_ALBUMID=a-id", "ISRC=GBAYE0601498", "MOOD=Calm", "TRACKTOTAL=12",
              "DISCTOTAL=2", "MUSICBRAINZ_DISCID=d-id", "MUSICBRAINZ_RELEASETRACKID=rt-id",
              "LABEL=Label", "MEDIA=CD"}) {
            EXPECT_EQ(lines.count(line), 1u) << line;
        }
        EXPECT_EQ(lines.count("ENCODER=Disctrove"), 0u);
    }
}

// The formats we do not write, read as sources: MP4 (AAC) and an MP3 file with only ID3v1.
TEST_F(CarriedTagsTest, Mp4AndId3v1SourcesAreRead) {
    const std::string cover = dir_.File("cover.png");
    ASSERT_EQ(RunCommand("ffmpeg -v error -f lavfi -i color=red:s=8x8 -frames:v 1 '" + cover + "'"),
              0);
    const std::string names = " -metadata title=Song -metadata artist=Singer -metadata track=3/12";
    const std::string m4a = dir_.File("in.m4a");
    const std::string mp3 = dir_.File("in.mp3");
    ASSERT_EQ(
        RunCommand("ffmpeg -v error -i '" + wav_ + "' -i '" + cover +
                   "' -map 0 -map 1 -c:a aac -c:v copy -disposition:v attached_pic" + names + " '" +
                   m4a + "' && lame --silent --id3v1-only --tt Song --ta Singer --tn 3 '" + wav_ +
                   "' '" + mp3 + "'"),
        0);
    const CarriedTags fromM4a = ReadSourceTags({m4a, -1, ""});
    const CarriedTags fromMp3 = ReadSourceTags({mp3, -1, ""});
    const std::multiset<std::string> expected = {"TITLE=Song", "ARTIST=Singer", "TRACKNUMBER=3"};
    for (const auto& lines : {Lines(fromM4a), Lines(fromMp3)}) {
        for (const std::string& line : expected) {
            EXPECT_EQ(lines.count(line), 1u) << line;
        }
    }
    EXPECT_EQ(Lines(fromM4a).count("TRACKTOTAL=12"), 1u);
    const std::string picture = ReadWholeFile(cover);
    EXPECT_EQ(fromM4a.cover, std::vector<uint8_t>(picture.begin(), picture.end()));
}

// Nothing is made up: a source without tags gives a file with only the encoder's name.
TEST_F(CarriedTagsTest, ASourceWithoutTagsGivesOnlyTheEncoder) {
    const CarriedTags carried = ReadSourceTags({wav_, -1, ""});
    EXPECT_TRUE(carried.tags.empty());
    EXPECT_TRUE(carried.cover.empty());
    const std::string flac = dir_.File("out.flac");
    Encode(carried, MakeFlacSink(), flac);
    EXPECT_EQ(CommandOutput("metaflac --export-tags-to=- '" + flac + "'"), "ENCODER=Disctrove\n");
    const std::string mp3 = dir_.File("out.mp3");
    Encode(carried, MakeMp3Sink(*lame_), mp3);
    const std::string file = ReadWholeFile(mp3);
    EXPECT_NE(file.substr(file.size() - 128, 3), "TAG") << "an ID3v1 tag of made-up names";
    EXPECT_EQ(CommandOutput("mid3v2 -l '" + mp3 + "'").find("TIT2"), std::string::npos);
}

// A track of a disc image is named by its sheet: a .cue file, or the sheet a FLAC image keeps
// in its CUESHEET tag (its album's own tags and its CUESHEET block's codes besides).
TEST_F(CarriedTagsTest, ATrackOfAnImageIsNamedByItsSheet) {
    const std::string sheet =
        "REM GENRE \"Jazz\"\nREM DATE 1999\nPERFORMER \"Band\"\nTITLE \"Record\"\n"
        "FILE \"image.wav\" WAVE\n"
        "  TRACK 01 AUDIO\n    TITLE \"One\"\n    PERFORMER \"Singer\"\n"
        "    INDEX 01 00:00:00\n"
        "  TRACK 02 AUDIO\n    TITLE \"Two\"\n    ISRC GBAYE0601498\n    INDEX 01 00:00:30\n";
    const std::string cue = dir_.File("image.cue");
    WriteWholeFile(cue, sheet);
    const std::string flac = dir_.File("image.flac");
    WriteWholeFile(dir_.File("sheet.txt"), sheet);
    ASSERT_EQ(RunCommand("cd '" + dir_.path() +
                         "' && flac -s -o image.flac in.wav && metaflac "
                         "--import-cuesheet-from=image.cue --set-tag-from-file=CUESHEET=sheet.txt "
                         "--set-tag=ALBUM=Record --set-tag=LABEL=Blue image.flac"),
              0);
    const std::multiset<std::string> second = {
        "TITLE=Two", "ARTIST=Band",   "ALBUM=Record", "ALBUMARTIST=Band", "GENRE=Jazz",
        "DATE=1999", "TRACKNUMBER=2", "TRACKTOTAL=2", "ISRC=GBAYE0601498"};
    EXPECT_EQ(Lines(ReadSourceTags({cue, 2, ""})), second);
    std::multiset<std::string> withLabel = second;
    withLabel.insert("LABEL=Blue");
    EXPECT_EQ(Lines(ReadSourceTags({flac, 2, ""})), withLabel);
    const auto first = Lines(ReadSourceTags({cue, 1, ""}));
    EXPECT_EQ(first.count("ARTIST=Singer"), 1u);
    EXPECT_EQ(first.count("ARTIST=Band"), 0u);
}

// What a rip's tags take from the disc and its release: the whole date while the Year the user
// sees is still the release's, the disc's number and total when known, every artist's ID (the
// track's own, else the release's), the release's barcode before the drive's catalogue number.
// Encoder threads tag their first files at the same moment: TagLib fills some tables on first
// use, and two threads filling one crashed a WMA conversion about once in 25. Each test runs in
// a process of its own, so these are the process's first tags.
TEST(TagWriting, ManyThreadsTagTheirFirstFilesAtOnce) {
    TempDir dir;
    std::vector<std::string> files;
    for (const char* extension : {"wma", "mp3"}) {
        const std::string first = dir.File(std::string("made.") + extension);
        ASSERT_EQ(RunCommand("ffmpeg -v error -f lavfi -i sine=duration=0.2 " +
                             std::string(*extension == 'w' ? "-c:a wmav2 " : "") + first),
                  0);
        for (int i = 0; i < 4; ++i) {
            files.push_back(dir.File(std::to_string(i) + "." + extension));
            std::filesystem::copy_file(first, files.back());
        }
    }
    const std::vector<TrackTag> tags = {
        {"TITLE", "Song"}, {"ARTIST", "Band"}, {"DISCNUMBER", "1"}, {"PRODUCER", "Someone"}};
    std::latch start(static_cast<std::ptrdiff_t>(files.size()));
    std::vector<char> written(files.size());
    {
        std::vector<std::jthread> threads;
        for (size_t i = 0; i < files.size(); ++i) {
            threads.emplace_back([&, i] {
                start.arrive_and_wait();
                written[i] = WriteFileTags(files[i], tags, {});
            });
        }
    }
    for (size_t i = 0; i < files.size(); ++i) {
        EXPECT_TRUE(written[i]) << files[i];
        EXPECT_NE(CommandOutput("ffprobe -v error -show_entries format_tags=title -of csv=p=0 " +
                                files[i]),
                  "")
            << files[i];
    }
}

TEST(TrackTags, DateNumbersArtistIdsAndBarcodeFollowTheDisc) {
    const auto lines = [](const std::vector<TrackTag>& tags) {
        std::vector<std::string> all;
        for (const TrackTag& tag : tags) {
            if (tag.name == "DATE" || tag.name.starts_with("DISC") || tag.name == "BARCODE" ||
                tag.name.ends_with("ARTISTID")) {
                all.push_back(tag.name + "=" + tag.value);
            }
        }
        return all;
    };
    using Lines = std::vector<std::string>;
    const struct {
        const char* year;
        const char* date;  // the release's
        int32_t disc, discs;
        std::vector<std::string> trackArtists, releaseArtists;
        const char* barcode;  // the release's
        Lines expected;
    } rows[] = {
        {"1994",
         "1994-09-12",
         2,
         2,
         {"t1", "t2"},
         {"r1"},
         "0777",
         {"DATE=1994-09-12", "DISCNUMBER=2", "DISCTOTAL=2", "MUSICBRAINZ_ARTISTID=t1",
          "MUSICBRAINZ_ARTISTID=t2", "MUSICBRAINZ_ALBUMARTISTID=r1", "BARCODE=0777"}},
        {"1995",
         "1994-09-12",
         0,
         0,
         {},
         {"r1", "r2"},
         "",  // the Year the user gave
         {"DATE=1995", "MUSICBRAINZ_ARTISTID=r1", "MUSICBRAINZ_ARTISTID=r2",
          "MUSICBRAINZ_ALBUMARTISTID=r1", "MUSICBRAINZ_ALBUMARTISTID=r2", "BARCODE=mcn"}},
        {"1994", "19940", 1, 0, {}, {}, "", {"DATE=1994", "DISCNUMBER=1", "BARCODE=mcn"}},
        {"", "1994-09-12", 0, 0, {}, {}, "", {"BARCODE=mcn"}},
    };
    testing::AllRecords disc;
    disc.tracks.resize(1);
    platform::DiscFacts facts;
    facts.catalog = "mcn";
    for (const auto& row : rows) {
        disc.Year = row.year;
        disc.release.date = row.date;
        disc.DiscNumber = row.disc;
        disc.DiscTotal = row.discs;
        disc.tracks[0].artistIds = row.trackArtists;
        disc.release.artistIds = row.releaseArtists;
        disc.release.barcode = row.barcode;
        EXPECT_EQ(lines(TrackTags(disc, disc, disc.tracks[0], true, TagSet::oggVorbis, &facts)),
                  row.expected)
            << row.year << " " << row.date;
    }
    // A converted file is no rip: the Year alone, no numbers, no identifiers.
    EXPECT_EQ(lines(TrackTags(disc, disc, disc.tracks[0], false, TagSet::full, &facts)), Lines{});
    disc.Year = "1994";
    EXPECT_EQ(lines(TrackTags(disc, disc, disc.tracks[0], false, TagSet::full, &facts)),
              Lines{"DATE=1994"});
}

// A compilation named by hand still tells libraries its album artist; an album of one artist
// gets none (ARTIST says it), a release's own album artist always wins.
TEST(TrackTags, AlbumArtistOfACompilationNamedByHand) {
    const auto albumArtist = [](const testing::AllRecords& disc) {
        for (const TrackTag& tag : TrackTags(disc, disc, disc.tracks[0], true, TagSet::full)) {
            if (tag.name == "ALBUMARTIST") {
                return tag.value;
            }
        }
        return std::string("none");
    };
    testing::AllRecords disc;
    disc.tracks.resize(2);
    disc.Artist = "Various Artists";
    EXPECT_EQ(albumArtist(disc), "none");
    disc.tracks[1].artist = "Dee Fox";
    EXPECT_EQ(albumArtist(disc), "Various Artists");
    disc.release.albumArtist = "VA";
    EXPECT_EQ(albumArtist(disc), "VA");
}

}  // namespace
}  // namespace disctrove
