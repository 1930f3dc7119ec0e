// disctrove-cli convert driven as a user drives it over a folder of mixed files.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "convert/conversion_names.h"
#include "support/temp_dir.h"

namespace disctrove {
namespace {

namespace fs = std::filesystem;
using testing::CommandOutput;
using testing::ReadWholeFile;
using testing::RunCommand;
using testing::TempDir;
using testing::WriteWholeFile;

std::string Quoted(const std::string& text) {
    std::string quoted = "'";
    for (const char c : text) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

// Makes `path` with sox: `seconds` of a tone.
void MakeTone(const std::string& path, int seconds, int frequency = 440) {
    fs::create_directories(fs::path(path).parent_path());
    ASSERT_EQ(RunCommand("sox -n -r 44100 -c 2 -b 16 " + Quoted(path) + " synth " +
                         std::to_string(seconds) + " sine " + std::to_string(frequency) +
                         " vol 0.5 2>/dev/null"),
              0);
}

class ConvertCommandTest : public ::testing::Test {
  protected:
    std::string Command(const std::vector<std::string>& arguments) {
        WriteWholeFile(ini_, "[GENERAL]\nOverwrite=True\n");
        std::string command = Quoted(DISCTROVE_CLI) + " --settings " + Quoted(ini_) + " convert";
        for (const std::string& argument : arguments) {
            command += " " + Quoted(argument);
        }
        return command;
    }
    int Run(const std::vector<std::string>& arguments, std::string& out) {
        const int code = RunCommand(Command(arguments) + " >" + Quoted(dir_.File("stdout")) +
                                    " 2>" + Quoted(dir_.File("stderr")) + " </dev/null");
        out = ReadWholeFile(dir_.File("stdout"));
        return code;
    }
    // The files below `folder`, by their path below it.
    std::vector<std::string> Files(const std::string& folder) {
        std::vector<std::string> files;
        for (const auto& entry : fs::recursive_directory_iterator(folder)) {
            if (!entry.is_directory()) {
                files.push_back(fs::relative(entry.path(), folder).string());
            }
        }
        std::sort(files.begin(), files.end());
        return files;
    }

    TempDir dir_;
    std::string ini_ = dir_.File("dt.ini");
    std::string in_ = dir_.File("in");
    std::string out_ = dir_.File("out");
};

// A folder of good files, a damaged one, an unreadable one and one converted before: the rest
// are converted, the three are reported, and nothing half-made is left.
TEST_F(ConvertCommandTest, AFolderWithBadFilesConvertsTheRestAndReportsThem) {
    MakeTone(in_ + "/a.wav", 3);
    MakeTone(in_ + "/sub/b.wav", 2, 660);
    ASSERT_EQ(
        RunCommand("flac -s -o " + Quoted(in_ + "/sub/c.flac") + " " + Quoted(in_ + "/sub/b.wav")),
        0);
    const std::string flac = ReadWholeFile(in_ + "/sub/c.flac");
    WriteWholeFile(in_ + "/damaged.flac", flac.substr(0, flac.size() / 2) + std::string(4000, 'x'));
    fs::create_symlink(in_ + "/gone.flac", in_ + "/unreadable.flac");  // a file no one can read
    std::string out;
    ASSERT_EQ(Run({in_, "--outdir", out_, "--encoder", "opus", "--keep-tree"}, out), 1) << out;
    // Converted once; then converted again beside what exists, with one more file.
    MakeTone(in_ + "/z.wav", 1);
    const auto before = fs::last_write_time(out_ + "/a.opus");
    ASSERT_EQ(Run({in_, "--outdir", out_, "--encoder", "opus", "--keep-tree", "--skip-existing",
                   "--threads", "2"},
                  out),
              1)
        << out;
    EXPECT_EQ(fs::last_write_time(out_ + "/a.opus"), before);
    EXPECT_NE(out.find("SKIPPED\t" + in_ + "/a.wav\t" + out_ + "/a.opus\talready converted\n"),
              std::string::npos)
        << out;
    EXPECT_NE(out.find("CONVERTED\t" + in_ + "/z.wav\t" + out_ + "/z.opus"), std::string::npos);
    EXPECT_NE(out.find("FAILED\t" + in_ + "/damaged.flac\t"), std::string::npos) << out;
    EXPECT_NE(out.find("FAILED\t" + in_ + "/unreadable.flac\t"), std::string::npos) << out;
    EXPECT_NE(out.find("TOTAL\t1\t3\t2\t0\n"), std::string::npos) << out;
    EXPECT_EQ(Files(out_),
              (std::vector<std::string>{"a.opus", "sub/b.opus", "sub/c.opus", "z.opus"}));
    for (const std::string& file : Files(out_)) {
        EXPECT_EQ(RunCommand("opusinfo " + Quoted(out_ + "/" + file) + " >/dev/null 2>&1"), 0)
            << file;
    }
}

// --check-md5 fails a FLAC file whose samples differ from its signature; without it, the file
// converts, as its frames are whole.
TEST_F(ConvertCommandTest, CheckMd5FailsAFileWhoseSignatureDiffers) {
    MakeTone(in_ + "/a.wav", 2);
    ASSERT_EQ(RunCommand("flac -s -o " + Quoted(in_ + "/a.flac") + " " + Quoted(in_ + "/a.wav")),
              0);
    std::string flac = ReadWholeFile(in_ + "/a.flac");
    flac[30] = static_cast<char>(flac[30] ^ 0x01);  // a byte of the MD5 signature
    WriteWholeFile(in_ + "/a.flac", flac);
    std::string out;
    EXPECT_EQ(Run({in_ + "/a.flac", "--outdir", out_, "--encoder", "wav", "--keep-tree"}, out), 0)
        << out;
    EXPECT_EQ(
        Run({in_ + "/a.flac", "--outdir", out_, "--encoder", "wav", "--keep-tree", "--check-md5"},
            out),
        1);
    EXPECT_NE(out.find("FAILED\t" + in_ +
                       "/a.flac\ta.flac is damaged at 0:02: its samples do "
                       "not match the MD5 signature the file holds\n"),
              std::string::npos)
        << out;
    EXPECT_TRUE(fs::exists(out_ + "/a.wav"));  // the first run's file is left as it was
}

// Ctrl+C in the middle of a batch ends it at once and leaves only whole files.
TEST_F(ConvertCommandTest, AnInterruptLeavesOnlyWholeFiles) {
    for (int i = 0; i < 6; ++i) {
        MakeTone(in_ + "/" + std::to_string(i) + ".wav", 40, 300 + 50 * i);
    }
    const std::string outFile = dir_.File("stdout");
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        setpgid(0, 0);
        execl("/bin/sh", "sh", "-c",
              ("exec " +
               Command({in_, "--outdir", out_, "--encoder", "flac", "--threads", "1", "--set",
                        "FLAC/Level=8"}) +
               " >" + Quoted(outFile) + " 2>/dev/null")
                  .c_str(),
              nullptr);
        _exit(127);
    }
    // Once the first file is whole, the second is under way.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (ReadWholeFile(outFile).find("CONVERTED") == std::string::npos &&
           std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    kill(child, SIGINT);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    const std::string out = ReadWholeFile(outFile);
    EXPECT_NE(out.find("STOPPED\t"), std::string::npos) << out;
    const std::vector<std::string> files = Files(out_);
    ASSERT_FALSE(files.empty());
    EXPECT_LT(files.size(), 6u);
    for (const std::string& file : files) {
        EXPECT_EQ(RunCommand("flac -s -t " + Quoted(out_ + "/" + file)), 0) << file;
        EXPECT_NE(out.find("CONVERTED\t" + in_ + "/" + fs::path(file).stem().string() + ".wav"),
                  std::string::npos)
            << file;
    }
}

// ReplayGain is measured anew: the files of one source folder are one album, another folder
// another album.
TEST_F(ConvertCommandTest, EachSourceFolderIsAnAlbumForReplayGain) {
    MakeTone(in_ + "/x/loud.wav", 2, 440);
    ASSERT_EQ(RunCommand("sox -n -r 44100 -c 2 -b 16 " + Quoted(in_ + "/x/quiet.wav") +
                         " synth 2 sine 440 vol 0.05"),
              0);
    ASSERT_EQ(RunCommand("cp " + Quoted(in_ + "/x/quiet.wav") + " " + Quoted(in_ + "/y.wav")), 0);
    std::string out;
    ASSERT_EQ(Run({in_, "--outdir", out_, "--encoder", "flac", "--keep-tree"}, out), 0) << out;
    const auto gain = [&](const std::string& file, const std::string& tag) {
        return CommandOutput("metaflac --show-tag=" + tag + " " + Quoted(out_ + "/" + file));
    };
    EXPECT_EQ(gain("x/loud.flac", "REPLAYGAIN_ALBUM_GAIN"),
              gain("x/quiet.flac", "REPLAYGAIN_ALBUM_GAIN"));
    EXPECT_NE(gain("x/loud.flac", "REPLAYGAIN_TRACK_GAIN"),
              gain("x/quiet.flac", "REPLAYGAIN_TRACK_GAIN"));
    // Alone in its folder, the file is its own album.
    EXPECT_EQ(gain("y.flac", "REPLAYGAIN_ALBUM_GAIN").substr(21),
              gain("y.flac", "REPLAYGAIN_TRACK_GAIN").substr(21));
    EXPECT_NE(gain("y.flac", "REPLAYGAIN_ALBUM_GAIN").substr(21),
              gain("x/quiet.flac", "REPLAYGAIN_ALBUM_GAIN").substr(21));
}

TEST(ConversionNames, FromTagsSafelyOrFromTheSourcesOwnName) {
    const ConvertSource inFolder{"/music/in/Rock/x.flac", -1, "/music/in"};
    const ConvertSource alone{"/elsewhere/y.flac", -1, ""};
    const ConvertSource track{"/music/in/Live/show.cue", 3, "/music/in"};
    const std::vector<TrackTag> tags = {{"ARTIST", "AC/DC"},
                                        {"ALBUM", ".."},
                                        {"TITLE", "T.N.T."},
                                        {"TRACKNUMBER", "3/10"},
                                        {"DATE", "1975-12-01"}};
    std::vector<TrackTag> set = tags;
    set[1].value = "Live";
    std::vector<TrackTag> single = set;
    set.push_back({"DISCNUMBER", "2"});
    set.push_back({"DISCTOTAL", "2"});
    single.push_back({"DISCNUMBER", "1/1"});
    struct Case {
        ConvertSource source;
        std::vector<TrackTag> tags;
        const char* nameTemplate;
        bool keepTree;
        const char* expected;
    } const cases[] = {
        {inFolder, tags, "", false, "/o/AC_DC/_/03 - T.N.T..opus"},
        {inFolder, tags, "$y/$a - $t", false, "/o/1975/AC_DC - T.N.T..opus"},
        {inFolder, tags, "../../$t", false, "/o/_/_/T.N.T..opus"},
        {inFolder, {}, "", false, "/o/Rock/x.opus"},  // no title: its own name
        {inFolder, tags, "", true, "/o/Rock/x.opus"},
        {alone, tags, "", true, "/o/y.opus"},
        {track, {{"TITLE", "Intro"}}, "", true, "/o/Live/show - 03 Intro.opus"},
        {inFolder, {{"TITLE", "Solo"}}, "$n $t", false, "/o/Solo.opus"},
        // A disc of a set of several has an album folder of its own, as in a rip.
        {inFolder, set, "", false, "/o/AC_DC/Live (Disc 2)/03 - T.N.T..opus"},
        {inFolder, set, "$l $d of $s/$t", false, "/o/Live 2 of 2/T.N.T..opus"},
        {inFolder, single, "", false, "/o/AC_DC/Live/03 - T.N.T..opus"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(
            ConversionOutputPath("/o", c.nameTemplate, c.keepTree, c.source, c.tags, kEncoderOpus),
            c.expected)
            << c.nameTemplate;
    }
}

}  // namespace
}  // namespace disctrove
