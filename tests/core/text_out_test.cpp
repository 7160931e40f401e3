#include "core/text_out.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/temp_dir.h"

namespace nimbrel {
namespace {

using testing::readFile;
using testing::TempDir;
using testing::writeFile;

TEST(TextOut, WritesLargeOutputInOrder) {
    TempDir dir;
    TextOut out;
    ASSERT_TRUE(out.open("big.txt"));
    std::string expected;
    for (int i = 0; i < 200000; ++i) {
        out.print("v %f %d\n", i * 0.5f, i);
        expected += format("v %f %d\n", i * 0.5f, i);
    }
    ASSERT_TRUE(out.close());
    EXPECT_EQ(readFile("big.txt"), expected);
}

TEST(TextOut, CreateNewNeverOverwritesAndDiscardSparesForeignFiles) {
    TempDir dir;
    writeFile("mine.obj", "keep me");
    TextOut out;
    EXPECT_FALSE(out.open("mine.obj", TextOut::Mode::CreateNew));
    out.discard();
    EXPECT_EQ(readFile("mine.obj"), "keep me");

    ASSERT_TRUE(out.open("fresh.obj", TextOut::Mode::CreateNew));
    out.put("partial");
    out.discard();
    EXPECT_FALSE(std::filesystem::exists("fresh.obj"));
}

TEST(TextOut, AFullDiskIsReportedAtClose) {
    TextOut out;
    ASSERT_TRUE(out.open("/dev/full"));
    for (int i = 0; i < 100; ++i) out.put(std::string(100000, 'x'));
    EXPECT_FALSE(out.close());
    EXPECT_TRUE(out.failed());
}

}  // namespace
}  // namespace nimbrel
