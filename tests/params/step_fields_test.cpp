#include "params/step_fields.h"

#include <gtest/gtest.h>

#include <vector>

#include "app/window_reports.h"
#include "params/field_conversion.h"
#include "support/recording_window.h"

namespace nimbrel {
namespace {

using testing::RecordingWindow;

struct Fixture {
    Workspace ws;
    ModelBuffer model;
    RecordingWindow panel;

    explicit Fixture(std::size_t modelSize = 0x200) : model(modelSize) {
        std::vector<std::uint8_t> bytes(modelSize, 0xAA);
        model.assign(bytes.data(), bytes.size());
        panel.fields = {{2, "0"}, {3, "500"}, {32, "0"}, {4, "0"},  {5, "99"},
                        {30, "0"}, {31, "255"}, {6, "0"}, {7, "500"}, {33, "100"}};
    }
};

TEST(FieldConversion, ReadsLikeTheRuntimeConversions) {
    EXPECT_EQ(hexValue("0x1A0", 7), 416u);
    EXPECT_EQ(hexValue("1a0", 7), 416u);
    EXPECT_EQ(hexValue("1A0G", 7), 416u);
    EXPECT_EQ(hexValue("  ff", 7), 255u);
    EXPECT_EQ(hexValue("zz", 7), 0u);
    EXPECT_EQ(hexValue("123456789", 7), 0x1234567u) << "only seven characters are read";
    EXPECT_EQ(hexValue("-1", 7), 0xFFFFFFFFu);
    EXPECT_EQ(decimalValue("12abc", 7), 12u);
    EXPECT_EQ(decimalValue("99999999", 7), 9999999u);
    EXPECT_EQ(oneByteValue("300", 3), 44);
    EXPECT_EQ(oneByteValue("262", 6), 6);
    EXPECT_EQ(oneByteValue("", 3), 0);
    EXPECT_EQ(oneByteValue("-1", 6), 255);
}

TEST(StepFields, StepOneChecksEmptyFieldsAddressAndCount) {
    struct Row {
        const char *start, *count, *gap;
        int batch;
        bool ok;
        const char* message;
        std::uint32_t storedStart;
    };
    const Row rows[] = {
        {"", "500", "0", 0, false, "go1: all editboxes must contain a value!", 0},
        {"10", "", "0", 0, false, "go1: all editboxes must contain a value!", 0},
        {"200", "3", "0", 0, true, "", 0x200},
        {"201", "3", "0", 0, false, "go1: error!\n address greater than filesize", 0x201},
        {"-4", "3", "0", 0, false, "go1: error!\n address greater than filesize", 0xFFFFFFFC},
        {"10", "0", "0", 0, false, "go1: error! check FaceIndexCount", 0x10},
        {"10", "0", "0", 1, true, "", 0x10},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.start) + "/" + row.count);
        Fixture f;
        f.ws.batchMode = row.batch;
        f.panel.fields[2] = row.start;
        f.panel.fields[3] = row.count;
        EXPECT_EQ(readStepOneFields(f.ws, f.model, f.panel), row.ok);
        if (row.ok) {
            EXPECT_TRUE(f.panel.messages.empty());
        } else {
            ASSERT_EQ(f.panel.messages.size(), 1u);
            EXPECT_EQ(f.panel.messages[0], row.message);
        }
        if (row.storedStart) {
            EXPECT_EQ(f.ws.faceIndexStart, row.storedStart) << "kept even after a failure";
        }
    }
}

TEST(StepFields, FaceGapIsWrittenBackModulo256) {
    for (auto [typed, shown] : {std::pair{"300", "44"}, {"", "0"}, {"7", "7"}, {"2567", "0"}}) {
        Fixture f;
        f.panel.fields[32] = typed;
        ASSERT_TRUE(readStepOneFields(f.ws, f.model, f.panel));
        EXPECT_EQ(f.panel.fields[32], shown) << typed;
    }
}

TEST(StepFields, StepTwoRangesAndMixedMode) {
    struct Row {
        const char *fvf, *uvPos, *uvStart, *uvSize;
        bool vb, ok;
        const char* message;
    };
    const Row rows[] = {
        {"", "99", "0", "255", true, false, "go2: all editboxes must contain a value!"},
        {"32", "", "0", "255", false, false, "go2: all editboxes must contain a value!"},
        {"5", "99", "0", "255", true, false, "go2: error!\n check FVF size [6..255]"},
        {"262", "99", "0", "255", true, true, ""},
        {"32", "99", "0", "3", true, false, "go2: error!\n check UVBlock size [4..255]"},
        {"32", "251", "0", "255", true, false, "go2: error!\n check UVpos [6..250]"},
        {"32", "5", "0", "255", true, false, "go2: error!\n check UVpos [6..250]"},
        {"32", "99", "201", "20", true, false, "go2: error!\n UV address greater than filesize"},
        {"32", "99", "200", "20", true, true, ""},
        {"32", "12", "0", "255", true, true, ""},
        {"201", "99", "0", "255", false, false, "go2: error!\n UV address greater than filesize"},
        {"1a0", "xx", "0", "255", false, true, ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.fvf) + " " + row.uvPos + " " + row.uvSize);
        Fixture f;
        f.panel.fields[4] = row.fvf;
        f.panel.fields[5] = row.uvPos;
        f.panel.fields[30] = row.uvStart;
        f.panel.fields[31] = row.uvSize;
        EXPECT_EQ(readStepTwoFields(f.ws, f.model, f.panel, row.vb), row.ok);
        if (row.ok) {
            EXPECT_TRUE(f.panel.messages.empty());
        } else {
            ASSERT_EQ(f.panel.messages, std::vector<std::string>{row.message});
        }
    }
    Fixture seq;
    seq.panel.fields[4] = "1a0";
    ASSERT_TRUE(readStepTwoFields(seq.ws, seq.model, seq.panel, false));
    EXPECT_EQ(seq.ws.uvBlockStart, 0x1A0u);

    Fixture mixed;
    mixed.panel.fields[4] = "32";
    mixed.panel.fields[5] = "12";
    mixed.panel.fields[30] = "1f0";
    mixed.panel.fields[31] = "20";
    ASSERT_TRUE(readStepTwoFields(mixed.ws, mixed.model, mixed.panel, true));
    ASSERT_EQ(mixed.panel.messages.size(), 1u);
    EXPECT_EQ(mixed.panel.messages[0],
              "In mixed mode there's no uvs in VBlock!\n-> auto-Set UVpos to 99\n\nDon't want mixed-mode?\n-> set "
              "size UVB to 255");
    EXPECT_EQ(mixed.ws.uvPos, 99);
    EXPECT_EQ(mixed.panel.fields[5], "99");
    EXPECT_EQ(mixed.ws.uvBlockStart, 0u) << "field 30 waits for the next read";
    ASSERT_TRUE(readStepTwoFields(mixed.ws, mixed.model, mixed.panel, true));
    EXPECT_EQ(mixed.ws.uvBlockStart, 0x1F0u);
}

