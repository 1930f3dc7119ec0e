#include "app/settings_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "front/program_state.h"
#include "platform/system/write_faults.h"
#include "support/temp_dir.h"

namespace disctrove {
namespace {

using testing::ReadWholeFile;
using testing::TempDir;
using testing::WriteWholeFile;

// Every key with its default, in the order a first start writes them.
const char* const kDefaultFile =
    "[GENERAL]\n"
    "Encoder=MP3\nCdrom=0\nCreatem3u=False\nAutocddb=False\nAutocheck=True\nJitter=1\n"
    "Overwrite=True\nRipInFolder=False\nMakesound=False\nOutfolder=.\nTmpfolder=.\n"
    "Menustyle=3\nWAVEncoder=MP3\nTemplate01=$a-$t\nTemplate02=$n-$t\nTemplate03=$l-$n-$t\n"
    "Template04=$a-$l-$n-$t\nEncoderThreads=0\nImageFile=False\nEjectWhenDone=False\n"
    "\n[WAV]\nChannels=Stereo\nSamplerate=0\nSamplebits=16\n"
    "\n[OGG]\nChannels=Stereo\nSamplerate=0\nUsecbr=False\nUsebbr=False\nUsevbr=True\nCbr=128\n"
    "Nomimalbbr=128\nMinbbr=128\nMaxbbr=256\nVbr=9\n"
    "\n[MP3]\nChannels=Stereo\nSamplerate=0\nCbr=128\nUsevbr=False\nMpegquality=Very high\n"
    "Vbrmax=192\nVbrquality=2\n"
    "\n[WMA]\nChannels=Stereo\nSamplerate=0\nBitrate=96\n"
    "\n[FLAC]\nLevel=5\nVerify=True\n"
    "\n[OPUS]\nBitrate=160\nMode=VBR\nComplexity=10\n"
    "\n[ID3]\nUseid3=True\nArtist=\nAlbum=\nYear=\nGenre=0\nId3v2=True\nId3v23=False\nReplayGain="
    "True\n"
    "DiscId=\nDiscNumber=0\nDiscTotal=0\n"
    "\n[CDDB]\nServer=gnudb.gnudb.org\nQuery=/~cddb/cddb.cgi\nPort=80\nUseproxy=False\n"
    "Proxyserver=\nProxyport=80\nUsername=\nPassword=\nSavepasswd=False\nEmail=\n"
    "\n[MUSICBRAINZ]\nUse=True\nServer=musicbrainz.org\nPort=443\nHttps=True\nCoverArt=True\n"
    "CoverServer=coverartarchive.org\n"
    "\n[SECURE]\nReadOffset=0\nRetries=20\nTestAndCopy=False\nAccurateRip=True\n"
    "ArServer=www.accuraterip.com\nArPort=80\nCtdb=True\nCtdbServer=db.cuetools.net\n"
    "WriteLog=True\nWriteCue=True\n";

// The start-up sequence: defaults, then the file, then the file written back.
class SettingsFileTest : public ::testing::Test {
  protected:
    std::string path() const { return dir_.File("dt.ini"); }

    void StartWith(const std::string& fileText) {
        WriteWholeFile(path(), fileText);
        Start();
    }
    void Start() {
        // A start is a new program: every record at its defaults.
        settings_.options = Options{};
        settings_.disc = DiscState{};
        settings_.session = SessionChoices{};
        LoadSettings(settings_, path());
    }
    std::string Saved() {
        EXPECT_TRUE(SaveSettings(settings_, path()));
        return ReadWholeFile(path());
    }

