// The pictures built into the programs are the product's own files, byte for byte, and are written
// out whole or not at all.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "renderer/builtin_pictures.h"

namespace {

std::vector<unsigned char> ReadFile(const std::string& sPath) {
    std::ifstream file(sPath, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

class BuiltinPictureNumber : public testing::TestWithParam<int> {};

TEST_P(BuiltinPictureNumber, HoldsTheCommittedPictureAndWritesItWhole) {
    const int n = GetParam();
    const std::vector<unsigned char> aCommitted =
        ReadFile(std::string(VANTOREL_SOURCE_DIR) + "/assets/pictures/pic1_" + std::to_string(n) + ".bmp");
    ASSERT_FALSE(aCommitted.empty());
    const BuiltinPicture picture = GetBuiltinPicture(n);
    ASSERT_EQ(picture.nSize, aCommitted.size());
    EXPECT_EQ(std::vector<unsigned char>(picture.pBytes, picture.pBytes + picture.nSize), aCommitted);

    const std::string sPath = testing::TempDir() + "builtin_" + std::to_string(getpid()) + "_" + std::to_string(n);
    std::ofstream(sPath) << "an older, shorter picture";
    ASSERT_TRUE(WriteBuiltinPicture(n, sPath.c_str()));
    EXPECT_EQ(ReadFile(sPath), aCommitted);
    EXPECT_TRUE(ReadFile(sPath + ".part").empty()) << "the temporary file is left behind";
    std::remove(sPath.c_str());
}

INSTANTIATE_TEST_SUITE_P(TintSparkleNebula, BuiltinPictureNumber, testing::Values(1, 2, 3));

TEST(BuiltinPicture, OtherNumbersAreEmptyAndWriteNothing) {
    for (int n : {0, 4, -1}) {
        SCOPED_TRACE(n);
        EXPECT_EQ(GetBuiltinPicture(n).pBytes, nullptr);
        EXPECT_EQ(GetBuiltinPicture(n).nSize, 0u);
    }
    const std::string sPath = testing::TempDir() + "builtin_none_" + std::to_string(getpid());
    EXPECT_FALSE(WriteBuiltinPicture(4, sPath.c_str()));
    EXPECT_TRUE(ReadFile(sPath).empty());
}

TEST(BuiltinPicture, AnUnwritableFolderLeavesNoFile) {
    const std::string sPath = "/nonexistent-folder-of-vantorel/Nerlo03.bmp";
    EXPECT_FALSE(WriteBuiltinPicture(3, sPath.c_str()));
}

}  // namespace
