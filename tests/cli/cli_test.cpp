// disctrove-cli driven as a user drives it: real processes, real files, real exit codes.
#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "app/version.h"
#include "disc/musicbrainz_lookup.h"
#include "platform/cdrom/simulated_disc.h"
#include "support/audio_files.h"
#include "support/scoped_environment.h"
#include "support/temp_dir.h"
#include "tools/accuraterip_server.h"
#include "tools/cddb_server.h"
#include "tools/cue_image.h"
#include "tools/music.h"
#include "tools/musicbrainz_server.h"

namespace disctrove {
namespace {

namespace fs = std::filesystem;
using testing::ReadWholeFile;
using testing::RunCommand;
using testing::TempDir;
using testing::WriteWholeFile;

struct CliRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

std::string Quoted(const std::string& text) {
    std::string quoted = "'";
    for (const char c : text) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

// A settings file a user might have, kept byte for byte: the program never writes it.
const char* const kUserSettings =
    "; my settings\r\n[GENERAL]\r\nEncoder=WAV\r\nOverwrite=True\r\nTmpfolder=%TMP%\r\n"
    "Template01=$n-$t\r\n[CDDB]\r\nServer=127.0.0.1\r\n[SECURE]\r\nAccurateRip=False\r\nCtdb="
    "False\r\n"
    "[MUSICBRAINZ]\r\nServer=127.0.0.1\r\nPort=1\r\nHttps=False\r\n";  // nobody answers there

class CliTest : public ::testing::Test {
  protected:
    void SetUp() override {
        fs::create_directories(out_);
        fs::create_directories(tmp_);
        std::string settings = kUserSettings;
        settings.replace(settings.find("%TMP%"), 5, tmp_);
        WriteWholeFile(ini_, settings);
        settingsBefore_ = ReadWholeFile(ini_);
    }
    void TearDown() override {
        EXPECT_EQ(ReadWholeFile(ini_), settingsBefore_) << "the settings file was written";
    }

    // Runs disctrove-cli with the test's settings file and `arguments`; no terminal.
    CliRun Run(const std::vector<std::string>& arguments, bool withSettings = true) {
        std::string command = Quoted(DISCTROVE_CLI);
        if (withSettings) {
            command +=
                " --settings " + Quoted(ini_) + " --set " + Quoted("GENERAL/Outfolder=" + out_);
        }
        for (const std::string& argument : arguments) {
            command += " " + Quoted(argument);
        }
        const std::string outFile = dir_.File("stdout");
        const std::string errFile = dir_.File("stderr");
        CliRun run;
        run.exitCode =
            RunCommand(command + " </dev/null >" + Quoted(outFile) + " 2>" + Quoted(errFile));
        run.out = ReadWholeFile(outFile);
        run.err = ReadWholeFile(errFile);
        return run;
    }
    std::string Image(const std::vector<testing::ImageTrack>& tracks) {
        return testing::MakeCueImage(dir_.path(), "disc", tracks);
    }
    std::string Simcd(const std::string& statements) {
        const std::string path = dir_.File("disc.simcd");
        WriteWholeFile(path, statements);
        return path;
    }
    std::string SimulatedAudio(int64_t firstSector, int64_t sectors) {
        std::string audio(static_cast<size_t>(sectors) * 2352, '\0');
        platform::FillSimulatedAudio(firstSector * 588, sectors * 588,
                                     reinterpret_cast<uint8_t*>(audio.data()));
        return audio;
    }

    TempDir dir_;
    std::string out_ = dir_.File("out");
    std::string tmp_ = dir_.File("tmp");
    std::string ini_ = dir_.File("dt.ini");
    std::string settingsBefore_;
};

// The MusicBrainz disc ID that python3-libdiscid computes: first and last track, lead-out and
// track frame addresses (with the 150-frame lead-in), separated by spaces.
std::string LibdiscidId(const std::string& toc) {
    return testing::CommandOutput(
        "/usr/bin/python3 -c 'import libdiscid; t = [int(x) for x in \"" + toc +
        "\".split()]; print(libdiscid.put(t[0], t[1], t[2], t[3:]).id, end=\"\")'");
}

TEST_F(CliTest, DrivesAndTableOfContents) {
    const std::string cue = Image({{true, 1000}, {false, 3000}, {false, 2000}});
    const std::string sim = Simcd("track audio 75\n");
    const CliRun drives = Run({"--image", cue, "--image", sim, "drives"});
    ASSERT_EQ(drives.exitCode, 0) << drives.err;
    EXPECT_NE(drives.out.find("\t" + cue + "\n"), std::string::npos) << drives.out;
    EXPECT_TRUE(drives.out.ends_with("\t" + sim + "\n"));

    const CliRun toc = Run({"--image", cue, "toc"});
    ASSERT_EQ(toc.exitCode, 0) << toc.err;
    EXPECT_EQ(toc.out.substr(0, 7), "DISCID ");
    // AccurateRip leaves the data track out: 1000 + 4000 + 6000, 1000 + 4000×2 + 6000×3.
    // MusicBrainz counts a data track that comes first.
    EXPECT_EQ(toc.out.substr(15),
              "\nACCURATERIP\t002-00002af8-00006978-" + toc.out.substr(7, 8) + "\nMUSICBRAINZ\t" +
                  LibdiscidId("1 3 6150 150 1150 4150") +
                  "\n1\tTrack 01\t1000\t3000\t00:40\n2\tTrack 02\t4000\t2000\t00:26\n");

    const CliRun empty = Run({"--image", Simcd("# no tracks\n"), "toc"});
    EXPECT_EQ(empty.exitCode, 1);
    EXPECT_NE(empty.err.find("Error reading TOC"), std::string::npos);
}

// An image of WAV or FLAC files opens as the .bin image it was made from: one WAV a track (track
// 2's pregap at the start of its file), one FLAC with its sheet beside it, and that FLAC alone
// with the sheet inside (flac --cuesheet). Each has the same IDs, and rips (track 2 among them),
// plainly and securely, to the same bytes and CUE sheet. A missing file, or audio no CD holds,
// is refused with the reason.
TEST_F(CliTest, ImagesOfWavAndFlacFilesOpenAsTheDiscTheyHold) {
    const std::string cue = testing::MakeCueImage(
        dir_.path(), "disc", {{false, 300}, {false, 450, 75, "USXYZ0000002"}, {false, 301}},
        "1234567890123");
    const std::string bin = dir_.File("disc.bin");
    const std::string audio = ReadWholeFile(bin);
    const std::string rawFormat = " -t raw -r 44100 -e signed -b 16 -c 2 -L ";
    auto wav = [&](const std::string& name, size_t first, size_t sectors) {
        WriteWholeFile(dir_.File("part.raw"), audio.substr(first * 2352, sectors * 2352));
        return RunCommand("sox" + rawFormat + Quoted(dir_.File("part.raw")) + " " +
                          Quoted(dir_.File(name)));
    };
    fs::create_directories(dir_.File("tracks"));
    ASSERT_EQ(
        wav("tracks/1.wav", 0, 300) + wav("tracks/2.wav", 300, 450) + wav("tracks/3.wav", 750, 301),
        0);
    WriteWholeFile(dir_.File("tracks/disc.cue"),
                   "CATALOG 1234567890123\nFILE \"1.wav\" WAVE\n  TRACK 01 AUDIO\n"
                   "    INDEX 01 00:00:00\nFILE \"2.wav\" WAVE\n  TRACK 02 AUDIO\n"
                   "    ISRC USXYZ0000002\n    INDEX 00 00:00:00\n    INDEX 01 00:01:00\n"
                   "FILE \"3.wav\" WAVE\n  TRACK 03 AUDIO\n    INDEX 01 00:00:00\n");
    fs::create_directories(dir_.File("whole"));
    const std::string flac =
        "flac -s --force-raw-format --endian=little --sign=signed "
        "--channels=2 --bps=16 --sample-rate=44100 ";
    ASSERT_EQ(RunCommand(flac + Quoted(bin) + " -o " + Quoted(dir_.File("whole/disc.flac"))), 0);
    std::string sheet = ReadWholeFile(cue);
    sheet.replace(sheet.find("\"disc.bin\" BINARY"), 17, "\"disc.flac\" WAVE");
    WriteWholeFile(dir_.File("whole/disc.cue"), sheet);
    ASSERT_EQ(RunCommand(flac + "--cuesheet=" + Quoted(cue) + " " + Quoted(bin) + " -o " +
                         Quoted(dir_.File("album.flac"))),
              0);

    // The tracks ripped to WAV and the rip's CUE sheet.
    auto ripped = [this](const std::string& image, bool secure) {
        fs::remove_all(out_);
        std::vector<std::string> arguments = {"--image", image, "rip", "--encoder", "wav"};
        if (secure) {
            arguments.push_back("--secure");
        }
        const CliRun rip = Run(arguments);
        EXPECT_EQ(rip.exitCode, 0) << image << "\n" << rip.err;
        std::map<std::string, std::string> files;
        for (const auto& entry : fs::directory_iterator(out_)) {
            const std::string kind = entry.path().extension().string();
            if (kind == ".wav" || kind == ".cue") {
                files[entry.path().filename().string()] = ReadWholeFile(entry.path());
            }
        }
        EXPECT_EQ(files.size(), 4u) << rip.out;
        return files;
    };
    const CliRun toc = Run({"--image", cue, "toc"});
    ASSERT_EQ(toc.exitCode, 0) << toc.err;
    const auto reference = ripped(cue, false);
    const std::string& ripSheet = std::prev(reference.end())->second;  // ".cue" after ".wav"
    ASSERT_NE(ripSheet.find("CATALOG 1234567890123\n"), std::string::npos) << ripSheet;
    ASSERT_NE(ripSheet.find("    INDEX 00 00:04:00\nFILE \"-Track 02.wav\" WAVE\n    INDEX 01 "
                            "00:00:00\n"),
              std::string::npos)
        << ripSheet;
    ASSERT_NE(ripSheet.find("ISRC USXYZ0000002\n"), std::string::npos) << ripSheet;
    for (const std::string& image :
         {dir_.File("tracks/disc.cue"), dir_.File("whole/disc.cue"), dir_.File("album.flac")}) {
        const CliRun same = Run({"--image", image, "toc"});
        EXPECT_EQ(same.out, toc.out) << image << "\n" << same.err;
        EXPECT_TRUE(ripped(image, false) == reference) << image;
    }
    EXPECT_TRUE(ripped(dir_.File("album.flac"), true) == reference);
    EXPECT_TRUE(ripped(dir_.File("tracks/disc.cue"), true) == reference);

    ASSERT_EQ(
        RunCommand("sox -n -r 48000 -b 16 -c 2 " + Quoted(dir_.File("48k.wav")) + " trim 0 1"), 0);
    const std::vector<std::pair<std::string, std::string>> refusals = {
        {"gone.wav", "the file it names is missing: " + dir_.File("gone.wav")},
        {"48k.wav", dir_.File("48k.wav") + ": 48000 Hz, 16-bit, 2 channels; a CD holds 44100 Hz"},
    };
    for (const auto& [file, reason] : refusals) {
        WriteWholeFile(dir_.File("bad.cue"), "FILE \"" + file +
                                                 "\" WAVE\n  TRACK 01 AUDIO\n"
                                                 "    INDEX 01 00:00:00\n");
        const CliRun bad = Run({"--image", dir_.File("bad.cue"), "toc"});
        EXPECT_EQ(bad.exitCode, 2);
        EXPECT_NE(bad.err.find(reason), std::string::npos) << bad.err;
    }
    const CliRun bare = Run({"--image", dir_.File("whole/disc.flac"), "toc"});
    EXPECT_EQ(bare.exitCode, 2);
    EXPECT_NE(bare.err.find("holds no CUE sheet"), std::string::npos) << bare.err;
}

TEST_F(CliTest, LookupAgainstTheServer) {
    const std::string cue = Image({{false, 1000}, {false, 1500}});
    const std::string id = Run({"--image", cue, "toc"}).out.substr(7, 8);
    fs::create_directories(dir_.File("cddb/jazz"));
    WriteWholeFile(dir_.File("cddb/jazz/" + id),
                   "DISCID=" + id +
                       "\nDTITLE=Band / Record\nDYEAR=1959\nDGENRE=Jazz\n"
                       "TTITLE0=So What\nTTITLE1=Blue\x1b]0;x\x07\n");
    testing::CddbServer server(dir_.File("cddb"));
    const std::string port = "CDDB/Port=" + std::to_string(server.port());
    // The entry is cut by a reset halfway: nothing of it is printed, and the failure is named.
    server.SetResetMidAnswer("cddb read");
    const CliRun cut = Run({"--image", cue, "--set", port, "lookup"});
    EXPECT_EQ(cut.exitCode, 1) << cut.err;
    EXPECT_EQ(cut.out, "") << cut.err;
    EXPECT_NE(cut.err.find("CDDB: no whole answer"), std::string::npos) << cut.err;
    server.SetResetMidAnswer("");
    // Answered whole, the same look-up names the disc.
    const CliRun found = Run({"--image", cue, "--set", port, "lookup"});
    ASSERT_EQ(found.exitCode, 0) << found.err;
    EXPECT_EQ(found.out,
              "SOURCE\tcddb\nARTIST\tBand\nALBUM\tRecord\nYEAR\t1959\nGENRE\t9\tJazz\n"
              "TITLE\t1\tSo What\nTITLE\t2\tBlue ]0;x \n");  // no escape reaches the terminal

    const CliRun missing = Run({"--image", Image({{false, 500}}), "--set", port, "lookup"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_EQ(missing.out, "");
    // Which service knows the disc not, and where it can be added.
    EXPECT_NE(missing.err.find("This disc is not in CDDB, and MusicBrainz gave no answer.\n"
                               "Add it to MusicBrainz: http://musicbrainz.org/cdtoc/attach?id="),
              std::string::npos)
        << missing.err;
}

TEST_F(CliTest, LookupListsTheMusicBrainzReleasesAndTakesTheOneChosen) {
    const std::string cue = Image({{false, 18067}, {false, 5000}, {false, 77}});
    const std::string toc = Run({"--image", cue, "toc"}).out;
    const std::string discId = toc.substr(toc.find("MUSICBRAINZ\t") + 12, 28);
    testing::MusicBrainzServer server;
    const std::string path = "/ws/2/discid/" + discId + "?" + kMusicBrainzIncludes;
    server.Serve(path, 200, testing::MusicBrainzFixture("several.json", discId));
    auto lookup = [&](const std::vector<std::string>& options) {
        std::vector<std::string> arguments = {
            "--image", cue, "--set", "MUSICBRAINZ/Port=" + std::to_string(server.port()), "lookup"};
        arguments.insert(arguments.end(), options.begin(), options.end());
        return Run(arguments);
    };
    const CliRun second = lookup({"--release", "2"});
    ASSERT_EQ(second.exitCode, 0) << second.err;
    EXPECT_EQ(second.out,
              "SOURCE\tmusicbrainz\n"
              "RELEASE\t1\t11111111-0000-4000-8000-000000000001\tPortishead\tDummy\t1994-08-22\t"
              "GB\tGo! Beat\t828 522-2\tCD\n"
              "RELEASE\t2\t11111111-0000-4000-8000-000000000002\tPortishead\tDummy\t1995\tUS\t"
              "London Records\t\tEnhanced CD\n"
              "ARTIST\tPortishead\nALBUM\tDummy\nYEAR\t1995\nGENRE\t0\t\n"
              "TITLE\t1\tMysterons\nTITLE\t2\tSour Times\nTITLE\t3\tStrangers\n"
              "ALBUMARTIST\tPortishead\n");

    const CliRun beyond = lookup({"--release", "3"});
    EXPECT_EQ(beyond.exitCode, 2);
    EXPECT_NE(beyond.err.find("--release 3: the look-up found 2 releases"), std::string::npos);
    EXPECT_EQ(beyond.out, "");

    const size_t asked = server.Requests().size();
    EXPECT_EQ(lookup({"--source", "cddb"}).exitCode, 1);  // no CDDB server here
    EXPECT_EQ(server.Requests().size(), asked);

    server.Serve(path, 200, testing::MusicBrainzFixture("compilation.json", discId));
    const CliRun various = lookup({"--source", "musicbrainz"});
    ASSERT_EQ(various.exitCode, 0) << various.err;
    EXPECT_TRUE(various.out.ends_with(
        "ALBUMARTIST\tVarious Artists\nTRACKARTIST\t1\tDJ Eins feat. Zwei\nTRACKARTIST\t3\tDrei\n"))
        << various.out;

    server.Serve(path, 200, testing::MusicBrainzFixture("multidisc.json", discId));
    const CliRun set = lookup({"--source", "musicbrainz"});
    ASSERT_EQ(set.exitCode, 0) << set.err;
    EXPECT_NE(set.out.find("\nGENRE\t"), std::string::npos) << set.out;
    EXPECT_NE(set.out.find("\nDISC\t2\t2\nTITLE\t1\t"), std::string::npos) << set.out;
    EXPECT_EQ(various.out.find("\nDISC\t"), std::string::npos);  // one disc, no line

    // Control characters in names: each field stays on its own line, and no escape sequence
    // (7-bit or C1) reaches the terminal.
    std::string hostile = testing::MusicBrainzFixture("several.json", discId);
    for (size_t at = hostile.find("\"Mysterons\""); at != std::string::npos;
         at = hostile.find("\"Mysterons\"")) {
        hostile.replace(at, 11, "\"My\\nLOG\\t/x\\u001b[2J\\u009b1m\\rst\"");
    }
    server.Serve(path, 200, hostile);
    const CliRun named = lookup({"--release", "2"});
    ASSERT_EQ(named.exitCode, 0) << named.err;
    EXPECT_NE(named.out.find("\nTITLE\t1\tMy LOG /x [2J 1m st\nTITLE\t2\t"), std::string::npos)
        << named.out;
    EXPECT_EQ(named.out.find("\x1b"), std::string::npos);
    EXPECT_EQ(named.out.find("\xC2\x9B"), std::string::npos);
}

// The result lines of a rip without what it proves of each track (CRC, ACCURATERIP) and the
// paths of its log and CUE sheet.
std::string WithoutChecks(const std::string& out) {
    std::string kept;
    std::istringstream lines(out);
    for (std::string line; std::getline(lines, line);) {
        if (!line.starts_with("CRC\t") && !line.starts_with("ACCURATERIP\t") &&
            !line.starts_with("LOG\t") && !line.starts_with("CUE\t") &&
            !line.starts_with("REPLAYGAIN\t")) {
            kept += line + "\n";
        }
    }
    return kept;
}

TEST_F(CliTest, RipOfAnImageNamedByTheServer) {
    const std::string cue = Image({{false, 300}, {false, 200}, {false, 100}});
    const std::string id = Run({"--image", cue, "toc"}).out.substr(7, 8);
    fs::create_directories(dir_.File("cddb/rock"));
    WriteWholeFile(dir_.File("cddb/rock/" + id),
                   "DTITLE=Band / Record\nTTITLE0=One\nTTITLE1=Two\nTTITLE2=Three\n");
    testing::CddbServer server(dir_.File("cddb"));
    const CliRun rip =
        Run({"--image", cue, "--set", "CDDB/Port=" + std::to_string(server.port()), "rip", "1,3",
             "--lookup", "--template", "$n $a - $t", "--threads", "2"});
    ASSERT_EQ(rip.exitCode, 0) << rip.err;
    const std::string bin = ReadWholeFile(dir_.File("disc.bin"));
    char crc[64];
    std::snprintf(crc, sizeof crc, "CRC\t1\t%08lX\t-\n",
                  crc32(0, reinterpret_cast<const Bytef*>(bin.data()), 300 * 2352));
    EXPECT_EQ(WithoutChecks(rip.out), "1\tCompleted\t" + out_ +
                                          "/01 Band - One.wav\n3\tCompleted\t" + out_ +
                                          "/03 Band - Three.wav\n");
    EXPECT_NE(rip.out.find(crc), std::string::npos) << rip.out;
    // The sentence the window's bar says ends what the terminal says.
    EXPECT_TRUE(rip.err.ends_with("\n2 tracks ripped to " + out_ + "\n")) << rip.err;
    EXPECT_EQ(ReadWholeFile(out_ + "/01 Band - One.wav").substr(44), bin.substr(0, 300 * 2352));
    EXPECT_FALSE(fs::exists(out_ + "/02 Band - Two.wav"));
    EXPECT_TRUE(fs::is_empty(tmp_));
}

// The AccurateRip checksums of first, middle, last and only tracks, and of a disc that ends in
// a data track, against accuraterip-checksum on the WAV files of the rip.
TEST_F(CliTest, AccurateRipChecksumsAgreeWithAccurateripChecksum) {
    const std::vector<std::vector<testing::ImageTrack>> discs = {
        {{false, 1500}, {false, 800}, {false, 3100}},
        {{false, 2000}},
        {{false, 1200}, {false, 900}, {true, 600}},
    };
    for (const auto& disc : discs) {
        fs::remove_all(out_);
        const CliRun rip = Run({"--image", Image(disc), "rip", "--threads", "2"});
        ASSERT_EQ(rip.exitCode, 0) << rip.err;
        size_t audio = 0;
        for (const auto& track : disc) {
            audio += track.data ? 0 : 1;
        }
        for (size_t n = 1; n <= audio; ++n) {
            const std::string wav = out_ + "/-Track 0" + std::to_string(n) + ".wav";
            std::string expected = "ACCURATERIP\t" + std::to_string(n);
            for (const char* version : {"--accuraterip-v1", "--accuraterip-v2"}) {
                std::string sum = testing::CommandOutput(
                    "accuraterip-checksum " + std::string(version) + " " + Quoted(wav) + " " +
                    std::to_string(n) + " " + std::to_string(audio));
                sum.resize(8);
                std::transform(sum.begin(), sum.end(), sum.begin(),
                               [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
                expected += "\t" + sum;
            }
            EXPECT_NE(rip.out.find(expected + "\tunknown\t0\t0\n"), std::string::npos)
                << expected << "\n"
                << rip.out;
        }
    }
}

// accuraterip-checksum's v1 or v2 checksum of track `n` of `total` in a WAV file.
uint32_t PeerChecksum(const std::string& wav, const char* version, size_t n, size_t total) {
    return static_cast<uint32_t>(std::stoul(
        testing::CommandOutput("accuraterip-checksum " + std::string(version) + " " + Quoted(wav) +
                               " " + std::to_string(n) + " " + std::to_string(total)),
        nullptr, 16));
}

// A drive that reads 667 samples early, as a new user finds it: "offset find" finds +667 from a
// disc the database knows and saves it for the drive; the next rip reads with it, the log says
// where it came from, and every track is accurate. The database's checksums are the peer's, of
// the disc's audio at its true place.
TEST_F(CliTest, OffsetFoundSavedAndUsedByTheNextRip) {
    std::string statements = "drive TESTCO / OFFSET DRIVE / 1.0\noffset 667\n";
    for (int t = 0; t < 3; ++t) {
        statements += "track audio 600\n";
    }
    const std::string simcd = Simcd(statements);
    const std::string id = Run({"--image", simcd, "toc"}).out.substr(28, 30);
    ASSERT_EQ(Run({"--image", simcd, "rip", "--offset", "667"}).exitCode, 0);
    std::vector<testing::DbarPressing::Track> tracks;
    for (size_t n = 1; n <= 3; ++n) {
        const std::string wav = out_ + "/-Track 0" + std::to_string(n) + ".wav";
        std::string sector = ReadWholeFile(wav);
        const auto put32 = [&sector](size_t at, uint32_t value) {
            for (int i = 0; i < 4; ++i) {
                sector[at + static_cast<size_t>(i)] = static_cast<char>(value >> (8 * i));
            }
        };
        sector = sector.substr(0, 44) + sector.substr(44 + 450 * 2352, 2352);
        put32(4, 36 + 2352);
        put32(40, 2352);
        WriteWholeFile(dir_.File("450.wav"), sector);
        tracks.push_back({12, PeerChecksum(wav, "--accuraterip-v1", n, 3),
                          PeerChecksum(dir_.File("450.wav"), "--accuraterip-v1", 2, 3)});
    }
    const auto hex = [&id](size_t at) {
        return static_cast<uint32_t>(std::stoul(id.substr(at, 8), nullptr, 16));
    };
    testing::AccurateRipServer server;
    server.Serve("/accuraterip/" + id.substr(11, 1) + "/" + id.substr(10, 1) + "/" +
                     id.substr(9, 1) + "/dBAR-" + id + ".bin",
                 testing::DbarFile({{hex(4), hex(13), hex(22), tracks}}));
    const std::vector<std::string> database = {"--set", "SECURE/ArServer=127.0.0.1", "--set",
                                               "SECURE/ArPort=" + std::to_string(server.port())};
    std::vector<std::string> find = {"--image", simcd, "offset", "find"};
    find.insert(find.begin(), database.begin(), database.end());
    const CliRun found = Run(find);
    ASSERT_EQ(found.exitCode, 0) << found.out << found.err;
    EXPECT_NE(found.out.find("Offset +6: 0 of 3 tracks match at sector 450\nOffset +667: 3 of 3 "
                             "tracks match at sector 450\n"),
              std::string::npos)
        << found.out;
    EXPECT_NE(found.out.find("The drive's read offset is +667 (confidence 12, confirmed with 2 "
                             "tracks).\nSaved for TESTCO / OFFSET DRIVE / 1.0 in " +
                             ini_ + "\n"),
              std::string::npos)
        << found.out;
    const std::string saved = ReadWholeFile(ini_);
    EXPECT_EQ(saved,
              settingsBefore_ + "\r\n[OFFSETS]\r\nTESTCO / OFFSET DRIVE / 1.0=667 detected\r\n");
    settingsBefore_ = saved;  // what offset find writes, and nothing else does

    std::vector<std::string> rip = {"--image", simcd, "--set", "SECURE/AccurateRip=True", "rip"};
    rip.insert(rip.begin(), database.begin(), database.end());
    const CliRun ripped = Run(rip);
    ASSERT_EQ(ripped.exitCode, 0) << ripped.err;
    for (size_t n = 1; n <= 3; ++n) {
        char line[80];
        std::snprintf(line, sizeof line, "ACCURATERIP\t%zu\t%08x\t", n, tracks[n - 1].checksum);
        EXPECT_NE(ripped.out.find(line), std::string::npos) << ripped.out;
    }
    EXPECT_EQ(ripped.out.find("unknown"), std::string::npos) << ripped.out;
    EXPECT_EQ(ripped.out.find("inaccurate"), std::string::npos) << ripped.out;
    const size_t log = ripped.out.find("LOG\t");
    ASSERT_NE(log, std::string::npos);
    const std::string logPath = ripped.out.substr(log + 4, ripped.out.find('\n', log) - log - 4);
    EXPECT_NE(ReadWholeFile(logPath).find(
                  ": 667 samples (detected with a disc in AccurateRip, on this drive)\n"),
              std::string::npos);
}

// The database's pressing is cut N frames earlier or later than this disc (its checksums are the
// peer's, of a rip read N frames off): every track is still accurate, with its pressing offset,
// when the disc is ripped whole. A middle track ripped alone has no neighbour's audio to slide
// into and stays inaccurate.
TEST_F(CliTest, AnOffsetPressingIsAccurateWithItsOffset) {
    const std::string simcd = Simcd("track audio 600\ntrack audio 600\ntrack audio 600\n");
    const std::string id = Run({"--image", simcd, "toc"}).out.substr(28, 30);
    const auto hex = [&id](size_t at) {
        return static_cast<uint32_t>(std::stoul(id.substr(at, 8), nullptr, 16));
    };
    for (const int pressing : {12, -1234}) {
        ASSERT_EQ(Run({"--image", simcd, "rip", "--offset", std::to_string(pressing)}).exitCode, 0);
        std::vector<testing::DbarPressing::Track> tracks;
        for (size_t n = 1; n <= 3; ++n) {
            tracks.push_back({7,
                              PeerChecksum(out_ + "/-Track 0" + std::to_string(n) + ".wav",
                                           "--accuraterip-v1", n, 3),
                              0});
        }
        testing::AccurateRipServer server;
        server.Serve("/accuraterip/" + id.substr(11, 1) + "/" + id.substr(10, 1) + "/" +
                         id.substr(9, 1) + "/dBAR-" + id + ".bin",
                     testing::DbarFile({{hex(4), hex(13), hex(22), tracks}}));
        const auto rip = [&](const std::string& which) {
            return Run({"--image", simcd, "--set", "SECURE/ArServer=127.0.0.1", "--set",
                        "SECURE/ArPort=" + std::to_string(server.port()), "--set",
                        "SECURE/AccurateRip=True", "rip", which, "--offset", "0"});
        };
        const CliRun whole = rip("all");
        ASSERT_EQ(whole.exitCode, 0) << whole.err;
        const std::string offset = (pressing > 0 ? "+" : "") + std::to_string(pressing);
        size_t accurate = 0;
        for (size_t at = 0;
             (at = whole.out.find("\taccurate\t7\t" + offset + "\n", at)) != std::string::npos;
             ++at) {
            ++accurate;
        }
        EXPECT_EQ(accurate, 3u) << whole.out;
        const size_t log = whole.out.find("LOG\t");
        ASSERT_NE(log, std::string::npos);
        EXPECT_NE(ReadWholeFile(whole.out.substr(log + 4, whole.out.find('\n', log) - log - 4))
                      .find("Accurately ripped (confidence 7), pressing offset " + offset + "\n"),
                  std::string::npos);
        EXPECT_NE(rip("2").out.find("\tinaccurate\t7\t0\n"), std::string::npos);
    }
}

// The CUETools database's verdicts on a rip, per track and for the whole disc, beside
// AccurateRip's. The database's checksums are plain CRC-32s of the WAV files' audio, computed
// here: the disc's without its first ten sectors and its last ten plus the rest of a ten-sector
// block; each track's the part of that in it.
TEST_F(CliTest, CtdbSaysAccurateDiffersOrNotPresent) {
    const std::string simcd = Simcd("track audio 600\ntrack audio 700\ntrack audio 500\n");
    ASSERT_EQ(Run({"--image", simcd, "rip"}).exitCode, 0);
    std::vector<std::string> audio;
    size_t total = 0;
    for (size_t n = 1; n <= 3; ++n) {
        audio.push_back(ReadWholeFile(out_ + "/-Track 0" + std::to_string(n) + ".wav").substr(44));
        total += audio.back().size();
    }
    const size_t block = 5880 * 4;
    const size_t head = block;
    const size_t tail = block + (total / 4 % 5880) * 4;
    std::vector<uint32_t> tracks;
    std::string covered;
    size_t at = 0;
    for (const std::string& track : audio) {
        const size_t from = std::max(at, head) - at;
        const size_t to = std::min(at + track.size(), total - tail) - at;
        const std::string part = track.substr(from, to - from);
        tracks.push_back(static_cast<uint32_t>(
            crc32(0, reinterpret_cast<const Bytef*>(part.data()), static_cast<uInt>(part.size()))));
        covered += part;
        at += track.size();
    }
    const auto disc = static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(covered.data()),
                                                  static_cast<uInt>(covered.size())));
    const auto entry = [](uint32_t crc, const std::vector<uint32_t>& crcs, int confidence) {
        char text[200];
        std::snprintf(text, sizeof text,
                      "<entry id=\"7\" crc32=\"%08x\" confidence=\"%d\" toc=\"0:600:1300:1800\" "
                      "trackcrcs=\"%08x %08x %08x\"/>",
                      crc, confidence, crcs[0], crcs[1], crcs[2]);
        return std::string(text);
    };
    std::vector<uint32_t> other = tracks;
    other[1] ^= 1;
    struct Case {
        std::string entries;  // "" for none: 404
        std::string expected;
    };
    const Case cases[] = {
        {entry(disc, tracks, 5) + entry(disc ^ 1, other, 2),
         "CTDB\t1\taccurate\t7\nCTDB\t2\taccurate\t5\nCTDB\t3\taccurate\t7\n"
         "CTDB\tdisc\taccurate\t5\n"},
        {entry(disc ^ 1, other, 2),
         "CTDB\t1\taccurate\t2\nCTDB\t2\tdiffers\t0\nCTDB\t3\taccurate\t2\n"
         "CTDB\tdisc\tdiffers\t0\n"},
        {"",
         "CTDB\t1\tnot present\t0\nCTDB\t2\tnot present\t0\nCTDB\t3\tnot present\t0\n"
         "CTDB\tdisc\tnot present\t0\n"},
    };
    for (const Case& c : cases) {
        testing::AccurateRipServer server;
        if (!c.entries.empty()) {
            server.Serve("/lookup2.php?version=3&ctdb=1&fuzzy=1&metadata=none&toc=0:600:1300:1800",
                         "<?xml version=\"1.0\"?><ctdb xmlns=\"http://db.cuetools.net/ns/"
                         "mmd-1.0#\">" +
                             c.entries + "</ctdb>");
        }
        const CliRun run =
            Run({"--image", simcd, "--set", "SECURE/Ctdb=True", "--set",
                 "SECURE/CtdbServer=127.0.0.1:" + std::to_string(server.port()), "rip"});
        ASSERT_EQ(run.exitCode, 0) << run.err;
        EXPECT_NE(run.out.find(c.expected), std::string::npos) << run.out;
        EXPECT_EQ(server.Requests().size(), 1u);
    }
}

// The codes a disc carries reach every tagged format, as the peers read them: the track's ISRC
// and the disc's catalogue number as its barcode. A pre-emphasised track says so.
TEST_F(CliTest, IsrcAndBarcodeInEveryTaggedFormat) {
    const std::string cue = testing::MakeCueImage(
        dir_.path(), "codes", {{false, 150, 0, "USABC9900001", ""}, {false, 150, 0, "", "PRE"}},
        "0724384260928");
    struct Case {
        const char* encoder;
        const char* extension;
        std::string reader;  // prints the tags of the file that ends the command
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {"flac",
         "flac",
         "metaflac --export-tags-to=-",
         {"ISRC=USABC9900001", "BARCODE=0724384260928"}},
        {"ogg", "ogg", "vorbiscomment -l", {"ISRC=USABC9900001", "BARCODE=0724384260928"}},
        {"opus", "opus", "opusinfo", {"ISRC=USABC9900001", "BARCODE=0724384260928"}},
        {"mp3", "mp3", "mid3v2 -l", {"TSRC=USABC9900001", "TXXX=BARCODE=0724384260928"}},
        {"wma",
         "wma",
         "ffprobe -v error -show_entries format_tags",
         {"TAG:WM/ISRC=USABC9900001", "TAG:WM/Barcode=0724384260928"}},
    };
    for (const Case& c : cases) {
        const CliRun run = Run({"--image", cue, "rip", "--encoder", c.encoder});
        ASSERT_EQ(run.exitCode, 0) << run.err;
        EXPECT_NE(run.out.find("2\tCompleted \u2014 pre-emphasised (not de-emphasised)\t"),
                  std::string::npos)
            << run.out;
        const std::string tags = testing::CommandOutput(
            c.reader + " " + Quoted(out_ + "/-Track 01." + c.extension) + " 2>&1");
        for (const std::string& tag : c.expected) {
            EXPECT_NE(tags.find(tag), std::string::npos) << c.encoder << ": " << tag << "\n"
                                                         << tags;
        }
        // Track 2 has no ISRC of its own, and gets none.
        EXPECT_EQ(testing::CommandOutput(c.reader + " " +
                                         Quoted(out_ + "/-Track 02." + c.extension) + " 2>&1")
                      .find("USABC"),
                  std::string::npos);
    }
}

// A drive with no offset saved: a rip says what AccurateRip's drive list gives its model; with
// --offset auto it reads with that offset, and the log says where it came from. The list is
// fetched once and kept in the user's cache folder.
TEST_F(CliTest, TheDriveListsOffsetIsProposedAndTakenWithAuto) {
    const testing::ScopedEnvironment cache("XDG_CACHE_HOME", dir_.File("cache"));
    const std::string simcd =
        Simcd("drive TESTCO / OFFSET DRIVE / 1.0\noffset 667\ntrack audio 600\ntrack audio 600\n");
    std::string record(69, '\0');
    record[0] = static_cast<char>(667 & 0xFF);
    record[1] = static_cast<char>(667 >> 8);
    record.replace(2, 21, "TESTCO - OFFSET DRIVE");
    testing::AccurateRipServer server;
    server.Serve("/accuraterip/DriveOffsets.bin", record);
    const auto rip = [&](const std::string& offset) {
        std::vector<std::string> arguments = {
            "--image", simcd,
            "--set",   "SECURE/AccurateRip=True",
            "--set",   "SECURE/ArServer=127.0.0.1",
            "--set",   "SECURE/ArPort=" + std::to_string(server.port()),
            "rip"};
        if (!offset.empty()) {
            arguments.insert(arguments.end(), {"--offset", offset});
        }
        return Run(arguments);
    };
    const CliRun proposed = rip("");
    EXPECT_NE(proposed.err.find("AccurateRip's drive list gives TESTCO OFFSET DRIVE a read offset "
                                "of 667; this rip reads with 0"),
              std::string::npos)
        << proposed.err;
    const CliRun taken = rip("auto");
    ASSERT_EQ(taken.exitCode, 0) << taken.err;
    EXPECT_NE(taken.err.find("Read offset 667, from AccurateRip's drive list for TESTCO OFFSET "
                             "DRIVE."),
              std::string::npos)
        << taken.err;
    EXPECT_TRUE(ReadWholeFile(out_ + "/-Track 01.wav").substr(44) == SimulatedAudio(0, 600));
    const size_t log = taken.out.find("LOG\t");
    ASSERT_NE(log, std::string::npos);
    EXPECT_NE(ReadWholeFile(taken.out.substr(log + 4, taken.out.find('\n', log) - log - 4))
                  .find(": 667 samples (from the drive database, for this drive's model)\n"),
              std::string::npos);
    const auto requests = server.Requests();
    EXPECT_EQ(std::count_if(requests.begin(), requests.end(),
                            [](const auto& request) {
                                return request.path == "/accuraterip/DriveOffsets.bin";
                            }),
              1);
}

// A rip looked up on a loopback AccurateRip server: every verdict from an answer of two
// pressings, and "unknown" whenever no usable answer comes or the look-up is off.
TEST_F(CliTest, AccurateRipVerdictsFromTheServer) {
    const std::string cue = Image({{false, 1500}, {false, 800}, {false, 1100}});
    const std::string id = Run({"--image", cue, "toc"}).out.substr(28, 30);  // NNN-id1-id2-cddb
    const std::string path = "/accuraterip/" + id.substr(11, 1) + "/" + id.substr(10, 1) + "/" +
                             id.substr(9, 1) + "/dBAR-" + id + ".bin";
    const auto rip = [&](testing::AccurateRipServer& server, bool on) {
        return Run({"--image", cue, "--set", "SECURE/ArServer=127.0.0.1", "--set",
                    "SECURE/ArPort=" + std::to_string(server.port()), "--set",
                    std::string("SECURE/AccurateRip=") + (on ? "True" : "False"), "rip"});
    };
    // Off (the user's settings say so): nothing is asked. The files give the peer's checksums.
    testing::AccurateRipServer unused;
    const CliRun off = rip(unused, false);
    ASSERT_EQ(off.exitCode, 0) << off.err;
    EXPECT_TRUE(unused.Requests().empty());
    std::vector<uint32_t> v1, v2;
    std::string unknown;
    for (size_t n = 1; n <= 3; ++n) {
        const std::string wav = out_ + "/-Track 0" + std::to_string(n) + ".wav";
        v1.push_back(PeerChecksum(wav, "--accuraterip-v1", n, 3));
        v2.push_back(PeerChecksum(wav, "--accuraterip-v2", n, 3));
        char line[80];
        std::snprintf(line, sizeof line, "ACCURATERIP\t%zu\t%08x\t%08x\t", n, v1.back(), v2.back());
        unknown += line + std::string("unknown\t0\t0\n");
    }
    EXPECT_NE(off.out.find(unknown), std::string::npos) << off.out;

    // Track 1 matches one pressing by v1 and the other by v2; track 2 matches neither; track 3
    // has entries of confidence 0. The pressings
    // whose header names another disc (its IDs, or its track count) count for nothing, though
    // they hold our checksums.
    const auto hex = [&id](size_t at) {
        return static_cast<uint32_t>(std::stoul(id.substr(at, 8), nullptr, 16));
    };
    const uint32_t id1 = hex(4), id2 = hex(13), cddb = hex(22);
    const std::vector<testing::DbarPressing::Track> ours{
        {200, v1[0], 0}, {200, v1[1], 0}, {200, v1[2], 0}};
    const std::string answer =
        testing::DbarFile({{id1 + 1, id2, cddb, ours},
                           {id1, id2, cddb, {{5, v1[0], 0}, {3, v1[1] ^ 1, 0}, {0, 0, 0}}},
                           {id1, id2, cddb ^ 1, ours},
                           {id1, id2, cddb, {{9, v2[0], 0}, {4, v2[1] + 1, 0}, {0, v2[2] + 1, 0}}},
                           {id1, id2, cddb, {ours[0], ours[1], ours[2], ours[2]}}});
    testing::AccurateRipServer server;
    server.Serve(path, answer);
    const CliRun judged = rip(server, true);
    ASSERT_EQ(judged.exitCode, 0) << judged.err;
    std::string verdicts = unknown;
    verdicts.replace(verdicts.find("unknown\t0\t"), 10, "accurate\t9\t");
    verdicts.replace(verdicts.find("unknown\t0\t"), 10, "inaccurate\t7\t");
    verdicts.replace(verdicts.find("unknown\t0\t"), 10, "inaccurate\t0\t");
    EXPECT_NE(judged.out.find(verdicts), std::string::npos) << judged.out;
    ASSERT_EQ(server.Requests().size(), 1u);
    EXPECT_EQ(server.Requests()[0].path, path);

    using Behaviour = testing::AccurateRipServer::Behaviour;
    struct Case {
        const char* what;
        std::string file;  // "" for none: 404
        Behaviour behaviour;
    };
    for (const Case& c :
         {Case{"not in the database", "", Behaviour::answer},
          Case{"a truncated file", answer.substr(0, answer.size() - 5), Behaviour::answer},
          Case{"closed mid-answer", answer, Behaviour::cut}}) {
        testing::AccurateRipServer failing;
        if (!c.file.empty()) {
            failing.Serve(path, c.file);
        }
        failing.SetBehaviour(c.behaviour);
        const CliRun run = rip(failing, true);
        EXPECT_EQ(run.exitCode, 0) << c.what << run.err;
        EXPECT_NE(run.out.find(unknown), std::string::npos) << c.what << "\n" << run.out;
        EXPECT_EQ(failing.Requests().size(), 1u) << c.what;
    }
}

// Audio before track 1's INDEX 01 is the hidden track, ripped as track 0 with exactly the disc's
// sectors, and the CUE sheet makes its file track 1's INDEX 00. Digital silence there is not
// ripped: the sheet gives its length as track 1's PREGAP. cueprint reads both sheets.
TEST_F(CliTest, AudioBeforeTrackOneIsTheHiddenTrack) {
    for (const bool silent : {false, true}) {
        SCOPED_TRACE(silent ? "silence" : "audio");
        fs::remove_all(out_);
        const std::string cue = testing::MakeCueImage(
            dir_.path(), "hidden", {{false, 750 + 150, 750, "", "", silent}, {false, 75}});
        const CliRun run = Run({"--image", cue, "rip", "--template", "$n-$t"});
        ASSERT_EQ(run.exitCode, 0) << run.err;
        std::string sheetPath, log;
        for (const auto& entry : fs::directory_iterator(out_)) {
            const std::string path = entry.path().string();
            if (path.ends_with(".log")) {
                log = ReadWholeFile(path);
            } else if (path.ends_with(".cue")) {
                sheetPath = path;
            }
        }
        const std::string sheet = ReadWholeFile(sheetPath);
        EXPECT_EQ(testing::RunCommand("cueprint " + Quoted(sheetPath) + " >/dev/null 2>&1"), 0)
            << sheet;
        const std::string hidden = out_ + "/00-Hidden track.wav";
        if (silent) {
            EXPECT_FALSE(fs::exists(hidden));
            EXPECT_NE(sheet.find("  TRACK 01 AUDIO\n    TITLE \"Track 01\"\n    PREGAP 00:10:00\n"
                                 "    INDEX 01 00:00:00\n"),
                      std::string::npos)
                << sheet;
            EXPECT_NE(log.find("00:10.00 (750 sectors) of digital silence, not ripped"),
                      std::string::npos)
                << log;
            continue;
        }
        ASSERT_NE(run.out.find("0\tCompleted\t" + hidden + "\n"), std::string::npos) << run.out;
        const std::string bin = ReadWholeFile(dir_.File("hidden.bin"));
        const std::string wav = ReadWholeFile(hidden);
        ASSERT_GT(wav.size(), 44u);
        EXPECT_TRUE(wav.substr(44) == bin.substr(0, 750 * 2352));
        EXPECT_NE(sheet.find("FILE \"00-Hidden track.wav\" WAVE\n  TRACK 01 AUDIO\n"
                             "    TITLE \"Track 01\"\n    INDEX 00 00:00:00\n"
                             "FILE \"01-Track 01.wav\" WAVE\n    INDEX 01 00:00:00\n"),
                  std::string::npos)
            << sheet;
        EXPECT_EQ(sheet.find("PREGAP"), std::string::npos);
        EXPECT_NE(log.find("of audio: the hidden track, track 00, ripped"), std::string::npos)
            << log;
        EXPECT_NE(log.find("No entry (no database holds the audio before track 1)"),
                  std::string::npos);
    }
}

// Pregaps and indexes that a simulated drive reports only in its Q subchannel are found there:
// the CUE sheet's INDEX 00 and 02 on fall on the declared sectors, and the log says where they
// came from; an image's come from its sheet.
TEST_F(CliTest, GapsAndIndexesFromTheSubchannel) {
    // Tracks at 0, 1000 and 3000; track 2's pregap is 150 sectors, track 3's 33; track 2's
    // INDEX 02 and 03 are 600 and 1201 sectors after its INDEX 01.
    const std::string simcd = Simcd(
        "track audio 1000\ntrack audio 2000\ntrack audio 1500\npregap 2 150\npregap 3 33\n"
        "index 2 2 600\nindex 2 3 1201\n");
    const CliRun run = Run({"--image", simcd, "rip", "--template", "$n"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    // The sheet and the log of the last rip into the output folder.
    const auto written = [&](const char* extension) {
        for (const auto& entry : fs::directory_iterator(out_)) {
            if (entry.path().extension() == extension) {
                return entry.path().string();
            }
        }
        return std::string();
    };
    const auto head = [](int n) {
        return "  TRACK 0" + std::to_string(n) + " AUDIO\n    TITLE \"Track 0" + std::to_string(n) +
               "\"\n";
    };
    // Each INDEX 00 lies in the previous track's file, at its length less the pregap: 850
    // sectors (00:11:25) and 1967 (00:26:17); INDEX 02 and 03 at 600 (00:08:00) and 1201
    // (00:16:01) into track 2's file.
    const std::string expected =
        "FILE \"01.wav\" WAVE\n" + head(1) + "    INDEX 01 00:00:00\n" + head(2) +
        "    INDEX 00 00:11:25\nFILE \"02.wav\" WAVE\n    INDEX 01 00:00:00\n"
        "    INDEX 02 00:08:00\n    INDEX 03 00:16:01\n" +
        head(3) + "    INDEX 00 00:26:17\nFILE \"03.wav\" WAVE\n    INDEX 01 00:00:00\n";
    const std::string sheet = ReadWholeFile(written(".cue"));
    ASSERT_NE(sheet.find("FILE"), std::string::npos) << run.out;
    EXPECT_EQ(sheet.substr(sheet.find("FILE")), expected);
    EXPECT_EQ(testing::RunCommand("cueprint " + Quoted(written(".cue")) + " >/dev/null 2>&1"), 0);
    const std::string log = ReadWholeFile(written(".log"));
    EXPECT_NE(log.find("Gap handling          : gaps appended to the previous track; pregaps and "
                       "indexes detected from the subchannel\n"),
              std::string::npos)
        << log;
    EXPECT_NE(log.find("  Indexes             : 02 at 00:08.00, 03 at 00:16.01\n"),
              std::string::npos);
    EXPECT_NE(log.find("    3 | 00:40.00 | 00:20.00 |         3000 |       4499 | 00:00.33\n"),
              std::string::npos);

    // In an image every index lies where the disc has it; the image's sheet opens as the same
    // disc, with the same indexes.
    fs::remove_all(out_);
    ASSERT_EQ(Run({"--image", simcd, "rip", "--image-file", "--encoder", "flac"}).exitCode, 0);
    const std::string trackTwo = head(2) +
                                 "    INDEX 00 00:11:25\n    INDEX 01 00:13:25\n"
                                 "    INDEX 02 00:21:25\n    INDEX 03 00:29:26\n";
    EXPECT_NE(ReadWholeFile(written(".cue")).find(trackTwo), std::string::npos);
    fs::rename(written(".cue"), dir_.File("image.cue"));
    const std::string flac = written(".flac");
    fs::rename(flac, dir_.File(fs::path(flac).filename().string()));
    EXPECT_EQ(Run({"--image", dir_.File("image.cue"), "toc"}).out.substr(0, 16),
              Run({"--image", simcd, "toc"}).out.substr(0, 16));
    fs::remove_all(out_);
    ASSERT_EQ(Run({"--image", dir_.File("image.cue"), "rip", "--image-file", "--encoder", "flac"})
                  .exitCode,
              0);
    EXPECT_NE(ReadWholeFile(written(".cue")).find(trackTwo), std::string::npos);

    fs::remove_all(out_);
    const std::string cue =
        testing::MakeCueImage(dir_.path(), "gaps", {{false, 300}, {false, 200, 75}});
    ASSERT_EQ(Run({"--image", cue, "rip", "--template", "$n"}).exitCode, 0);
    EXPECT_NE(ReadWholeFile(written(".log")).find("pregaps from the image's sheet\n"),
              std::string::npos);
    EXPECT_NE(ReadWholeFile(written(".cue")).find("    INDEX 00 00:04:00\n"), std::string::npos);
}

// A disc's CD-Text names it when nothing else has, from a simulated drive and from a CUE sheet's
// TITLE and PERFORMER lines; a track's own performer becomes its artist. Names given by the user
// stay.
TEST_F(CliTest, CdTextNamesTheDiscUnlessTheUserHas) {
    const std::string simcd = Simcd(
        "cdtext title 0 Ágætis byrjun\ncdtext performer 0 Sigur Rós\ntrack audio 75\n"
        "track audio 75\ncdtext title 2 Svefn-g-englar\ncdtext performer 2 Jónsi\n");
    WriteWholeFile(dir_.File("x.bin"), std::string(150 * 2352, '\0'));
    WriteWholeFile(
        dir_.File("x.cue"),
        "PERFORMER \"Sigur Rós\"\nTITLE \"Ágætis byrjun\"\nFILE \"x.bin\" BINARY\n"
        "  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n  TRACK 02 AUDIO\n"
        "    TITLE \"Svefn-g-englar\"\n    PERFORMER \"Jónsi\"\n    INDEX 01 00:01:00\n");
    for (const std::string& image : {simcd, dir_.File("x.cue")}) {
        const CliRun run = Run({"--image", image, "rip", "--template", "$a # $l # $n # $t"});
        ASSERT_EQ(run.exitCode, 0) << run.err;
        EXPECT_NE(run.out.find("/Sigur Rós # Ágætis byrjun # 01 # Track 01.wav\n"),
                  std::string::npos)
            << run.out;
        EXPECT_NE(run.out.find("/Sigur Rós # Ágætis byrjun # 02 # Svefn-g-englar.wav\n"),
                  std::string::npos);
        EXPECT_NE(ReadWholeFile(out_ + "/Sigur Rós - Ágætis byrjun.cue")
                      .find("TITLE \"Svefn-g-englar\"\n    PERFORMER \"Jónsi\"\n"),
                  std::string::npos);
        const CliRun typed = Run(
            {"--image", image, "--set", "ID3/Artist=Typed", "rip", "1", "--template", "$a # $l"});
        EXPECT_NE(typed.out.find("/Typed # Ágætis byrjun.wav\n"), std::string::npos) << typed.out;
    }
}

// When a look-up answers, the disc's CD-Text is listed after its answer and named by the number
// --release takes; chosen, it names the disc, and a name given with --set stays.
TEST_F(CliTest, LookupOffersTheCdTextAfterTheAnswer) {
    const std::string simcd = Simcd(
        "cdtext title 0 Ágætis byrjun\ncdtext performer 0 Sigur Rós\ntrack audio 75\n"
        "track audio 75\ncdtext title 2 Svefn-g-englar\ncdtext performer 2 Jónsi\n");
    const std::string id = Run({"--image", simcd, "toc"}).out.substr(7, 8);
    fs::create_directories(dir_.File("cddb/rock"));
    WriteWholeFile(dir_.File("cddb/rock/" + id),
                   "DTITLE=Band / Record\nTTITLE0=One\nTTITLE1=Two\n");
    testing::CddbServer server(dir_.File("cddb"));
    const std::vector<std::string> lookup = {
        "--image", simcd,
        "--set",   "MUSICBRAINZ/Use=False",
        "--set",   "ID3/Artist=Typed",
        "--set",   "CDDB/Port=" + std::to_string(server.port()),
        "lookup",  "--release"};
    auto with = [&lookup](const std::string& release) {
        std::vector<std::string> arguments = lookup;
        arguments.push_back(release);
        return arguments;
    };
    const std::string choices = "SOURCE\tcddb\nCDTEXT\t2\tSigur Rós\tÁgætis byrjun\n";
    const CliRun answer = Run(with("1"));
    EXPECT_EQ(answer.out, choices +
                              "ARTIST\tBand\nALBUM\tRecord\nYEAR\t\nGENRE\t0\t\n"
                              "TITLE\t1\tOne\nTITLE\t2\tTwo\n");
    const CliRun cdText = Run(with("2"));
    EXPECT_EQ(cdText.out, choices +
                              "ARTIST\tTyped\nALBUM\tÁgætis byrjun\nYEAR\t\nGENRE\t0\t\n"
                              "TITLE\t1\tTrack 01\nTITLE\t2\tSvefn-g-englar\n"
                              "TRACKARTIST\t2\tJónsi\n");
    EXPECT_NE(Run(with("3")).err.find("--release 3: the look-up found 1 release and the disc's "
                                      "CD-Text"),
              std::string::npos);
}

// The names stored for another disc are left out; those given with --set name the disc read.
TEST_F(CliTest, StoredNamesOfAnotherDiscAreLeftOutAndGivenOnesKept) {
    WriteWholeFile(ini_, ReadWholeFile(ini_) +
                             "[ID3]\r\nArtist=Stored\r\nAlbum=Stored Album\r\n"
                             "Year=1970\r\nDiscId=0badd15c\r\n");
    settingsBefore_ = ReadWholeFile(ini_);
    const CliRun run = Run({"--image", Image({{false, 75}}), "--set", "ID3/Year=2001", "rip",
                            "--template", "($a)($l)($y)$t"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find("1\tCompleted\t" + out_ + "/()()(2001)Track 01.wav\n"),
              std::string::npos)
        << run.out;
}

// The output folder lies under a file: nothing is ripped, the reason is told, every marked
// track fails.
TEST_F(CliTest, RipIntoAFolderUnderAFileSaysWhy) {
    WriteWholeFile(dir_.File("file"), "");
    const CliRun run = Run({"--image", Image({{false, 75}, {false, 75}}), "--set",
                            "GENERAL/Outfolder=" + dir_.File("file/music"), "rip"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("Cannot write into the output folder \"" + dir_.File("file/music/") +
                           "\":\nNot a directory"),
              std::string::npos)
        << run.err;
    EXPECT_NE(run.out.find("1\tERROR\t"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("2\tERROR\t"), std::string::npos) << run.out;
}

// The log and the CUE sheet beside the playlist: the log's checksum as sha256sum computes
// it, the sheet as cueprint reads it (titles with a double quote and letters beyond ASCII),
// the pregap of track 2 at the end of track 1's file; a later run replaces both, a run that
// ripped nothing writes none.
TEST_F(CliTest, RipLogAndCueSheetBesideThePlaylist) {
    const std::string cue = testing::MakeCueImage(
        dir_.path(), "disc",
        {{false, 300, 0, "USABC9900001", "DCP"}, {false, 200, 75, "", "PRE"}, {false, 100}},
        "0724384260928");
    const std::vector<std::string> names = {
        "--set", "ID3/Artist=Sigur Rós", "--set", "ID3/Album=Ágætis \"byrjun\"", "--image", cue};
    auto rip = [&](const std::string& tracks) {
        std::vector<std::string> arguments = names;
        for (const char* argument : {"rip", "--template", "$n $t"}) {
            arguments.emplace_back(argument);
        }
        arguments.push_back(tracks);
        return Run(arguments);
    };
    const CliRun first = rip("all");
    ASSERT_EQ(first.exitCode, 0) << first.err;
    const std::string stem = out_ + "/Sigur Rós - Ágætis _byrjun_";
    EXPECT_NE(first.out.find("CRC\t3\t"), std::string::npos);
    EXPECT_TRUE(first.out.ends_with("LOG\t" + stem + ".log\nCUE\t" + stem + ".cue\n")) << first.out;

    const std::string log = ReadWholeFile(stem + ".log");
    const size_t last = log.rfind("Log checksum SHA-256: ");
    ASSERT_NE(last, std::string::npos);
    EXPECT_EQ(log.substr(last), "Log checksum SHA-256: " +
                                    testing::CommandOutput("head -n -1 " + Quoted(stem + ".log") +
                                                           " | sha256sum | cut -c1-64"));
    EXPECT_NE(log.find("    2 | 00:05.00 | 00:01.50 |          375 |        499 | 00:01.00\n"),
              std::string::npos)
        << log;

    std::string id = Run({"--image", cue, "toc"}).out.substr(7, 8);
    std::transform(id.begin(), id.end(), id.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    const std::string artist = "    PERFORMER \"Sigur Rós\"\n";
    EXPECT_EQ(ReadWholeFile(stem + ".cue"),
              "REM DISCID " + id + "\nREM COMMENT \"Disctrove " + kProgramVersion +
                  "\"\nCATALOG 0724384260928\nPERFORMER \"Sigur Rós\"\n"
                  "TITLE \"Ágætis 'byrjun'\"\nFILE \"01 Track 01.wav\" WAVE\n  TRACK 01 AUDIO\n"
                  "    TITLE \"Track 01\"\n" +
                  artist +
                  "    ISRC USABC9900001\n    FLAGS DCP\n    INDEX 01 00:00:00\n"
                  "  TRACK 02 AUDIO\n    TITLE \"Track 02\"\n" +
                  artist +
                  "    FLAGS PRE\n    INDEX 00 00:04:00\nFILE \"02 Track 02.wav\" WAVE\n"
                  "    INDEX 01 00:00:00\nFILE \"03 Track 03.wav\" WAVE\n  TRACK 03 AUDIO\n"
                  "    TITLE \"Track 03\"\n" +
                  artist + "    INDEX 01 00:00:00\n");
    // cuetools takes a FILE line inside a track for the next track's file and says so on
    // standard error; the titles, numbers and ISRCs still come through.
    const std::string print =
        "cueprint -d '%N|%P|%T\\n' -t '%n|%p|%t|%i\\n' " + Quoted(stem + ".cue");
    EXPECT_EQ(testing::CommandOutput("(" + print + " 2>/dev/null)"),
              "3|Sigur Rós|Ágætis 'byrjun'\n1|Sigur Rós|Track 01|USABC9900001\n"
              "2|Sigur Rós|Track 02|\n3|Sigur Rós|Track 03|\n");

    // Again, track 2 alone: both files are the new run's, and nothing else is left beside
    // them.
    ASSERT_EQ(rip("2").exitCode, 0);
    EXPECT_EQ(testing::CommandOutput(print),
              "1|Sigur Rós|Ágætis 'byrjun'\n1|Sigur Rós|Track 02|\n");
    EXPECT_EQ(ReadWholeFile(stem + ".log").find("Track 01\n"), std::string::npos);
    EXPECT_NE(ReadWholeFile(stem + ".log").find("Track 02\n"), std::string::npos);
    size_t files = 0;
    for (const auto& entry : fs::directory_iterator(out_)) {
        files += entry.is_regular_file() ? 1 : 0;
    }
    EXPECT_EQ(files, 5u);  // three WAV files, the log and the sheet

    fs::remove_all(out_);
    const CliRun nothing = Run({"--image", Simcd("track audio 100\nunreadable 10\n"), "rip"});
    EXPECT_EQ(nothing.exitCode, 1);
    EXPECT_EQ(nothing.out.find("LOG\t"), std::string::npos);
    for (const auto& entry : fs::directory_iterator(out_)) {
        EXPECT_EQ(entry.path().extension(),
                  ".wav");  // the stopped track's file, nothing else
    }
}

TEST_F(CliTest, EveryEncoderFromTheCommandLine) {
    const std::string cue = Image({{false, 150}});
    for (const char* kind : {"ogg", "mp3", "wma", "flac"}) {
        const CliRun rip = Run({"--image", cue, "rip", "--encoder", kind});
        ASSERT_EQ(rip.exitCode, 0) << kind << rip.err;
        const std::string file = out_ + "/-Track 01." + kind;  // "$a-$t" with no artist
        EXPECT_EQ(WithoutChecks(rip.out), "1\tCompleted\t" + file + "\n");
        EXPECT_NEAR(static_cast<double>(testing::DecodeWithFfmpeg(file).size()), 2 * 44100 * 2,
                    6000)
            << kind;
    }
    EXPECT_TRUE(fs::is_empty(tmp_));
}

// The samples of a FLAC file as flac itself decodes them: signed, little-endian, no header.
std::string FlacSamples(const std::string& flac, const std::string& raw) {
    EXPECT_EQ(RunCommand("flac -d -s -f --force-raw-format --endian=little --sign=signed -o " +
                         Quoted(raw) + " " + Quoted(flac)),
              0);
    return ReadWholeFile(raw);
}

TEST_F(CliTest, RipToFlacGivesBackTheWavRipBitForBit) {
    const std::string cue = Image({{false, 900}, {false, 400}});
    const std::string discId = Run({"--image", cue, "toc"}).out.substr(7, 8);
    ASSERT_EQ(Run({"--image", cue, "rip", "--encoder", "wav"}).exitCode, 0);
    const CliRun rip = Run({"--image", cue, "rip", "--encoder", "flac"});
    ASSERT_EQ(rip.exitCode, 0) << rip.err;
    for (const std::string number : {"1", "2"}) {
        const std::string name = out_ + "/-Track 0" + number;
        const std::string flac = Quoted(name + ".flac");
        EXPECT_NE(rip.out.find(number + "\tCompleted\t" + name + ".flac\n"), std::string::npos);
        EXPECT_EQ(RunCommand("flac -t -s " + flac), 0);
        const std::string wav = ReadWholeFile(name + ".wav");
        EXPECT_EQ(FlacSamples(name + ".flac", dir_.File("flac.raw")), wav.substr(44)) << number;
        // The MD5 signature is that of the samples; the tags as a player reads them.
        EXPECT_EQ(testing::CommandOutput("metaflac --show-md5sum " + flac),
                  testing::CommandOutput("tail -c +45 " + Quoted(name + ".wav") +
                                         " | md5sum | cut -c1-32"));
        const std::string tags = testing::CommandOutput("metaflac --export-tags-to=- " + flac);
        for (const std::string& tag :
             {"TITLE=Track 0" + number, "TRACKNUMBER=" + number, std::string("TRACKTOTAL=2"),
              "DISCID=" + discId, std::string("ENCODER=Disctrove")}) {
            EXPECT_NE(tags.find(tag + "\n"), std::string::npos) << tag << "\n" << tags;
        }
        // Our own decoder writes the very file the WAV rip wrote.
        const CliRun decode = Run({"decode", name + ".flac", "--outdir", dir_.File("decoded")});
        ASSERT_EQ(decode.exitCode, 0) << decode.err;
        EXPECT_EQ(ReadWholeFile(dir_.File("decoded/-Track 0" + number + ".wav")), wav);
    }
    // 12 s of track 1: a seek point every 10 s, then the padding for tag edits (of which the
    // ReplayGain tags, written into the finished file by TagLib, leave at least 4 KiB).
    const std::string blocks =
        testing::CommandOutput("metaflac --list " + Quoted(out_ + "/-Track 01.flac"));
    EXPECT_NE(blocks.find("type: 3 (SEEKTABLE)\n  is last: false\n  length: 36\n"),
              std::string::npos)
        << blocks;
    const size_t padding = blocks.find("type: 1 (PADDING)\n  is last: true\n  length: ");
    ASSERT_NE(padding, std::string::npos) << blocks;
    EXPECT_GE(std::stoi(blocks.substr(padding + 44)), 4096);
    EXPECT_TRUE(fs::is_empty(tmp_));
}

// The lines of `text` that begin with one of `starts` (after blanks), without those blanks.
std::string LinesStartingWith(const std::string& text, const std::vector<std::string>& starts) {
    std::string kept;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        line.erase(0, line.find_first_not_of(' '));
        if (std::any_of(starts.begin(), starts.end(),
                        [&line](const std::string& start) { return line.starts_with(start); })) {
            kept += line + "\n";
        }
    }
    return kept;
}

// A rip to an image: one file holds the disc's audio from its first sector (what lies before
// track 1, and track 2's gap, where they lie), its CUE sheet says where each track and index
// begins (as cueprint reads it, and as the FLAC file's own CUESHEET block and tag say), and each
// track is verified as a rip to track files verifies it. A read given up leaves no image.
TEST_F(CliTest, RipToAnImageHoldsTheWholeDiscWithItsSheet) {
    const std::string cue = testing::MakeCueImage(
        dir_.path(), "disc",
        {{false, 300, 150, "USABC9900001"}, {false, 200, 75, "", "PRE"}, {false, 150}},
        "0724384260928");
    const std::string bin = ReadWholeFile(dir_.File("disc.bin"));
    const std::vector<std::string> names = {
        "--set", "ID3/Artist=Sigur Rós", "--set", "ID3/Album=Takk", "--image", cue};
    auto rip = [&](const std::vector<std::string>& more) {
        std::vector<std::string> arguments = names;
        arguments.insert(arguments.end(), more.begin(), more.end());
        return Run(arguments);
    };
    const CliRun tracks = rip({"rip", "--encoder", "wav", "--template", "$n"});
    ASSERT_EQ(tracks.exitCode, 0) << tracks.err;
    const std::string checks = LinesStartingWith(tracks.out, {"ACCURATERIP\t", "CRC\t"});
    ASSERT_NE(checks.find("ACCURATERIP\t3\t"), std::string::npos) << tracks.out;
    const std::string track2 = ReadWholeFile(out_ + "/02.wav");
    fs::remove_all(out_);

    std::string id = Run({"--image", cue, "toc"}).out.substr(7, 8);
    std::transform(id.begin(), id.end(), id.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    const std::string stem = out_ + "/Sigur Rós - Takk";
    const std::string artist = "    PERFORMER \"Sigur Rós\"\n";
    for (const std::string kind : {"flac", "wav"}) {
        const std::string image = stem + "." + kind;
        const CliRun run = rip({"rip", "--image-file", "--encoder", kind});
        ASSERT_EQ(run.exitCode, 0) << kind << run.err;
        EXPECT_EQ(WithoutChecks(run.out),
                  "0\tCompleted\t" + image + "\n1\tCompleted\t" + image +
                      "\n2\tCompleted — pre-emphasised (not de-emphasised)\t" + image +
                      "\n3\tCompleted\t" + image + "\nIMAGE\t" + image + "\n");
        EXPECT_TRUE(run.out.ends_with("LOG\t" + stem + ".log\nCUE\t" + stem + ".cue\n")) << run.out;
        // The checksums of each track are those of the rip to track files.
        EXPECT_EQ(LinesStartingWith(run.out, {"ACCURATERIP\t", "CRC\t"}), checks) << kind;

        if (kind == "flac") {
            EXPECT_EQ(RunCommand("flac -t -s " + Quoted(image)), 0);
            EXPECT_TRUE(FlacSamples(image, dir_.File("image.raw")) == bin);
        } else {
            const std::string wav = ReadWholeFile(image);
            EXPECT_TRUE(wav.substr(44) == bin);
            // The header as sox reads it: type, rate, channels, bits, samples.
            std::string header;
            for (const char* field : {"t", "r", "c", "b", "s"}) {
                header +=
                    testing::CommandOutput(std::string("soxi -") + field + " " + Quoted(image));
            }
            EXPECT_EQ(header, "wav\n44100\n2\n16\n" + std::to_string(bin.size() / 4) + "\n");
        }
        const std::string sheet = ReadWholeFile(stem + ".cue");
        EXPECT_EQ(sheet, "REM DISCID " + id + "\nREM COMMENT \"Disctrove " + kProgramVersion +
                             "\"\nCATALOG 0724384260928\nPERFORMER \"Sigur Rós\"\n"
                             "TITLE \"Takk\"\nFILE \"Sigur Rós - Takk." +
                             kind + "\" WAVE\n  TRACK 01 AUDIO\n    TITLE \"Track 01\"\n" + artist +
                             "    ISRC USABC9900001\n    INDEX 00 00:00:00\n    INDEX 01 "
                             "00:02:00\n  TRACK 02 AUDIO\n    TITLE \"Track 02\"\n" +
                             artist +
                             "    FLAGS PRE\n    INDEX 00 00:04:00\n    INDEX 01 00:05:00\n"
                             "  TRACK 03 AUDIO\n    TITLE \"Track 03\"\n" +
                             artist + "    INDEX 01 00:06:50\n");
        EXPECT_EQ(testing::CommandOutput("cueprint -d '%N|%T\\n' -t '%n|%t|%i\\n' " +
                                         Quoted(stem + ".cue")),
                  "3|Takk\n1|Track 01|USABC9900001\n2|Track 02|\n3|Track 03|\n");
        const std::string log = ReadWholeFile(stem + ".log");
        EXPECT_NE(log.find(": 00:02.00 (150 sectors) of audio (a hidden track), in the image as "
                           "track 1's INDEX 00\n"),
                  std::string::npos)
            << log;
        if (kind == "flac") {
            // The FLAC file's CUESHEET block places the tracks and indexes as the sheet does;
            // its CUESHEET tag is the sheet, which players read for the tracks' names.
            const std::string block =
                testing::CommandOutput("metaflac --export-cuesheet-to=- " + Quoted(image));
            const std::vector<std::string> places = {"CATALOG", "TRACK", "ISRC", "FLAGS", "INDEX"};
            EXPECT_EQ(LinesStartingWith(block, places), LinesStartingWith(sheet, places)) << block;
            EXPECT_NE(block.find("REM FLAC__lead-out 170 " + std::to_string(bin.size() / 4)),
                      std::string::npos)
                << block;
            const std::string tags =
                testing::CommandOutput("metaflac --export-tags-to=- " + Quoted(image));
            EXPECT_NE(tags.find("\nCUESHEET=" + sheet), std::string::npos) << tags;
            for (const std::string tag : {"ARTIST=Sigur Rós\n", "ALBUM=Takk\n",
                                          "BARCODE=0724384260928\n", "REPLAYGAIN_ALBUM_GAIN="}) {
                EXPECT_NE(tags.find(tag), std::string::npos) << tag << tags;
            }
            EXPECT_EQ(tags.find("TITLE=Track"), std::string::npos) << tags;
        }
        // The image and its sheet open as the disc again, and so does the FLAC file alone: its
        // track 2 is the original's, byte for byte.
        fs::rename(out_, dir_.File(kind));
        const std::string moved = dir_.File(kind) + "/Sigur Rós - Takk.";
        for (const std::string& disc : kind == "flac" ? std::vector{moved + "cue", moved + "flac"}
                                                      : std::vector{moved + "cue"}) {
            const CliRun again =
                Run({"--image", disc, "rip", "2", "--encoder", "wav", "--template", "$n"});
            ASSERT_EQ(again.exitCode, 0) << disc << again.err;
            EXPECT_TRUE(ReadWholeFile(out_ + "/02.wav") == track2) << disc;
            fs::remove_all(out_);
        }
    }
    EXPECT_TRUE(fs::is_empty(tmp_));

    // No at a read error in track 2: no image, no sheet, nothing under a name of its own.
    fs::remove_all(out_);
    const CliRun no = Run({"--image", Simcd("track audio 100\ntrack audio 100\nunreadable 150\n"),
                           "rip", "--image-file", "--encoder", "flac"});
    EXPECT_EQ(no.exitCode, 1);
    EXPECT_TRUE(no.out.starts_with("1\tStopped\t")) << no.out;
    EXPECT_NE(no.out.find("2\tStopped\t"), std::string::npos) << no.out;
    EXPECT_TRUE(fs::is_empty(out_));
    // Only WAV and FLAC hold an image.
    const CliRun mp3 = Run({"--image", cue, "rip", "--image-file", "--encoder", "mp3"});
    EXPECT_EQ(mp3.exitCode, 2);
    EXPECT_NE(mp3.err.find("--image-file writes WAV or FLAC, not MP3 (--encoder wav or "
                           "--encoder flac)"),
              std::string::npos)
        << mp3.err;
}

TEST_F(CliTest, A24BitWavKeepsItsBitsRateAndChannelsInFlac) {
    const std::string wav = testing::MakeSineWav(dir_.path(), "hires.wav", 96000, 3, 24, 1.5);
    const CliRun encode = Run({"encode", wav, "--encoder", "flac"});
    ASSERT_EQ(encode.exitCode, 0) << encode.err;
    const std::string flac = out_ + "/hires.flac";
    EXPECT_EQ(RunCommand("flac -t -s " + Quoted(flac)), 0);
    EXPECT_EQ(testing::CommandOutput("metaflac --show-bps --show-sample-rate --show-channels " +
                                     Quoted(flac)),
              "24\n96000\n3\n");
    const std::string samples = dir_.File("sox.raw");
    ASSERT_EQ(RunCommand("sox " + Quoted(wav) + " -t raw " + Quoted(samples)), 0);
    EXPECT_EQ(FlacSamples(flac, dir_.File("flac.raw")), ReadWholeFile(samples));

    const CliRun decode = Run({"decode", flac, "--outdir", dir_.File("decoded")});
    ASSERT_EQ(decode.exitCode, 0) << decode.err;
    const std::string decoded = ReadWholeFile(dir_.File("decoded/hires.wav"));
    const std::string file = Quoted(dir_.File("decoded/hires.wav"));
    EXPECT_EQ(testing::CommandOutput("soxi -b " + file + "; soxi -r " + file + "; soxi -c " + file),
              "24\n96000\n3\n");
    EXPECT_EQ(decoded.substr(44), ReadWholeFile(samples));
}

// A folder is refused as what it is, naming no output; a setting the encoder had to change is
// told after the status.
TEST_F(CliTest, ConversionLinesSayWhatHappened) {
    fs::create_directories(dir_.File("somedir"));
    const std::string mono = testing::MakeSineWav(dir_.path(), "mono.wav", 22050, 1, 16, 1);
    struct Row {
        std::vector<std::string> arguments;
        int exitCode;
        std::string out;
        std::string err;  // a part of it
    };
    const Row rows[] = {
        {{"encode", dir_.File("somedir") + "/"}, 2, "", "is a folder; encode takes a WAV file"},
        {{"decode", dir_.File("somedir")}, 2, "", "is a folder; decode takes an Ogg Vorbis"},
        {{"encode", mono, "--encoder", "wma"},
         0,
         "Completed \u2014 WMA made stereo from a mono source, 32 kbit/s, not 96\t" + out_ +
             "/mono.wma\n",
         ""},
    };
    for (const Row& row : rows) {
        const CliRun run = Run(row.arguments);
        EXPECT_EQ(run.exitCode, row.exitCode) << row.arguments[1] << run.err;
        EXPECT_EQ(run.out, row.out) << row.arguments[1];
        EXPECT_NE(run.err.find(row.err), std::string::npos) << run.err;
    }
}

// A rip to Opus as opusinfo sees it, decoded back to the rip's length at 48 kHz.
TEST_F(CliTest, RipToOpusAndDecodeIt) {
    const std::string cue = Image({{false, 150}, {false, 75}});
    const std::string id = Run({"--image", cue, "toc"}).out.substr(7, 8);
    const CliRun rip = Run({"--image", cue, "rip", "1", "--encoder", "opus"});
    ASSERT_EQ(rip.exitCode, 0) << rip.err;
    const std::string file = out_ + "/-Track 01.opus";
    EXPECT_EQ(WithoutChecks(rip.out), "1\tCompleted\t" + file + "\n");
    const std::string report = dir_.File("opusinfo.txt");
    ASSERT_EQ(RunCommand("opusinfo " + Quoted(file) + " >" + report + " 2>&1"), 0);
    const std::string info = ReadWholeFile(report);
    EXPECT_EQ(info.find("WARNING"), std::string::npos) << info;
    for (const std::string& line :
         std::vector<std::string>{"Original sample rate: 44100 Hz", "TITLE=Track 01",
                                  "TRACKNUMBER=1", "TRACKTOTAL=2", "DISCID=" + id}) {
        EXPECT_NE(info.find(line), std::string::npos) << line << "\n" << info;
    }

    const CliRun decode = Run({"decode", file, "--outdir", dir_.File("decoded")});
    ASSERT_EQ(decode.exitCode, 0) << decode.err;
    const std::string wav = dir_.File("decoded/-Track 01.wav");
    EXPECT_EQ(decode.out, "Completed\t" + wav + "\n");
    const double frames = static_cast<double>(ReadWholeFile(wav).size() - 44) / 4;
    EXPECT_NEAR(frames, 2 * 48000.0, 960);  // 150 sectors: two seconds, within a 20 ms frame
    EXPECT_EQ(testing::CommandOutput("ffprobe -v error -of default=nw=1:nk=1 -show_entries "
                                     "stream=sample_rate,channels,duration_ts " +
                                     Quoted(wav)),
              "48000\n2\n" + std::to_string(static_cast<int>(frames)) + "\n");
    EXPECT_TRUE(fs::is_empty(tmp_));
}

// The tags ffprobe reads from `path` (format and stream tags, names in lower case), and in
// `problems` what else it says on standard error.
std::map<std::string, std::string> FfprobeTags(const std::string& path, std::string& problems) {
    std::map<std::string, std::string> tags;
    problems.clear();
    std::istringstream lines(testing::CommandOutput(
        "ffprobe -v warning -show_entries format_tags:stream_tags -of default=nw=1 " +
        Quoted(path) + " 2>&1"));
    for (std::string line; std::getline(lines, line);) {
        const size_t equals = line.find('=');
        if (line.starts_with("TAG:") && equals != std::string::npos) {
            std::string name = line.substr(4, equals - 4);
            std::transform(name.begin(), name.end(), name.begin(),
                           [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
            tags[name] = line.substr(equals + 1);
        } else {
            problems += line + "\n";
        }
    }
    return tags;
}

// One rip of a disc named by the server, in every tagged format: ffprobe reads the same title
// (whole, beyond Latin-1), artist, album, year, genre and track number from each. The MP3 file
// also keeps its ID3v1 tag at the end and LAME's info frame (mp3val finds no fault, the length
// is exact); without Id3v2 it has no ID3v2 tag. WAV files have no tags.
TEST_F(CliTest, TagsInEveryFormat) {
    const std::string cue = Image({{false, 300}, {false, 150}});
    const std::string id = Run({"--image", cue, "toc"}).out.substr(7, 8);
    const std::string title = "Svefn-g-englar — Свефн 日本";
    fs::create_directories(dir_.File("cddb/rock"));
    WriteWholeFile(dir_.File("cddb/rock/" + id),
                   "DTITLE=Sigur Rós / Ágætis byrjun\nDYEAR=1999\n"
                   "DGENRE=Rock\nTTITLE0=" +
                       title + "\nTTITLE1=Starálfur\n");
    testing::CddbServer server(dir_.File("cddb"));
    auto rip = [&](const char* encoder, const char* id3v2) {
        return Run({"--image", cue, "--set", "CDDB/Port=" + std::to_string(server.port()), "--set",
                    "MP3/Usevbr=True", "--set", std::string("ID3/Id3v2=") + id3v2, "rip", "1",
                    "--lookup", "--encoder", encoder, "--template", "$t"});
    };
    struct Row {
        const char* encoder;
        const char* yearName;  // the format's own name where FFmpeg has no common one
        const char* track;
    };
    for (const Row& row :
         {Row{"ogg", "date", "1"}, Row{"mp3", "date", "1/2"}, Row{"wma", "wm/year", "1"},
          Row{"flac", "date", "1"}, Row{"opus", "date", "1"}}) {
        const CliRun run = rip(row.encoder, "True");
        ASSERT_EQ(run.exitCode, 0) << row.encoder << run.err;
        const std::string file = out_ + "/" + title + "." + row.encoder;
        std::string problems;
        auto tags = FfprobeTags(file, problems);
        EXPECT_EQ(problems, "") << row.encoder;
        EXPECT_EQ(tags["title"], title) << row.encoder;
        EXPECT_EQ(tags["artist"], "Sigur Rós") << row.encoder;
        EXPECT_EQ(tags["album"], "Ágætis byrjun") << row.encoder;
        EXPECT_EQ(tags[row.yearName], "1999") << row.encoder;
        EXPECT_EQ(tags["genre"], "Rock") << row.encoder;
        EXPECT_EQ(tags["track"], row.track) << row.encoder;
    }

    const std::string mp3 = out_ + "/" + title + ".mp3";
    const std::string tagged = ReadWholeFile(mp3);
    EXPECT_TRUE(tagged.starts_with("ID3\x04")) << "version 2.4";
    EXPECT_EQ(tagged.substr(tagged.size() - 128, 33),
              "TAGSvefn-g-englar ? ????? ??" + std::string(5, '\0'));  // ID3v1: Latin-1
    const std::string check = testing::CommandOutput("mp3val " + Quoted(mp3));
    EXPECT_NE(check.find("+ID3v1+ID3v2, Xing header"), std::string::npos) << check;
    EXPECT_EQ(check.find("WARNING"), std::string::npos) << check;
    const double seconds = std::stod(testing::CommandOutput(
        "ffprobe -v error -show_entries format=duration -of csv=p=0 " + Quoted(mp3)));
    // 4 s and LAME's delay of 1105 samples in 155 frames of 1152, as the info frame counts
    // them (without it ffprobe guesses from the bit rate and says so).
    EXPECT_NEAR(seconds, 155 * 1152 / 44100.0, 0.001);

    ASSERT_EQ(rip("mp3", "False").exitCode, 0);
    const std::string plain = ReadWholeFile(mp3);
    EXPECT_FALSE(plain.starts_with("ID3"));
    EXPECT_LT(plain.size(), tagged.size());
    EXPECT_EQ(tagged.substr(tagged.size() - plain.size()), plain) << "the same behind the tag";

    ASSERT_EQ(rip("wav", "True").exitCode, 0);
    std::string problems;
    EXPECT_TRUE(FfprobeTags(out_ + "/" + title + ".wav", problems).empty());
    EXPECT_EQ(fs::file_size(out_ + "/" + title + ".wav"), 44u + 300 * 2352);
}

TEST_F(CliTest, ReadErrorsAnsweredEachWay) {
    const std::string sim = Simcd("track audio 200\nunreadable 30\nunreadable 120\n");
    const CliRun no = Run({"--image", sim, "rip"});  // no terminal, no answer: No
    EXPECT_EQ(no.exitCode, 1);
    EXPECT_EQ(no.out, "1\tStopped\t" + out_ + "/-Track 01.wav\nREADERROR\t1\t00:00.26\n");
    EXPECT_NE(no.err.find("Error at frame 26\nASPIlib error 3, ASPI error 3\n"
                          "Do you want to ignore this?\nAnswer: No"),
              std::string::npos)
        << no.err;

    const CliRun yes = Run({"--image", sim, "rip", "--answer-read-error", "yes"});
    EXPECT_EQ(yes.exitCode, 3) << yes.err;     // completed, with read errors let pass
    const std::string unreadable(2352, '\0');  // silence in its place
    EXPECT_TRUE(ReadWholeFile(out_ + "/-Track 01.wav").substr(44) ==
                SimulatedAudio(0, 30) + unreadable + SimulatedAudio(31, 89) + unreadable +
                    SimulatedAudio(121, 79));

    const CliRun all = Run({"--image", sim, "rip", "--answer-read-error", "all"});
    EXPECT_EQ(all.exitCode, 3);
    EXPECT_EQ(all.err.find("Error at frame 104"), std::string::npos);  // asked once only
    EXPECT_NE(all.out.find("READERROR\t1\t00:00.26\nREADERROR\t1\t00:01.29\n"), std::string::npos)
        << all.out;

    // Secure reading gives up only after its retries, and a No then ends the track as an
    // error.
    const CliRun secure = Run({"--image", sim, "rip", "--secure"});
    EXPECT_EQ(secure.exitCode, 1);
    EXPECT_TRUE(secure.out.starts_with("1\tERROR\t")) << secure.out;
}

TEST_F(CliTest, SecureRipEqualsCdParanoiaAtEveryOffset) {
    std::vector<std::vector<int16_t>> music;
    for (int variation = 0; variation < 3; ++variation) {
        music.push_back(testing::SynthesizeMusic(2.0, variation));
    }
    const std::string cue = testing::MakeAudioCueImage(dir_.path(), "music", music);
    const std::string bin = ReadWholeFile(dir_.File("music.bin"));
    const int64_t start = 150 * 2352;  // of track 2: two seconds are 150 sectors
    for (const int offset : {0, 30, 500, -30, -600}) {
        const CliRun rip = Run({"--image", cue, "rip", "2", "--encoder", "wav", "--secure",
                                "--offset", std::to_string(offset)});
        ASSERT_EQ(rip.exitCode, 0) << rip.err;
        const std::string ours = ReadWholeFile(out_ + "/-Track 02.wav").substr(44);
        EXPECT_TRUE(ours == bin.substr(static_cast<size_t>(start + offset * 4), 150 * 2352))
            << "offset " << offset;
        if (offset < 0) {
            continue;  // cd-paranoia misplaces what it reads at negative offsets
        }
        const std::string peer = dir_.File("peer.raw");
        ASSERT_EQ(RunCommand("cd-paranoia -q -r -d " + Quoted(cue) + " -O " +
                             std::to_string(offset) + " 2 " + Quoted(peer) + " >/dev/null 2>&1"),
                  0);
        EXPECT_TRUE(ours == ReadWholeFile(peer)) << "offset " << offset;
    }
}

TEST_F(CliTest, TestAndCopyTellsAFlakyReadFromASecureOne) {
    const std::string sim = Simcd("track audio 300\nflaky 100-120\n");
    for (const bool secure : {false, true}) {
        std::vector<std::string> arguments = {"--image", sim, "--set", "SECURE/TestAndCopy=True",
                                              "rip"};
        if (secure) {
            arguments.push_back("--secure");
        }
        const CliRun rip = Run(arguments);
        ASSERT_EQ(rip.exitCode, secure ? 0 : 3) << rip.err;
        const auto line = rip.out.find("CRC\t1\t");
        ASSERT_NE(line, std::string::npos) << rip.out;
        const std::string copy = rip.out.substr(line + 6, 8);
        const std::string test = rip.out.substr(line + 15, 8);
        EXPECT_EQ(copy == test, secure) << rip.out;
        const std::string audio = ReadWholeFile(out_ + "/-Track 01.wav").substr(44);
        EXPECT_EQ(audio == SimulatedAudio(0, 300), secure);
    }
}

// A rip that completed with doubts says so in the track's line and exits with 3; a disc
// without audio has nothing to rip, which is said, and is no success either.
TEST_F(CliTest, ResultsInDoubtAreToldAndExitWithTheirOwnStatus) {
    struct Case {
        const char* disc;
        std::vector<std::string> options;
        std::string out;  // how the output starts
        std::string err;  // a line of standard error
        int exitCode;
    };
    const std::vector<Case> cases = {
        {"track audio 300\nflaky 100-120\n",
         {"--set", "SECURE/TestAndCopy=True"},
         "1\tCompleted \u2014 test and copy differ\t",
         "",
         3},
        {"track audio 200\nunreadable 30\nunreadable 120\n",
         {"--answer-read-error", "all"},
         "1\tCompleted \u2014 2 read errors\t",
         "",
         3},
        {"track audio 300\n", {"--set", "SECURE/TestAndCopy=True"}, "1\tCompleted\t", "", 0},
        {"track data 300\n", {}, "", "The disc has no audio tracks: there is nothing to rip\n", 1},
    };
    for (const Case& c : cases) {
        std::vector<std::string> arguments = {"--image", Simcd(c.disc), "rip"};
        arguments.insert(arguments.end(), c.options.begin(), c.options.end());
        const CliRun rip = Run(arguments);
        EXPECT_EQ(rip.exitCode, c.exitCode) << c.disc << rip.err;
        EXPECT_TRUE(rip.out.starts_with(c.out)) << c.disc << rip.out;
        EXPECT_EQ(rip.out.empty(), c.out.empty()) << c.disc << rip.out;
        EXPECT_NE(rip.err.find(c.err), std::string::npos) << c.disc << rip.err;
    }
}

// Where the simulated disc's audio in a WAV rip does not go on from one frame to the next
// (its left sample is frame × 7; 28087 × 7 is 1 modulo 65536).
int Jumps(const std::string& wav) {
    int count = 0;
    uint16_t previous = 0;
    for (size_t i = 44; i + 4 <= wav.size(); i += 4) {
        const auto frame = static_cast<uint16_t>(
            (static_cast<uint8_t>(wav[i]) | (static_cast<uint8_t>(wav[i + 1]) << 8)) * 28087u);
        count += i > 44 && frame != static_cast<uint16_t>(previous + 1) ? 1 : 0;
        previous = frame;
    }
    return count;
}

TEST_F(CliTest, JitterModesFromTheSettings) {
    const std::string sim = Simcd("track audio 400\njitter 4\n");
    const auto jumps = Jumps;
    ASSERT_EQ(Run({"--image", sim, "--set", "GENERAL/Jitter=0", "rip"}).exitCode, 0);
    EXPECT_EQ(jumps(ReadWholeFile(out_ + "/-Track 01.wav")), 0);
    ASSERT_EQ(Run({"--image", sim, "--set", "GENERAL/Jitter=1", "rip"}).exitCode, 0);
    EXPECT_GT(jumps(ReadWholeFile(out_ + "/-Track 01.wav")), 0);
}

TEST_F(CliTest, TheEndOfTheAudioIsReadWhole) {
    // Correcting reads at the end of the disc and before a data track; the last audio track
    // of an enhanced CD, whose data track lies in a second session.
    const std::string enhanced = "track audio 1000\ntrack audio 800\nsession\ntrack data 3000\n";
    struct Case {
        std::string disc;
        const char* jitter;
        const char* track;
        int64_t first;
        int64_t sectors;
    };
    for (const Case& c : {Case{"track audio 300\njitter 4\n", "0", "1", 0, 300},
                          Case{"track audio 300\ntrack data 300\njitter 4\n", "0", "1", 0, 300},
                          Case{enhanced, "1", "2", 1000, 800}, Case{enhanced, "2", "2", 1000, 800},
                          Case{enhanced + "jitter 3\n", "0", "2", 1000, 800}}) {
        fs::remove_all(out_);
        const CliRun run = Run({"--image", Simcd(c.disc), "--set",
                                std::string("GENERAL/Jitter=") + c.jitter, "rip", c.track});
        const std::string wav = ReadWholeFile(out_ + "/-Track 0" + c.track + ".wav");
        EXPECT_EQ(run.exitCode, 0) << c.disc << run.err;
        EXPECT_EQ(run.err.find("Error at frame"), std::string::npos) << c.disc;
        EXPECT_EQ(wav.size(), 44 + static_cast<size_t>(c.sectors) * 2352) << c.disc;
        if (c.disc.find("jitter") == std::string::npos) {
            EXPECT_TRUE(wav.size() > 44 && wav.substr(44) == SimulatedAudio(c.first, c.sectors))
                << c.disc;
        } else {
            EXPECT_EQ(Jumps(wav), 0) << c.disc;  // a track's first read has nothing to line up to
        }
    }
    // The list leaves out the gap between the sessions; the disc ID is the drive's own.
    const CliRun toc = Run({"--image", Simcd(enhanced), "toc"});
    // AccurateRip takes the lead-out after the data track (16200), MusicBrainz the data
    // track's start (13200) less 11400.
    EXPECT_EQ(toc.out,
              "DISCID 1800d803\nACCURATERIP\t002-00004330-0000c5a9-1800d803\nMUSICBRAINZ\t" +
                  LibdiscidId("1 2 1950 150 1150") +
                  "\n1\tTrack 01\t0\t1000\t00:13\n2\tTrack 02\t1000\t800\t00:10\n");
}

TEST_F(CliTest, AConversionNeverReplacesItsOwnSource) {
    // A WAV file named as an MP3 encoded to MP3 in its own folder, an Ogg named as a WAV
    // decoded.
    const std::string wav = out_ + "/song.mp3";
    fs::rename(testing::MakeSineWav(out_, "song.wav", 44100, 2, 16, 1), wav);
    const std::string ogg = out_ + "/tune.wav";
    ASSERT_EQ(RunCommand("oggenc -Q -o " + ogg + " " + wav), 0);
    const std::string wavBefore = ReadWholeFile(wav);
    const std::string oggBefore = ReadWholeFile(ogg);
    for (const std::vector<std::string>& command :
         {std::vector<std::string>{"encode", wav, "--encoder", "mp3", "--answer-overwrite", "yes"},
          std::vector<std::string>{"decode", ogg, "--answer-overwrite", "yes"}}) {
        const CliRun run = Run(command);
        EXPECT_EQ(run.exitCode, 1) << command[0];
        EXPECT_TRUE(run.out.starts_with("ERROR\t")) << command[0];
        EXPECT_NE(run.err.find("cannot also be its output"), std::string::npos) << run.err;
    }
    EXPECT_EQ(ReadWholeFile(wav), wavBefore);
    EXPECT_EQ(ReadWholeFile(ogg), oggBefore);
}

TEST_F(CliTest, OverwriteQuestion) {
    const std::string cue = Image({{false, 75}});
    WriteWholeFile(out_ + "/-Track 01.wav", "mine");
    const CliRun kept = Run({"--image", cue, "--set", "GENERAL/Overwrite=False", "rip"});
    EXPECT_EQ(kept.exitCode, 1);
    EXPECT_EQ(ReadWholeFile(out_ + "/-Track 01.wav"), "mine");
    const CliRun replaced = Run(
        {"--image", cue, "--set", "GENERAL/Overwrite=False", "rip", "--answer-overwrite", "yes"});
    EXPECT_EQ(replaced.exitCode, 0);
    EXPECT_EQ(ReadWholeFile(out_ + "/-Track 01.wav").size(), 44u + 75 * 2352);
}

TEST_F(CliTest, EncodeAndDecodeFiles) {
    const std::string soxWav = testing::MakeSineWav(dir_.path(), "sox.wav", 44100, 2, 16, 1);
    const std::string ffmpegWav = dir_.File("ffmpeg.wav");
    ASSERT_EQ(RunCommand("ffmpeg -v error -f lavfi -i sine=duration=1 -ac 2 -y " + ffmpegWav), 0);
    for (const std::string& wav : {soxWav, ffmpegWav}) {
        for (const char* kind : {"ogg", "mp3", "wma"}) {
            const CliRun run = Run({"encode", wav, "--encoder", kind});
            const std::string output =
                out_ + "/" + fs::path(wav).stem().string() + "." + std::string(kind);
            ASSERT_EQ(run.exitCode, 0) << run.err;
            EXPECT_EQ(run.out, "Completed\t" + output + "\n");
            EXPECT_FALSE(testing::DecodeWithFfmpeg(output).empty());
        }
    }

    const std::string ogg = dir_.File("song.ogg");
    ASSERT_EQ(RunCommand("oggenc -Q -o " + ogg + " " + soxWav), 0);
    const std::string other = dir_.File("other");
    const CliRun decode = Run({"decode", ogg, "--outdir", other});
    ASSERT_EQ(decode.exitCode, 0) << decode.err;
    EXPECT_EQ(decode.out, "Completed\t" + other + "/song.wav\n");
    ASSERT_EQ(RunCommand("oggdec -Q -o " + dir_.File("oggdec.wav") + " " + ogg), 0);
    EXPECT_EQ(ReadWholeFile(other + "/song.wav"), ReadWholeFile(dir_.File("oggdec.wav")));

    const CliRun bad = Run({"decode", soxWav});
    EXPECT_EQ(bad.exitCode, 1);
    EXPECT_TRUE(bad.out.starts_with("ERROR\t"));
}

// The integrated loudness (LUFS) in the summary of ffmpeg's ebur128 filter.
double FfmpegLoudness(const std::string& wav) {
    const std::string report = testing::CommandOutput(
        "ffmpeg -nostats -hide_banner -i " + Quoted(wav) + " -filter_complex ebur128 -f null -");
    const size_t at = report.find("I:", report.rfind("Integrated loudness:"));
    return std::stod(report.substr(at + 2));
}

// The tags ffprobe finds in a file (the format's, and for Ogg the audio stream's), keys in
// capitals.
std::map<std::string, std::string> FfprobeTags(const std::string& file) {
    std::map<std::string, std::string> tags;
    std::istringstream lines(testing::CommandOutput(
        "ffprobe -v error -show_entries format_tags:stream_tags -of default=noprint_wrappers=1 " +
        Quoted(file)));
    for (std::string line; std::getline(lines, line);) {
        const size_t equals = line.find('=');
        if (line.starts_with("TAG:") && equals != std::string::npos) {
            std::string key = line.substr(4, equals - 4);
            std::transform(key.begin(), key.end(), key.begin(),
                           [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
            tags[key] = line.substr(equals + 1);
        }
    }
    return tags;
}

// The REPLAYGAIN lines of a rip: track number or "album" -> {gain, peak}.
std::map<std::string, std::pair<std::string, std::string>> ReplayGainLines(const std::string& out) {
    std::map<std::string, std::pair<std::string, std::string>> lines;
    std::istringstream text(out);
    for (std::string line; std::getline(text, line);) {
        std::istringstream fields(line);
        std::string tag, which, gain, peak;
        if (std::getline(fields, tag, '\t') && tag == "REPLAYGAIN" &&
            std::getline(fields, which, '\t') && std::getline(fields, gain, '\t') &&
            std::getline(fields, peak)) {
            lines[which] = {gain, peak};
        }
    }
    return lines;
}

std::string PeakText(const std::vector<int16_t>& samples) {
    int peak = 0;
    for (const int16_t sample : samples) {
        peak = std::max(peak, std::abs(int{sample}));
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.6f", peak / 32768.0);
    return text;
}

// Two tracks, the second quieter: the gains of a WAV rip against ffmpeg's measure of the files
// (and of both together for the album), then the same values in the tags of an Ogg Vorbis, MP3
// and WMA rip and of an encoded WAV file (its own album); with ReplayGain off, neither lines
// nor tags.
TEST_F(CliTest, ReplayGainAgreesWithFfmpegAndIsWrittenIntoTheFiles) {
    const std::vector<int16_t> loud = testing::SynthesizeMusic(8, 0);
    std::vector<int16_t> quiet = testing::SynthesizeMusic(6, 1);
    for (int16_t& sample : quiet) {
        sample = static_cast<int16_t>(sample / 2);
    }
    const std::string cue = testing::MakeAudioCueImage(dir_.path(), "music", {loud, quiet});
    const CliRun wav = Run({"--image", cue, "rip"});
    ASSERT_EQ(wav.exitCode, 0) << wav.err;
    const auto gains = ReplayGainLines(wav.out);
    ASSERT_EQ(gains.size(), 3u) << wav.out;
    EXPECT_NE(wav.out.find("REPLAYGAIN\t2\t" + gains.at("2").first + "\t" + gains.at("2").second +
                           "\nREPLAYGAIN\talbum\t"),
              std::string::npos);
    const std::string one = out_ + "/-Track 01.wav";
    const std::string two = out_ + "/-Track 02.wav";
    const std::string both = dir_.File("both.wav");
    ASSERT_EQ(RunCommand("sox " + Quoted(one) + " " + Quoted(two) + " " + Quoted(both)), 0);
    EXPECT_NEAR(std::stod(gains.at("1").first), -18 - FfmpegLoudness(one), 0.1);
    EXPECT_NEAR(std::stod(gains.at("2").first), -18 - FfmpegLoudness(two), 0.1);
    EXPECT_NEAR(std::stod(gains.at("album").first), -18 - FfmpegLoudness(both), 0.1);
    EXPECT_EQ(gains.at("1").second, PeakText(loud));
    EXPECT_EQ(gains.at("2").second, PeakText(quiet));
    EXPECT_EQ(gains.at("album").second, PeakText(loud));
    EXPECT_EQ(fs::file_size(one), 44u + 600 * 2352);  // WAV files stay untagged

    const auto expectTags = [&](const std::string& file, const std::string& n,
                                const std::string& album) {
        const auto tags = FfprobeTags(file);
        const auto value = [&tags](const char* key) {
            return tags.contains(key) ? tags.at(key) : std::string("(none)");
        };
        EXPECT_EQ(value("REPLAYGAIN_TRACK_GAIN"), gains.at(n).first + " dB") << file;
        EXPECT_EQ(value("REPLAYGAIN_TRACK_PEAK"), gains.at(n).second) << file;
        EXPECT_EQ(value("REPLAYGAIN_ALBUM_GAIN"), gains.at(album).first + " dB") << file;
        EXPECT_EQ(value("REPLAYGAIN_ALBUM_PEAK"), gains.at(album).second) << file;
    };
    for (const char* kind : {"ogg", "mp3", "wma"}) {
        const CliRun rip = Run({"--image", cue, "rip", "--encoder", kind});
        ASSERT_EQ(rip.exitCode, 0) << kind << rip.err;
        EXPECT_EQ(ReplayGainLines(rip.out), gains) << kind;
        for (const char* n : {"1", "2"}) {
            expectTags(out_ + "/-Track 0" + n + "." + kind, n, "album");
        }
    }
    // The MP3's info frame still describes its audio behind the new ID3v2 tag, which shows the
    // ID3v1 tag's title too.
    const std::string mp3 = out_ + "/-Track 01.mp3";
    EXPECT_EQ(FfprobeTags(mp3)["TITLE"], "Track 01");
    EXPECT_NEAR(std::stod(testing::CommandOutput(
                    "ffprobe -v error -show_entries format=duration -of csv=p=0 " + Quoted(mp3))),
                8.0, 0.06);
    const std::string check = testing::CommandOutput("mp3val -si " + Quoted(mp3));
    EXPECT_EQ(check.find("WARNING"), std::string::npos) << check;
    EXPECT_EQ(check.find("ERROR"), std::string::npos) << check;

    const CliRun encode = Run({"encode", one, "--encoder", "ogg", "--outdir", dir_.File("conv")});
    ASSERT_EQ(encode.exitCode, 0) << encode.err;
    expectTags(dir_.File("conv/-Track 01.ogg"), "1", "1");

    const CliRun off =
        Run({"--image", cue, "--set", "ID3/ReplayGain=False", "rip", "--encoder", "ogg"});
    ASSERT_EQ(off.exitCode, 0) << off.err;
    EXPECT_EQ(off.out.find("REPLAYGAIN"), std::string::npos);
    EXPECT_FALSE(FfprobeTags(out_ + "/-Track 01.ogg").contains("REPLAYGAIN_TRACK_GAIN"));
}

TEST_F(CliTest, UsageErrors) {
    const std::string cue = Image({{false, 75}});
    const std::vector<std::vector<std::string>> mistakes = {
        {},
        {"burn"},
        {"--image", cue, "rip", "2"},
        {"--image", cue, "rip", "1-x"},
        {"--set", "GENERAL/Jiter=2", "drives"},
        {"--set", "nonsense", "drives"},
        {"decode", "a.ogg", "--encoder", "mp3"},
        {"encode"},
        {"encode", "a.wav", "--encoder", "wav"},
        {"--drive", "7", "drives"},
        {"lookup", "--source", "discogs"},
        {"lookup", "--release", "0"},
        {"rip", "--release", "2"},  // without --lookup
        {"--image", dir_.File("missing.cue"), "drives"},
        {"toc", "extra"},
        {"--image", cue, "rip", "--threads", "65"},
        {"--threads", "2", "drives"},
        {"--frobnicate", "drives"},
        {"--image", cue, "--image", cue, "--image", cue, "--image", cue, "--image", cue, "--image",
         cue, "--image", cue, "--image", cue, "--image", cue, "toc"},  // a ninth drive
    };
    for (const auto& arguments : mistakes) {
        const CliRun run = Run(arguments);
        std::string line;
        for (const auto& argument : arguments) {
            line += argument + " ";
        }
        EXPECT_EQ(run.exitCode, 2) << line;
        EXPECT_NE(run.err.find("disctrove-cli: "), std::string::npos) << line;
        EXPECT_EQ(run.out, "") << line;
    }
    const CliRun help = Run({"--help"}, false);
    EXPECT_EQ(help.exitCode, 0);
    for (const char* word : {"drives", "toc", "lookup", "rip", "encode", "decode", "--set",
                             "--answer-read-error", "--template", "--outdir"}) {
        EXPECT_NE(help.out.find(word), std::string::npos) << word;
    }
    const CliRun version = Run({"--version"}, false);
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out, std::string("Disctrove ") + kProgramVersion + "\n");
}

TEST_F(CliTest, CtrlCStopsTheRipLikeTheStopButton) {
    const std::string cue = Image({{false, 75 * 60}, {false, 75 * 60}});
    const std::string command = std::string(DISCTROVE_CLI) + " --settings " + Quoted(ini_) +
                                " --set " + Quoted("GENERAL/Outfolder=" + out_) + " --image " +
                                Quoted(cue) + " rip --encoder mp3 </dev/null >" +
                                Quoted(dir_.File("stdout")) + " 2>/dev/null";
    // Interrupted once the encoder is at work on the first track: the file it writes under a
    // name of its own until it is done has begun (looked for rather than waited for, so a slow
    // build interrupts at the same point).
    const int status =
        RunCommand(command + " & pid=$!; for i in $(seq 600); do [ -n \"$(find " + Quoted(out_) +
                   " -name '.disctrove-*.mp3' -size +0)\" ] && break; sleep 0.1; "
                   "done; kill -INT $pid; wait $pid");
    EXPECT_EQ(status, 1);
    const std::string out = WithoutChecks(ReadWholeFile(dir_.File("stdout")));
    EXPECT_EQ(out,
              "1\tStopped\t" + out_ + "/-Track 01.mp3\n2\tStopped\t" + out_ + "/-Track 02.mp3\n");
    EXPECT_TRUE(fs::is_empty(tmp_)) << "a temporary file was left";
    EXPECT_FALSE(testing::DecodeWithFfmpeg(out_ + "/-Track 01.mp3").empty());
}

TEST_F(CliTest, AKilledRipLeavesOnlyWholeFilesAndTheNextRipCleansUp) {
    const std::string cue = Image({{false, 75 * 20}, {false, 75 * 20}, {false, 75 * 20}});
    std::mt19937 random(std::random_device{}());
    for (const char* encoder : {"wav", "flac", "mp3"}) {
        fs::remove_all(out_);
        fs::create_directories(out_);
        const std::string command = std::string(DISCTROVE_CLI) + " --settings " + Quoted(ini_) +
                                    " --set " + Quoted("GENERAL/Outfolder=" + out_) + " --image " +
                                    Quoted(cue) + " rip --encoder " + encoder +
                                    " --threads 2 </dev/null >/dev/null 2>&1";
        // Killed at a moment anywhere from the first read to the last encode.
        const int killAfterMs = std::uniform_int_distribution<int>(50, 2500)(random);
        const std::string when =
            std::string(encoder) + ", killed after " + std::to_string(killAfterMs) + " ms";
        RunCommand(command + " & pid=$!; sleep " + std::to_string(killAfterMs / 1000.0) +
                   "; kill -KILL $pid; wait $pid");
        const std::string extension = std::string(".") + encoder;
        for (const auto& entry : fs::directory_iterator(out_)) {
            const std::string name = entry.path().filename().string();
            if (name.front() != '.' && name.ends_with(extension)) {
                EXPECT_EQ(testing::PeerToolProblems(entry.path()), "") << when << ": " << name;
            }
        }
        // The next run removes what the killed one left and rips the disc whole.
        ASSERT_EQ(RunCommand(command), 0) << when;
        int audioFiles = 0;
        for (const auto& entry : fs::directory_iterator(out_)) {
            const std::string name = entry.path().filename().string();
            EXPECT_NE(name.front(), '.') << when;
            if (name.ends_with(extension)) {
                ++audioFiles;
                EXPECT_EQ(testing::PeerToolProblems(entry.path()), "") << when << ": " << name;
            }
        }
        EXPECT_EQ(audioFiles, 3) << when;
        EXPECT_TRUE(fs::is_empty(tmp_)) << when;
    }
}

}  // namespace
}  // namespace disctrove
