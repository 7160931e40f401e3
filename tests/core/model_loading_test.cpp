#include "core/model_loading.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <fstream>

#include "app/window_reports.h"
#include "support/recording_window.h"
#include "support/temp_dir.h"

namespace nimbrel {
namespace {

using testing::RecordingWindow;
using testing::TempDir;
using testing::writeFile;

void makeSparseFile(const std::string& name, std::uint64_t size) {
    std::ofstream(name, std::ios::binary).close();
    ASSERT_EQ(::truncate(name.c_str(), static_cast<off_t>(size)), 0);
}

TEST(ModelLoading, LoadsTheLargestAllowedFileAndRefusesOneByteMore) {
    TempDir dir;
    ModelBuffer& model = ModelBuffer::process();
    RecordingWindow panel;
    makeSparseFile("largest.bin", kLargestModelFile);
    EXPECT_EQ(loadModelFile(model, "largest.bin", panel), kLargestModelFile);
    EXPECT_TRUE(panel.messages.empty());
    EXPECT_EQ(model.size(), kLargestModelFile);

    makeSparseFile("toolarge.bin", kModelCapacity);
    EXPECT_EQ(loadModelFile(model, "toolarge.bin", panel), 0u);
    ASSERT_EQ(panel.messages.size(), 1u);
    EXPECT_EQ(panel.messages[0], "error: file > 124 MB. Nicht akzeptiert...");
    EXPECT_EQ(model.size(), 0u);
}

// A large file is read in parts on several cores: every byte must land where it lies in
// the file, for sizes on and off the parts' boundaries.
TEST(ModelLoading, ALargeFileLandsByteForByte) {
    TempDir dir;
    ModelBuffer model(std::size_t{24} << 20);
    for (std::size_t size : {std::size_t{8} << 20, (std::size_t{20} << 20) + 12345}) {
        SCOPED_TRACE(size);
        std::string bytes(size, '\0');
        for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(i * 2654435761u >> 13);
        writeFile("large.bin", bytes);
        RecordingWindow panel;
        ASSERT_EQ(loadModelFile(model, "large.bin", panel), size);
        EXPECT_EQ(std::memcmp(model.data(), bytes.data(), size), 0);
    }
}

TEST(ModelLoading, ReportsEachFailureWithItsMessage) {
    TempDir dir;
    ModelBuffer model(1024);
    RecordingWindow panel;
    EXPECT_EQ(loadModelFile(model, "missing.bin", panel), 0u);
    EXPECT_EQ(panel.messages.back(), "Invalid file handle!");

    writeFile("empty.bin", "");
    panel.messages.clear();
    EXPECT_EQ(loadModelFile(model, "empty.bin", panel), 0u);
    EXPECT_TRUE(panel.messages.empty()) << "the caller alone reports an empty file";

    if (::geteuid() != 0) {
        writeFile("locked.bin", "abc");
        ::chmod("locked.bin", 0);
        EXPECT_EQ(loadModelFile(model, "locked.bin", panel), 0u);
        EXPECT_EQ(panel.messages.back(), "could not open file!");
    }
}

TEST(ModelLoading, WildcardsTakeTheFirstMatch) {
    TempDir dir;
    ModelBuffer model(1024);
    RecordingWindow panel;
    writeFile("model_a.bin", "AAAA");
    writeFile("model_b.bin", "BB");
    EXPECT_EQ(loadModelFile(model, "model_*.bin", panel), 4u);
    EXPECT_EQ(model.byteAt(0), 'A');
}

TEST(ModelLoading, ASmallFileNeverShowsTheBytesOfALargerOne) {
    TempDir dir;
    ModelBuffer model(1024);
    RecordingWindow panel;
    writeFile("large.bin", std::string(100, '\x7F'));
    writeFile("small.bin", std::string(10, '\x01'));
    ASSERT_EQ(loadModelFile(model, "large.bin", panel), 100u);
    ASSERT_EQ(loadModelFile(model, "small.bin", panel), 10u);
    for (std::uint64_t i = 10; i < 120; ++i) ASSERT_EQ(model.byteAt(i), 0) << i;
    EXPECT_EQ(model.readU32(8, false), 0x0101u);
    // The raw storage behind the model was cleared too, not just hidden.
    EXPECT_EQ(model.data()[50], 0);
    // A failed load leaves nothing readable.
    EXPECT_EQ(loadModelFile(model, "nothing.bin", panel), 0u);
    EXPECT_EQ(model.byteAt(0), 0);
}

TEST(ModelLoading, BlockChecksUseSixtyFourBits) {
    ModelBuffer model(64);
    std::uint8_t bytes[32] = {};
    model.assign(bytes, sizeof bytes);
    EXPECT_TRUE(model.blockFits(32, 0, 12));
    EXPECT_TRUE(model.blockFits(8, 2, 12));
    EXPECT_FALSE(model.blockFits(9, 2, 12));
    EXPECT_FALSE(model.blockFits(33, 0, 1));
    // 0x15555556 * 12 wraps to 8 in 32 bits; it must not pass.
    EXPECT_FALSE(model.blockFits(0, 0x15555556u, 12));
    EXPECT_FALSE(model.contains(0xFFFFFFFFu, 2));
}

TEST(ModelLoading, StemAndParameterFileTest) {
    EXPECT_EQ(pathStem("/data.old/model"), "/data");
    EXPECT_EQ(pathStem("/data/model.bin"), "/data/model");
    EXPECT_EQ(pathStem("model"), "model");
    EXPECT_TRUE(containsParameterFileExtension("mesh.vyp.bin"));
    EXPECT_TRUE(containsParameterFileExtension("MESH.VYP"));
    EXPECT_FALSE(containsParameterFileExtension("mesh.Vyp"));
}

}  // namespace
}  // namespace nimbrel
