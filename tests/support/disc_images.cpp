#include "support/disc_images.h"

#include <gtest/gtest.h>

#include <cstring>

#include "support/temp_dir.h"

namespace disctrove::testing {

std::string WriteSimulatedDisc(const std::string& folder, const std::string& name,
                               const std::string& statements) {
    const std::string path = folder + "/" + name + ".simcd";
    WriteWholeFile(path, statements);
    return path;
}

int AddImage(const std::string& path) {
    std::string problem;
    EXPECT_TRUE(platform::AddDiscImage(path, problem)) << problem;
    platform::CdList list{};
    platform::GetCDList(&list);
    for (int i = 0; i < list.num; ++i) {
        if (path.compare(0, std::string::npos, list.cd[static_cast<size_t>(i)].id.data()) == 0) {
            return i;
        }
    }
    ADD_FAILURE() << path << " is not in the drive list";
    return -1;
}

platform::GetCdHandleRequest RequestFor(int index) {
    return {12, 1, static_cast<uint8_t>(index), 0, 0, 0, {}};
}

ImageHandle::ImageHandle(const std::string& path) : drive_(RequestFor(AddImage(path))) {
    EXPECT_NE(drive_.get(), 0u);
}

}  // namespace disctrove::testing