TEST(StepFields, PlusAndMinusMoveTheVertexStart) {
    struct Row {
        const char* start;
        const char* step;
        bool plus, minus, ok;
        const char* shown;
    };
    const Row rows[] = {
        {"1f0", "100", true, false, true, "2f0"},
        {"200", "100", false, true, true, "100"},
        {"100", "100", false, true, true, "100"},
        {"f0", "100", false, true, true, "f0"},
        {"0x1F0", "100", true, true, true, "2f0"},
        {"1f0", "ffff", true, false, true, "101ef"},
        {"10", "10000", true, false, false, "10"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.start) + (row.plus ? " +" : " -") + row.step);
        Fixture f(0x20000);
        f.panel.fields[6] = row.start;
        f.panel.fields[33] = row.step;
        EXPECT_EQ(readStepThreeFields(f.ws, f.model, f.panel, row.plus, row.minus), row.ok);
        EXPECT_EQ(f.panel.fields[6], row.shown);
    }
    Fixture big(0x200);
    big.panel.fields[33] = "10000";
    EXPECT_FALSE(readStepThreeFields(big.ws, big.model, big.panel, true, false));
    EXPECT_EQ(big.panel.messages.back(), "VertexStart offs is limited to 65535!\n(Increase v start addr to gain more.)");
    Fixture past(0x200);
    past.panel.fields[6] = "150";
    EXPECT_FALSE(readStepThreeFields(past.ws, past.model, past.panel, true, false));
    EXPECT_EQ(past.panel.messages.back(), "go3: error!\n v address greater than filesize");
}

TEST(StepFields, StepThreeCountAndEmptyFields) {
    Fixture f;
    f.panel.fields[7] = "0";
    EXPECT_FALSE(readStepThreeFields(f.ws, f.model, f.panel, false, false));
    EXPECT_EQ(f.panel.messages.back(), "go3: error! VertsCount must be > 0");
    f.ws.batchMode = 1;
    EXPECT_TRUE(readStepThreeFields(f.ws, f.model, f.panel, false, false));
    f.panel.fields[6] = "";
    EXPECT_FALSE(readStepThreeFields(f.ws, f.model, f.panel, false, false));
    EXPECT_EQ(f.panel.messages.back(), "go3: all editboxes must contain a value!");
}

TEST(StepFields, TableStartAndVertexCountCheck) {
    Fixture f;
    f.panel.fields[4] = "300";
    f.panel.fields[2] = "";
    EXPECT_FALSE(readTableStart(f.ws, f.model, f.panel));
    EXPECT_EQ(f.ws.fvfSize, 44) << "the line width is stored before any check";
    EXPECT_EQ(f.panel.messages.back(), "editbox for table start must contain a value!");
    f.panel.fields[2] = "201";
    EXPECT_FALSE(readTableStart(f.ws, f.model, f.panel));
    EXPECT_EQ(f.panel.messages.back(), "table start error!\n address greater than filesize");

    Fixture v;
    v.ws.minFaceIndex = 101;
    v.ws.maxFaceIndex = 150;
    v.panel.fields[7] = "150";
    EXPECT_TRUE(checkVertexCount(v.ws, v.panel));
    v.ws.relFI = 1;
    EXPECT_FALSE(checkVertexCount(v.ws, v.panel));
    EXPECT_EQ(v.panel.results.back(), "max face index: 50 (== vertex count?)");
    EXPECT_EQ(v.panel.messages.back().substr(0, 31), "Vertex count must be set to rVC");
    v.panel.fields[7] = "50";
    EXPECT_TRUE(checkVertexCount(v.ws, v.panel));
    v.ws.relFI = 0;
    EXPECT_FALSE(checkVertexCount(v.ws, v.panel));
    EXPECT_EQ(v.panel.results.back(), "max face index: 150 (== vertex count?)");
    EXPECT_EQ(v.panel.fields[7], "50") << "the typed count stays";
}

}  // namespace
}  // namespace nimbrel