    TempDir dir_;
    ProgramState settings_;
};

TEST_F(SettingsFileTest, FirstStartWritesEveryKeyWithItsDefault) {
    Start();
    EXPECT_EQ(Saved(), kDefaultFile);
    EXPECT_EQ(settings_.options.folderHistory, std::vector<std::string>{"."});
    EXPECT_EQ(settings_.options.templateHistory.size(), 4u);
    EXPECT_EQ(settings_.session.currentTemplate, "$a-$t");
}

TEST_F(SettingsFileTest, SecondStartOverUnchangedFileChangesNothing) {
    Start();
    Saved();
    ProgramState again;
    LoadSettings(again, path());
    ASSERT_TRUE(SaveSettings(again, path()));
    EXPECT_EQ(ReadWholeFile(path()), kDefaultFile);
    EXPECT_EQ(again.options.templateHistory.size(), 4u);
}

TEST_F(SettingsFileTest, FlagsAreTrueOnlyForTrueInAnyCase) {
    StartWith(
        "[GENERAL]\nCreatem3u=yes\nAutocddb=TRUE\nAutocheck=false\nOverwrite=1\n"
        "Makesound=tRuE\n");
    EXPECT_EQ(settings_.options.Createm3u, 0);
    EXPECT_EQ(settings_.options.Autocddb, 1);
    EXPECT_EQ(settings_.options.Autocheck, 0);
    EXPECT_EQ(settings_.options.Overwrite, 0);
    EXPECT_EQ(settings_.options.Makesound, 1);
}

TEST_F(SettingsFileTest, EncoderNames) {
    StartWith("[GENERAL]\nEncoder=WAV\n");
    EXPECT_EQ(settings_.options.Encoder, kEncoderWav);
    EXPECT_EQ(settings_.options.WAVEncoder, kEncoderMp3);  // no WAVEncoder key: stays MP3

    StartWith("[GENERAL]\nEncoder=ogg\nWAVEncoder=WAV\n");
    EXPECT_EQ(settings_.options.Encoder, kEncoderOgg);
    EXPECT_EQ(settings_.options.WAVEncoder, kEncoderWav);

    StartWith("[GENERAL]\nEncoder=Wma\nWAVEncoder=aiff\n");
    EXPECT_EQ(settings_.options.Encoder, kEncoderWma);
    EXPECT_EQ(settings_.options.WAVEncoder, kEncoderWav);  // unknown names mean WAV

    StartWith("[GENERAL]\nEncoder=FLAC\nWAVEncoder=opus\n");
    EXPECT_EQ(settings_.options.Encoder, kEncoderFlac);
    EXPECT_EQ(settings_.options.WAVEncoder, kEncoderOpus);
}

// The "Convert files" choices: no section until the dialog has stored them (the default file
// above has none), then read back as written.
TEST_F(SettingsFileTest, ConvertChoicesAreWrittenOnceUsedAndReadBack) {
    Start();
    settings_.options.convert = {kEncoderOpus, "/music/phone", 1, 1, 1};
    const std::string saved = Saved();
    EXPECT_NE(saved.find("\n[CONVERT]\nEncoder=OPUS\nOutfolder=/music/phone\nKeepTree=True\n"
                         "SkipExisting=True\nCheckSignatures=True\n"),
              std::string::npos);
    Start();
    EXPECT_EQ(settings_.options.convert, (ConvertChoices{kEncoderOpus, "/music/phone", 1, 1, 1}));
}

TEST_F(SettingsFileTest, DecimalsTakeTheLeadingDigits) {
    StartWith(
        "[GENERAL]\nCdrom=2 drives\nJitter=x2\nMenustyle=-4\n[CDDB]\nPort=99999999999\n"
        "Proxyport=\n");
    EXPECT_EQ(settings_.options.Cdrom, 2);
    EXPECT_EQ(settings_.options.Jitter, 0);
    EXPECT_EQ(settings_.options.Menustyle, -4);
    EXPECT_EQ(settings_.options.Port, 80);  // no port numbers: the defaults
    EXPECT_EQ(settings_.options.Proxyport, 80);
}

TEST_F(SettingsFileTest, NumbersOutOfRangeAreBroughtIntoItAsTheyAreRead) {
    struct Case {
        const char* file;
        int32_t Options::*field;
        int32_t expected;
    };
    const Case cases[] = {
        {"[SECURE]\nReadOffset=5000\n", &Options::ReadOffset, 3000},
        {"[SECURE]\nReadOffset=-99999\n", &Options::ReadOffset, -3000},
        {"[SECURE]\nRetries=0\n", &Options::Retries, 1},
        {"[SECURE]\nRetries=100000\n", &Options::Retries, 100},
        {"[SECURE]\nArPort=70000\n", &Options::ArPort, 80},
        {"[GENERAL]\nJitter=99\n", &Options::Jitter, 1},  // no such mode: the default
        {"[GENERAL]\nJitter=-1\n", &Options::Jitter, 1},
        {"[GENERAL]\nJitter=3\n", &Options::Jitter, 3},
        {"[GENERAL]\nEncoderThreads=-5\n", &Options::EncoderThreads, 0},
        {"[GENERAL]\nEncoderThreads=1000\n", &Options::EncoderThreads, 64},
        {"[CDDB]\nPort=0\n", &Options::Port, 80},
    };
    for (const Case& c : cases) {
        StartWith(c.file);
        EXPECT_EQ(settings_.options.*c.field, c.expected) << c.file;
    }
    StartWith("[ID3]\nGenre=500\n");
    EXPECT_EQ(settings_.disc.Genre, 0);
    StartWith(
        "[OGG]\nVbr=99\n[MP3]\nVbrquality=-3\n[FLAC]\nLevel=12\n[OPUS]\nBitrate=2\n"
        "Complexity=11\n[MUSICBRAINZ]\nPort=-443\n");
    EXPECT_EQ(settings_.options.formats.ogg.vbr, 20);
    EXPECT_EQ(settings_.options.formats.mp3.vbrQuality, 0);
    EXPECT_EQ(settings_.options.formats.flac.level, 8);
    EXPECT_EQ(settings_.options.formats.opus.bitrate, 6);
    EXPECT_EQ(settings_.options.formats.opus.complexity, 10);
    EXPECT_EQ(settings_.options.musicBrainz.Port, 443);
    // What is used is what the file gets back.
    EXPECT_NE(Saved().find("[FLAC]\nLevel=8\n"), std::string::npos);
}

TEST_F(SettingsFileTest, SampleRatesAndSizes) {
    StartWith(
        "[WAV]\nSamplerate=22050\nSamplebits=24\n[OGG]\nSamplerate=48000\n"
        "[MP3]\nSamplerate=32000\n[WMA]\nSamplerate=44100\n");
    EXPECT_EQ(settings_.options.formats.wav.samplerateIndex, 0);
    EXPECT_EQ(settings_.options.formats.wav.samplebitsIndex, 1);
    EXPECT_EQ(settings_.options.formats.ogg.samplerateIndex, 3);
    EXPECT_EQ(settings_.options.formats.mp3.samplerateIndex, 1);
    EXPECT_EQ(settings_.options.formats.wma.samplerateIndex, 2);
    const auto text = Saved();
    // Keys already in the file keep their places; missing ones follow them.
    EXPECT_NE(text.find("[WAV]\nSamplerate=0\nSamplebits=16\nChannels=Stereo\n"),
              std::string::npos);

    StartWith("[WAV]\nSamplebits=8\n");
    EXPECT_EQ(settings_.options.formats.wav.samplebitsIndex, 0);
}

TEST_F(SettingsFileTest, BitRatesOutsideTheirTableFallBack) {
    StartWith(
        "[MP3]\nCbr=100\nVbrmax=320\n[WMA]\nBitrate=5\n[OGG]\nCbr=500\nNomimalbbr=192\n"
        "Minbbr=160\nMaxbbr=350\n");
    EXPECT_EQ(settings_.options.formats.mp3.cbrIndex, 8);  // 128 kbit/s
    EXPECT_EQ(settings_.options.formats.mp3.vbrMaxIndex, 13);
    EXPECT_EQ(settings_.options.formats.wma.bitrateIndex, 6);  // 96 kbit/s
    EXPECT_EQ(settings_.options.formats.ogg.cbrIndex, 0);      // 128 kbit/s
    EXPECT_EQ(settings_.options.formats.ogg.nominalBbrIndex, 2);
    EXPECT_EQ(settings_.options.formats.ogg.minBbrIndex, 1);
    EXPECT_EQ(settings_.options.formats.ogg.maxBbrIndex, 4);
    const auto text = Saved();
    EXPECT_NE(text.find("[MP3]\nCbr=128\nVbrmax=320\n"), std::string::npos);
    EXPECT_NE(text.find("\nBitrate=96\n"), std::string::npos);
}

TEST_F(SettingsFileTest, PresetNamesInAnyCase) {
    StartWith("[MP3]\nMpegquality=fAST sTANDARD\n");
    EXPECT_EQ(settings_.options.formats.mp3.presetIndex, 7);
    EXPECT_NE(Saved().find("Mpegquality=Fast standard\n"), std::string::npos);

    StartWith("[MP3]\nMpegquality=Loud\n");
    EXPECT_EQ(settings_.options.formats.mp3.presetIndex, 0);
    EXPECT_NE(Saved().find("Mpegquality=Normal\n"), std::string::npos);
}

TEST_F(SettingsFileTest, ChannelNames) {
    StartWith(
        "[OGG]\nChannels=5.1\n[MP3]\nChannels=jstereo\n[WAV]\nChannels=MONO\n"
        "[WMA]\nChannels=quad\n");
    EXPECT_EQ(settings_.options.formats.ogg.channels, 2);
    EXPECT_EQ(settings_.options.formats.mp3.channels, 2);
    EXPECT_EQ(settings_.options.formats.wav.channels, 0);
    EXPECT_EQ(settings_.options.formats.wma.channels, 1);

    // WAV and WMA have no third mode: the stereo names of other formats mean stereo there.
    StartWith("[WAV]\nChannels=JStereo\n[WMA]\nChannels=5.1\n");
    EXPECT_EQ(settings_.options.formats.wav.channels, 1);
    EXPECT_EQ(settings_.options.formats.wma.channels, 1);
    const auto text = Saved();
    EXPECT_NE(text.find("[WAV]\nChannels=Stereo\n"), std::string::npos);
    EXPECT_NE(text.find("[WMA]\nChannels=Stereo\n"), std::string::npos);
}

TEST_F(SettingsFileTest, TextsAreCutAt255Characters) {
    StartWith("[ID3]\nArtist=" + std::string(400, 'a') + "\n");
    EXPECT_EQ(settings_.disc.Artist, std::string(255, 'a'));
}

TEST_F(SettingsFileTest, EmptyOutfolderIsUsedAsDotButKeptEmptyInTheHistory) {
    StartWith("[GENERAL]\nOutfolder=\nTmpfolder=\n");
    EXPECT_EQ(settings_.options.Outfolder, ".");
    EXPECT_EQ(settings_.options.Tmpfolder, ".");
    EXPECT_EQ(settings_.options.folderHistory, std::vector<std::string>{""});
    const auto text = Saved();
    EXPECT_NE(text.find("\nOutfolder=\n"), std::string::npos);
    EXPECT_NE(text.find("\nTmpfolder=.\n"), std::string::npos);
}

TEST_F(SettingsFileTest, OutfolderIsSavedFromTheHistory) {
    StartWith("[GENERAL]\nOutfolder=/music\n");
    EXPECT_EQ(settings_.options.Outfolder, "/music");
    EXPECT_EQ(settings_.options.folderHistory, std::vector<std::string>{"/music"});
    settings_.options.folderHistory = {"/rips", "/music"};
    EXPECT_NE(Saved().find("\nOutfolder=/rips\n"), std::string::npos);
    EXPECT_EQ(settings_.options.Outfolder, "/rips");

    settings_.options.folderHistory.clear();  // an empty history leaves Outfolder as it is
    settings_.options.Outfolder = "/other";
    EXPECT_NE(Saved().find("\nOutfolder=/other\n"), std::string::npos);
}

TEST_F(SettingsFileTest, NewTemplatesGoToTheFrontOfTheHistory) {
    StartWith("[GENERAL]\nTemplate01=A\nTemplate02=B\nTemplate03=C\nTemplate04=D\n");
    EXPECT_EQ(settings_.options.templateHistory,
              (std::vector<std::string>{"D", "C", "B", "A", "$a-$t", "$n-$t", "$l-$n-$t",
                                        "$a-$l-$n-$t"}));
    EXPECT_EQ(settings_.session.currentTemplate, "$a-$t");  // never read from the file
    const auto text = Saved();
    EXPECT_NE(text.find("Template01=D\nTemplate02=C\nTemplate03=B\nTemplate04=A\n"),
              std::string::npos);
}

TEST_F(SettingsFileTest, KnownTemplatesAreNotRepeated) {
    // Template01 is new; a missing Template02 then defaults to entry 1, an old template.
    StartWith("[GENERAL]\nTemplate01=$t\nTemplate03=$n-$t\nTemplate04=$t\n");
    EXPECT_EQ(settings_.options.templateHistory,
              (std::vector<std::string>{"$t", "$a-$t", "$n-$t", "$l-$n-$t", "$a-$l-$n-$t"}));
}

TEST_F(SettingsFileTest, PasswordIsStoredOnlyWhenAskedFor) {
    Start();
    settings_.options.Username = "me";
    settings_.options.Password = "secret";
    EXPECT_NE(Saved().find("\nPassword=\nSavepasswd=False\n"), std::string::npos);
    EXPECT_EQ(settings_.options.Password, "secret");  // still there for this session

    settings_.options.Savepasswd = 1;
    EXPECT_NE(Saved().find("\nPassword=secret\nSavepasswd=True\n"), std::string::npos);
    ProgramState again;
    LoadSettings(again, path());
    EXPECT_EQ(again.options.Password, "secret");
}

// A saved proxy password is for the user's eyes only: a new settings file is the user's alone,
// and a file the user gave another mode keeps it.
TEST_F(SettingsFileTest, NewFileIsTheUsersAloneAndAnOldOneKeepsItsMode) {
    using std::filesystem::perms;
    const std::pair<perms, perms> cases[] = {{perms::none, perms(0600)},  // none: no file yet
                                             {perms(0644), perms(0644)},
                                             {perms(0664), perms(0664)}};
    for (const auto& [before, after] : cases) {
        std::filesystem::remove(path());
        if (before != perms::none) {
            WriteWholeFile(path(), "[CDDB]\n");
            std::filesystem::permissions(path(), before);
        }
        Start();
        settings_.options.Savepasswd = 1;
        settings_.options.Password = "secret";
        ASSERT_TRUE(SaveSettings(settings_, path()));
        EXPECT_EQ(std::filesystem::status(path()).permissions(), after) << static_cast<int>(before);
    }
}

TEST_F(SettingsFileTest, RoundTripKeepsEveryValue) {
    // A hand-edited file: other order, other case, CRLF, comments and a key of nobody's.
    const std::string original =
        "; written by hand\r\n[cddb]\r\nServer=cddb.example.org\r\nPort=8880\r\n"
        "Useproxy=True\r\nProxyserver=proxy\r\nProxyport=3128\r\nUsername=u\r\n"
        "Password=p w\r\nSavepasswd=True\r\nQuery=/cgi\r\n"
        "[GENERAL]\r\nEncoder=OGG\r\nCdrom=1\r\nCreatem3u=True\r\nAutocddb=True\r\n"
        "Autocheck=False\r\nJitter=2\r\nOverwrite=False\r\nRipInFolder=True\r\n"
        "Makesound=True\r\nOutfolder=/home/u/Music Rips\r\nTmpfolder=/tmp\r\nMenustyle=1\r\n"
        "WAVEncoder=WMA\r\nTemplate01=$n $t\r\nExtra=kept\r\n"
        "[WAV]\r\nChannels=Mono\r\nSamplerate=32000\r\nSamplebits=8\r\n"
        "[OGG]\r\nChannels=5.1\r\nSamplerate=48000\r\nUsecbr=True\r\nUsebbr=True\r\n"
        "Usevbr=False\r\nCbr=350\r\nNomimalbbr=192\r\nMinbbr=160\r\nMaxbbr=256\r\nVbr=4\r\n"
        "[MP3]\r\nChannels=JStereo\r\nSamplerate=44100\r\nCbr=320\r\nUsevbr=True\r\n"
        "Mpegquality=Studio\r\nVbrmax=256\r\nVbrquality=7\r\n"
        "[WMA]\r\nChannels=Mono\r\nSamplerate=48000\r\nBitrate=160\r\n"
        "[ID3]\r\nUseid3=False\r\nArtist= Spaced Out \r\nAlbum=Ünïcödé\r\nYear=1999\r\n"
        "Genre=18\r\n";
    StartWith(original);
    const std::string saved = Saved();
    EXPECT_NE(saved.find("; written by hand\r\n"), std::string::npos);
    EXPECT_NE(saved.find("Extra=kept\r\n"), std::string::npos);

    // Loading the written file gives the same record, and writing that changes nothing.
    ProgramState again;
    LoadSettings(again, path());
    EXPECT_EQ(again.options.formats, settings_.options.formats);
    EXPECT_EQ(again.options.templateHistory, settings_.options.templateHistory);
    EXPECT_EQ(again.options.Outfolder, "/home/u/Music Rips");
    EXPECT_EQ(again.disc.Artist, "Spaced Out");  // blanks around a value are not part of it
    EXPECT_EQ(again.disc.Album, "Ünïcödé");
    EXPECT_EQ(again.options.Password, "p w");
    ASSERT_TRUE(SaveSettings(again, path()));
    EXPECT_EQ(ReadWholeFile(path()), saved);

    EXPECT_EQ(settings_.options.Encoder, kEncoderOgg);
    EXPECT_EQ(settings_.options.WAVEncoder, kEncoderWma);
    EXPECT_EQ(settings_.options.Jitter, 2);
    EXPECT_EQ(settings_.options.formats.ogg, (OggFormat{3, 2, 1, 1, 0, 4, 1, 2, 3, 4}));
    EXPECT_EQ(settings_.options.formats.mp3, (Mp3Format{2, 2, 13, 1, 7, 12, 22}));
    EXPECT_EQ(settings_.options.formats.wav, (WavFormat{1, 0, 0}));
    EXPECT_EQ(settings_.options.formats.wma, (WmaFormat{3, 0, 8}));
    EXPECT_EQ(settings_.disc.Genre, 18);
    EXPECT_EQ(settings_.options.Port, 8880);
    EXPECT_EQ(settings_.options.Query, "/cgi");
}

TEST_F(SettingsFileTest, UnwritableFileIsReportedAndChangesNothingInMemory) {
    Start();
    settings_.disc.Artist = "A";
    WriteWholeFile(dir_.File("folder"), "");
    EXPECT_FALSE(SaveSettings(settings_, dir_.File("folder/dt.ini")));
    EXPECT_EQ(settings_.disc.Artist, "A");
}

TEST_F(SettingsFileTest, AFailedSaveLeavesTheOldFileOrTheNewOneAndNothingBeside) {
    struct Fault {
        const char* name;
        platform::WriteFaults faults;
        bool saved;    // what SaveSettings says
        bool newText;  // the new text is there (whole) afterwards, else the old one
    };
    const Fault table[] = {
        {"folder without write permission", {"dt.ini", -1, false, true}, true, true},
        {"disk full", {"dt.ini", 300, false, false}, false, false},
        {"disk full, folder without write permission", {"dt.ini", 300, false, true}, false, false},
        {"nothing written at all", {"dt.ini", 0, false, false}, false, false},
        // Written whole, but the system could not promise it: told as a failure.
        {"close fails", {"dt.ini", -1, true, false}, false, true},
    };
    for (const Fault& fault : table) {
        WriteWholeFile(path(), "; mine\n[GENERAL]\nEncoder=WAV\n");
        Start();
        const std::string before = Saved();
        settings_.disc.Artist = "Someone new";
        platform::InjectWriteFaults(fault.faults);
        const bool saved = SaveSettings(settings_, path());
        platform::InjectWriteFaults(std::nullopt);
        EXPECT_EQ(saved, fault.saved) << fault.name;
        const std::string after = ReadWholeFile(path());
        if (after != before) {
            EXPECT_EQ(after, Saved()) << fault.name << ": neither the old text nor the new";
        }
        EXPECT_EQ(after != before, fault.newText) << fault.name;
        for (const auto& entry : std::filesystem::directory_iterator(dir_.path())) {
            EXPECT_EQ(entry.path().filename(), "dt.ini") << fault.name;
        }
    }
}

// The read offsets saved per drive: a key per drive in section OFFSETS, read back as written; a
// line that is not an offset is left out of the records and left in the file.
TEST_F(SettingsFileTest, DriveOffsetsRoundTrip) {
    StartWith("[OFFSETS]\nHL-DT-ST / DVDRAM GH24NSD1 / 1.00=6 database\nBAD / DRIVE / 1=six\n");
    EXPECT_EQ(settings_.options.driveOffsets,
              (std::map<std::string, DriveReadOffset>{
                  {"HL-DT-ST / DVDRAM GH24NSD1 / 1.00", {6, OffsetSource::driveDatabase}}}));
    settings_.options.driveOffsets["PLEXTOR / CD-R PX-W4012A / 1.04"] = {-472,
                                                                         OffsetSource::detected};
    const std::string saved = Saved();
    EXPECT_NE(saved.find("BAD / DRIVE / 1=six\n"), std::string::npos);
    EXPECT_NE(saved.find("PLEXTOR / CD-R PX-W4012A / 1.04=-472 detected\n"), std::string::npos);
    ProgramState again;
    LoadSettings(again, path());
    EXPECT_EQ(again.options.driveOffsets, settings_.options.driveOffsets);
}

// Every stored key away from its default, set in memory and written to a new file: the bytes must
// be those that tests/data/settings/every_key.ini holds, which the program wrote before its
// records were split, so a file written by one version reads the same in the other.
TEST_F(SettingsFileTest, WrittenFileIsByteForByteTheStoredOne) {
    ProgramState& s = settings_;
    s.options.Encoder = kEncoderFlac;
    s.options.Cdrom = 2;
    s.options.Createm3u = s.options.Autocddb = s.options.RipInFolder = s.options.Makesound = 1;
    s.options.EjectWhenDone = 1;
    s.options.Autocheck = s.options.Overwrite = 0;
    s.options.Jitter = 3;
    s.options.folderHistory = {"/music/rips", "/old"};
    s.options.Tmpfolder = "/var/tmp";
    s.options.Menustyle = 2;
    s.options.WAVEncoder = kEncoderOpus;
    s.options.templateHistory = {"$n $t", "$a/$l/$n"};
    s.options.EncoderThreads = 3;
    s.options.ImageFile = 1;
    s.options.formats.wav = WavFormat{2, 0, 0};
    s.options.formats.ogg = OggFormat{3, 0, 1, 1, 0, 4, 2, 1, 4, 13};
    s.options.formats.mp3 = Mp3Format{1, 2, 12, 1, 3, 13, 2};
    s.options.formats.wma = WmaFormat{1, 0, 4};
    s.options.formats.flac = FlacFormat{8, 0};
    s.options.formats.opus = OpusFormat{96, 2, 7};
    s.options.Useid3 = s.options.Id3v2 = s.options.ReplayGain = 0;
    s.options.Id3v23 = 1;
    s.disc.Artist = "Ärtist & Co";
    s.disc.Album = "Album = Title";
    s.disc.Year = "1987";
    s.disc.Genre = 18;
    s.disc.DiscId = "a50e0c0d";
    s.disc.DiscNumber = 2;
    s.disc.DiscTotal = 3;
    s.options.Server = "cddb.example.org";
    s.options.Query = "/cgi";
    s.options.Port = 8880;
    s.options.Useproxy = 1;
    s.options.Proxyserver = "proxy";
    s.options.Proxyport = 3128;
    s.options.Username = "user";
    s.options.Password = "secret";
    s.options.Savepasswd = 1;
    s.options.Email = "me@example.org";
    s.options.musicBrainz = {0, "mb.example.org", 5000, 0, 0, "covers.example.org"};
    s.options.ReadOffset = 667;
    s.options.Retries = 7;
    s.options.TestAndCopy = 1;
    s.options.AccurateRip = 0;
    s.options.ArServer = "ar.example.org";
    s.options.ArPort = 8081;
    s.options.Ctdb = 0;
    s.options.CtdbServer = "ctdb.example.org:8082";
    s.options.WriteLog = s.options.WriteCue = 0;
    s.options.window = {10, 20, 900, 600, 1, "30,200,60"};
    EXPECT_EQ(Saved(), ReadWholeFile(std::string(DISCTROVE_TEST_DATA) + "/settings/every_key.ini"));
}

}  // namespace
}  // namespace disctrove
