#include "params/table_log.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace nimbrel {
namespace {

using testing::readFile;
using testing::TempDir;

std::string runLog(const std::vector<std::uint8_t>& bytes, const TableLogSettings& settings) {
    TempDir dir;
    ModelBuffer model(1 << 16);
    model.assign(bytes.data(), bytes.size());
    TextOut out;
    EXPECT_TRUE(out.open("table_log.txt"));
    writeTableLog(out, model, settings);
    EXPECT_TRUE(out.close());
    return readFile("table_log.txt");
}

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

const std::string kWordHeader =
    "Word log from /data/car.bin\n"
    "\n"
    "( one line represents 8 bytes in the model file )\n"
    "Values are shown in decimal notation.\n"
    "startaddress taken from go1 editbox\n";

TEST(TableLog, WordLogHas96LinesAndSevenAddressLines) {
    std::vector<std::uint8_t> bytes(800, 0);
    const std::uint8_t first[] = {0x01, 0x00, 0x02, 0x00, 0x03, 0x00, 0x04, 0x00};
    std::copy(std::begin(first), std::end(first), bytes.begin());
    bytes[0x80] = 0xff;  // first value of table line 16
    bytes[0x81] = 0xff;
    bytes[0x2ff] = 0x01;  // last value of table line 95: word 0x0100
    const char* kAddressLines[] = {"address 0x0:\n",   "address 0x80:\n",  "address 0x100:\n",
                                   "address 0x180:\n", "address 0x200:\n", "address 0x280:\n"};
    std::string expected = kWordHeader;
    for (int line = 0; line < 96; ++line) {
        if (line % 16 == 0) expected += kAddressLines[line / 16];
        if (line == 0) expected += "    1     2     3     4 \n";
        else if (line == 16) expected += "65535     0     0     0 \n";
        else if (line == 95) expected += "    0     0     0   256 \n";
        else expected += "    0     0     0     0 \n";
    }
    expected += "address 0x300:\n";
    std::string log = runLog(bytes, {"/data/car.bin", 0, 2, 8, false});
    EXPECT_EQ(log, expected);
    EXPECT_EQ(linesOf(log).size(), 5u + 96u + 7u);
}

TEST(TableLog, WordValuesFollowTheByteOrder) {
    std::vector<std::uint8_t> bytes(2000, 0);
    bytes[0x10] = 0x01;
    bytes[0x11] = 0x02;
    bytes[0x12] = 0xff;
    bytes[0x13] = 0x00;
    // Odd width: a line covers the even part, 6 bytes.
    auto little = linesOf(runLog(bytes, {"m", 0x10, 2, 7, false}));
    auto big = linesOf(runLog(bytes, {"m", 0x10, 2, 7, true}));
    EXPECT_EQ(little[2], "( one line represents 6 bytes in the model file )");
    EXPECT_EQ(little[5], "address 0x10:");
    EXPECT_EQ(little[6], "  513   255     0 ");
    EXPECT_EQ(big[6], "  258 65280     0 ");
    EXPECT_EQ(little.back(), "address 0x250:");  // 0x10 + 96 * 6
}

TEST(TableLog, DWordValuesAboveWordRangeShowAsHex) {
    struct Row {
        std::vector<std::uint8_t> value;
        bool bigEndian;
        const char* text;
    };
    const Row rows[] = {
        {{0x00, 0x00, 0x01, 0x00}, true, "  256 "},
        {{0x00, 0x00, 0x01, 0x00}, false, "00010000 "},
        {{0x45, 0x23, 0x01, 0x00}, false, "00012345 "},
        {{0x00, 0x01, 0x23, 0x45}, true, "00012345 "},
        {{0x34, 0x12, 0x00, 0x00}, false, " 4660 "},
        {{0x00, 0x00, 0x12, 0x34}, true, " 4660 "},
        {{0x0a, 0x0b, 0x0c, 0x0d}, false, "0d0c0b0a "},
        {{0xff, 0xff, 0xff, 0xff}, true, "ffffffff "},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        std::vector<std::uint8_t> bytes(4000, 0);
        std::copy(row.value.begin(), row.value.end(), bytes.begin());
        auto lines = linesOf(runLog(bytes, {"m", 0, 4, 4, row.bigEndian}));
        EXPECT_EQ(lines[7], "address 0x0:");
        EXPECT_EQ(lines[8], row.text);
        EXPECT_EQ(lines[9], "    0 ");
    }
}

TEST(TableLog, DWordLineWidthFromTheFvfSize) {
    std::vector<std::uint8_t> bytes(4000, 0);
    // 32 bytes: 8 values, a line of 32 bytes.
    std::string log = runLog(bytes, {"/m/a b.dat", 0, 4, 32, false});
    std::string header =
        "DWord log from /m/a b.dat\n"
        "\n"
        "( one line represents 32 bytes in the model file )\n"
        "Values above 65535 are shown hexadecimal, below in decimal notation.\n"
        "(In little endian mode hexadecimals are displayed reversed!)\n"
        "\n"
        "startaddress taken from go1 editbox\n"
        "address 0x0:\n"
        "    0     0     0     0     0     0     0     0 \n";
    EXPECT_EQ(log.substr(0, header.size()), header);
    EXPECT_EQ(linesOf(log).back(), "address 0xc00:");  // 96 * 32
    // 6 bytes is not a multiple of 4: 3 dwords, 12 bytes a line.
    auto lines = linesOf(runLog(bytes, {"m", 0, 4, 6, false}));
    EXPECT_EQ(lines[2], "( one line represents 12 bytes in the model file )");
    EXPECT_EQ(lines[8], "    0     0     0 ");
    EXPECT_EQ(lines[8 + 16], "address 0xc0:");
    EXPECT_EQ(lines.back(), "address 0x480:");  // 96 * 12
}

TEST(TableLog, ZeroValuesPerLineGives96EmptyLinesAtTheStart) {
    std::vector<std::uint8_t> bytes(100, 7);
    for (std::uint8_t width : {0, 1}) {
        SCOPED_TRACE(int(width));
        std::string expected =
            "Word log from m\n\n( one line represents 0 bytes in the model file )\n"
            "Values are shown in decimal notation.\nstartaddress taken from go1 editbox\n";
        for (int line = 0; line < 96; ++line) expected += line % 16 == 0 ? "address 0x20:\n\n" : "\n";
        expected += "address 0x20:\n";
        EXPECT_EQ(runLog(bytes, {"m", 0x20, 2, width, false}), expected);
    }
}

TEST(TableLog, StopsAtTheModelEndWithoutReadingPastIt) {
    // 21 bytes from 0x10: two whole words fit (0x10..0x13), the byte at 0x14 is half a word.
    std::vector<std::uint8_t> bytes(21, 0);
    bytes[0x10] = 5;
    bytes[0x12] = 6;
    bytes[0x14] = 9;
    auto lines = linesOf(runLog(bytes, {"m", 0x10, 2, 6, false}));
    ASSERT_EQ(lines.size(), 9u);
    EXPECT_EQ(lines[5], "address 0x10:");
    EXPECT_EQ(lines[6], "    5     6 ");
    EXPECT_EQ(lines[7], "the model data ends at 0x15: the table stops here");
    EXPECT_EQ(lines[8], "address 0x14:");

    // A stop on a line boundary that is also an address boundary: no address line for
    // the missing line, only the closing one. Width 6 in a DWord log is 3 dwords, 12
    // bytes a line, so 16 lines end at 0xc0.
    std::vector<std::uint8_t> exact(0xc0, 1);
    lines = linesOf(runLog(exact, {"m", 0, 4, 6, true}));
    ASSERT_EQ(lines.size(), 7u + 1u + 16u + 2u);
    EXPECT_EQ(lines[7], "address 0x0:");
    EXPECT_EQ(lines[8], "01010101 01010101 01010101 ");
    EXPECT_EQ(lines[23], "01010101 01010101 01010101 ");
    EXPECT_EQ(lines[24], "the model data ends at 0xc0: the table stops here");
    EXPECT_EQ(lines[25], "address 0xc0:");

    // A start at the model size shows no values at all.
    lines = linesOf(runLog(exact, {"m", 0xc0, 2, 8, false}));
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(lines[5], "the model data ends at 0xc0: the table stops here");
    EXPECT_EQ(lines[6], "address 0xc0:");
}

}  // namespace
}  // namespace nimbrel
