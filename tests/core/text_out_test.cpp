#include "core/text_out.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
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

// Blocks formatted on several threads come out in item order after the text put before
// them, whatever thread finishes first; in order on one thread, state may flow between
// blocks. A full disk stops the blocks early and stays reported.
TEST(TextOut, BlocksComeOutInItemOrder) {
    TempDir dir;
    constexpr std::uint64_t kItems = 400000;  // enough blocks of 2 MiB / 64 items to share them out
    auto itemText = [](std::uint64_t i) { return format("item %lu %f\n", i, static_cast<float>(i) / 7.0f); };
    std::string expected = "head\n";
    for (std::uint64_t i = 0; i < kItems; ++i) expected += itemText(i);
    for (bool anyThread : {true, false}) {
        SCOPED_TRACE(anyThread ? "any thread" : "in order");
        TextOut out;
        ASSERT_TRUE(out.open("blocks.txt"));
        out.put("head\n");
        std::uint64_t nextInOrder = 0;
        out.putInBlocks(kItems, 64, anyThread, [&](std::uint64_t first, std::uint64_t last, char* o) {
            if (!anyThread) {
                EXPECT_EQ(first, nextInOrder);
                nextInOrder = last;
            }
            for (std::uint64_t i = first; i < last; ++i) {
                const std::string text = itemText(i);
                o = std::copy(text.begin(), text.end(), o);
            }
            return o;
        });
        ASSERT_TRUE(out.close());
        EXPECT_EQ(readFile("blocks.txt"), expected);
    }

    TextOut full;
    ASSERT_TRUE(full.open("/dev/full"));
    std::atomic<std::uint64_t> formatted{0};
    full.putInBlocks(std::uint64_t{1} << 30, 64, true, [&](std::uint64_t first, std::uint64_t last, char* o) {
        formatted += last - first;
        return std::fill_n(o, (last - first) * 64, 'x');
    });
    EXPECT_TRUE(full.failed());
    EXPECT_LT(formatted.load(), std::uint64_t{1} << 24) << "formatting went on after the failed write";
    EXPECT_FALSE(full.close());
}

}  // namespace
}  // namespace nimbrel
