#include "disc/drive_offsets.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/temp_dir.h"
#include "tools/accuraterip_server.h"

namespace disctrove {
namespace {

using testing::ReadWholeFile;
using testing::WriteWholeFile;

// One 69-byte record as AccurateRip writes it.
std::string Record(int16_t offset, const std::string& drive) {
    std::string record(kDriveOffsetRecordBytes, '\0');
    record[0] = static_cast<char>(offset & 0xFF);
    record[1] = static_cast<char>((offset >> 8) & 0xFF);
    record.replace(2, drive.size(), drive);
    record[0x23] = '\x05';  // the submission count after the name is not the program's
    return record;
}

std::vector<uint8_t> Bytes(const std::string& text) {
    return {text.begin(), text.end()};
}

TEST(DriveOffsets, RecordsAndTheDrivesTheyName) {
    const std::string list = Record(6, "HL-DT-ST - DVDRAM GH24NSD1") +
                             Record(-472, "PLEXTOR - CD-R   PX-W4012A") +
                             Record(667, "ASUS     - DRW-24F1ST   a");
    const auto parsed = ParseDriveOffsets(Bytes(list));
    ASSERT_TRUE(parsed.has_value());
    ASSERT_EQ(parsed->size(), 3u);
    EXPECT_EQ((*parsed)[1].drive, "PLEXTOR - CD-R   PX-W4012A");
    EXPECT_EQ((*parsed)[1].offset, -472);
    // A drive reports its fields padded with blanks, in any case.
    EXPECT_EQ(FindDriveOffset(*parsed, "HL-DT-ST", "DVDRAM GH24NSD1 "), 6);
    EXPECT_EQ(FindDriveOffset(*parsed, "plextor ", "CD-R PX-W4012A"), -472);
    EXPECT_EQ(FindDriveOffset(*parsed, "ASUS", "DRW-24F1ST a"), 667);
    EXPECT_EQ(FindDriveOffset(*parsed, "ASUS", "DRW-24F1ST"), std::nullopt);
    // What is not a list: cut records, no records, a record without a name.
    for (const std::string& bad :
         {list.substr(0, list.size() - 1), std::string(), Record(6, "") + Record(6, "A - B")}) {
        EXPECT_FALSE(ParseDriveOffsets(Bytes(bad)).has_value()) << bad.size();
    }
}

// The list is fetched once and kept; a copy older than ten days is fetched again, and an old copy
// still serves when the server cannot give a new one.
TEST(DriveOffsets, KeptInTheCacheAndFetchedAgainWhenOld) {
    testing::TempDir dir;
    testing::AccurateRipServer server;
    Options options;
    options.ArServer = "127.0.0.1";
    options.ArPort = server.port();
    const std::string cache = dir.File("DriveOffsets.bin");
    const net::WebRequest request = DriveOffsetsRequest(options);
    EXPECT_TRUE(LoadDriveOffsets(request, cache).empty());  // 404 and no copy
    EXPECT_FALSE(std::filesystem::exists(cache));

    const std::string first = Record(6, "A - ONE");
    server.Serve("/accuraterip/DriveOffsets.bin", first);
    ASSERT_EQ(LoadDriveOffsets(request, cache).size(), 1u);
    EXPECT_EQ(ReadWholeFile(cache), first);
    server.Serve("/accuraterip/DriveOffsets.bin", first + Record(48, "B - TWO"));
    EXPECT_EQ(LoadDriveOffsets(request, cache).size(), 1u);  // young: the copy serves
    EXPECT_EQ(server.Requests().size(), 2u);

    const auto old =
        std::filesystem::file_time_type::clock::now() - kDriveOffsetsMaxAge - std::chrono::hours(1);
    std::filesystem::last_write_time(cache, old);
    EXPECT_EQ(LoadDriveOffsets(request, cache).size(), 2u);
    EXPECT_EQ(ReadWholeFile(cache).size(), 2 * kDriveOffsetRecordBytes);

    std::filesystem::last_write_time(cache, old);
    server.Serve("/accuraterip/DriveOffsets.bin", "<html>moved</html>");
    EXPECT_EQ(LoadDriveOffsets(request, cache).size(), 2u);  // not a list: the old copy
    EXPECT_EQ(ReadWholeFile(cache).size(), 2 * kDriveOffsetRecordBytes);
    WriteWholeFile(cache, "damaged");
    server.Serve("/accuraterip/DriveOffsets.bin", first);
    EXPECT_EQ(LoadDriveOffsets(request, cache).size(), 1u);  // a damaged copy is fetched again
}

}  // namespace
}  // namespace disctrove
