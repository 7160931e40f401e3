#include "app/block_checks.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/recording_window.h"

namespace nimbrel {
namespace {

using testing::RecordingWindow;

constexpr const char* kEof = "EOF met!\nVertsCnt reduced";

TEST(CheckBlockFits, ReducesFieldSevenToWhatFitsLessOne) {
    ModelBuffer model(2000);
    std::vector<std::uint8_t> bytes(1000, 0x11);
    model.assign(bytes.data(), bytes.size());
    struct Row {
        std::uint32_t start, count, stride;
        const char* field7;  // nullptr: the block fits
    };
    const Row rows[] = {
        {256, 100, 12, "61"},               // (1000 - 256) / 12 = 62
        {256, 62, 12, nullptr},             // ends exactly at the model's end
        {995, 1, 12, "0"},                  // less than one stride left
        {988, 2, 12, "0"},                  // exactly one stride left
        {1000, 0, 12, nullptr},
        {8, 0x40000000u, 16, "61"},         // count * stride wraps 32 bits to 0
        {0xFFFFFFF0u, 1, 4, "0"},           // start past the model
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::to_string(row.start) + " " + std::to_string(row.count));
        RecordingWindow panel;
        panel.fields[7] = "typed";
        EXPECT_EQ(checkBlockFits(model, panel, row.start, row.count, row.stride), row.field7 == nullptr);
        if (row.field7) {
            EXPECT_EQ(panel.messages, std::vector<std::string>{kEof});
            EXPECT_EQ(panel.fields[7], row.field7);
        } else {
            EXPECT_TRUE(panel.messages.empty());
            EXPECT_EQ(panel.fields[7], "typed");
        }
    }
}

TEST(CheckExportBlocks, ChecksEveryBlockTheCommandReads) {
    ModelBuffer model(2000);
    std::vector<std::uint8_t> bytes(1000, 0x22);
    model.assign(bytes.data(), bytes.size());
    struct Row {
        const char* name;
        BlockReader reader;
        int vbMode;
        VertexFormat format;
        std::uint8_t uvPos, uvBlockSize;
        std::uint32_t vertsCnt;
        const char* field7;  // nullptr: everything fits
    };
    // Vertex block at 0 with fvfSize 20; UV block at 200.
    const Row rows[] = {
        {"mesh VB fits", BlockReader::Mesh, 1, VertexFormat::Float, 12, 255, 50, nullptr},
        {"mesh VB", BlockReader::Mesh, 1, VertexFormat::Float, 12, 255, 51, "49"},
        {"mesh VB ignores UV block", BlockReader::Mesh, 1, VertexFormat::Float, 99, 40, 21, nullptr},
        {"mesh seq floats", BlockReader::Mesh, 0, VertexFormat::WordUV, 99, 255, 84, "82"},
        {"mesh seq halves", BlockReader::Mesh, 0, VertexFormat::HF_all, 99, 255, 167, "165"},
        {"mesh seq halves fit", BlockReader::Mesh, 0, VertexFormat::HF_all, 99, 255, 166, nullptr},
        {"UVs VB in records", BlockReader::UVs, 1, VertexFormat::HF_UV, 12, 255, 51, "49"},
        {"UVs VB block", BlockReader::UVs, 1, VertexFormat::Float, 99, 40, 21, "19"},
        {"UVs VB block fits", BlockReader::UVs, 1, VertexFormat::Float, 99, 40, 20, nullptr},
        {"UVs HF_all block unread", BlockReader::UVs, 1, VertexFormat::HF_all, 99, 40, 500, nullptr},
        {"UVs ShortAll block unread", BlockReader::UVs, 0, VertexFormat::ShortAll, 99, 255, 500, nullptr},
        {"UVs seq words", BlockReader::UVs, 0, VertexFormat::WordUV, 99, 255, 201, "199"},
        {"UVs seq floats", BlockReader::UVs, 0, VertexFormat::Float, 99, 255, 101, "99"},
        {"export VB vertex block first", BlockReader::SubmeshExport, 1, VertexFormat::Float, 99, 40, 60, "49"},
        {"export VB UV block", BlockReader::SubmeshExport, 1, VertexFormat::WordUV, 99, 40, 25, "19"},
        {"export VB UVs in records", BlockReader::SubmeshExport, 1, VertexFormat::WordUV, 12, 255, 50, nullptr},
        {"export seq halves", BlockReader::SubmeshExport, 0, VertexFormat::HF_all, 99, 255, 166, nullptr},
        {"export seq half positions", BlockReader::SubmeshExport, 0, VertexFormat::HF_all, 99, 255, 201, "165"},
        {"export seq float pairs", BlockReader::SubmeshExport, 0, VertexFormat::Float, 99, 255, 83, nullptr},
        {"export seq float positions", BlockReader::SubmeshExport, 0, VertexFormat::Float, 99, 255, 84, "82"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Workspace ws;
        ws.vbMode = row.vbMode;
        ws.vertexFormat = row.format;
        ws.fvfSize = 20;
        ws.uvPos = row.uvPos;
        ws.uvBlockSize = row.uvBlockSize;
        ws.uvBlockStart = 200;
        ws.vertexStart = 0;
        ws.vertsCnt = row.vertsCnt;
        RecordingWindow panel;
        EXPECT_EQ(checkExportBlocks(ws, model, panel, row.reader), row.field7 == nullptr);
        if (row.field7) {
            EXPECT_EQ(panel.messages, std::vector<std::string>{kEof});
            EXPECT_EQ(panel.fields[7], row.field7);
        } else {
            EXPECT_TRUE(panel.messages.empty());
        }
        EXPECT_EQ(ws.vertsCnt, row.vertsCnt);
    }

    // Packed positions that fit, followed by packed float pairs that do not.
    Workspace ws;
    ws.vbMode = 0;
    ws.uvBlockStart = 950;
    ws.vertsCnt = 10;
    RecordingWindow panel;
    EXPECT_FALSE(checkExportBlocks(ws, model, panel, BlockReader::SubmeshExport));
    EXPECT_EQ(panel.fields[7], "5");  // (1000 - 950) / 8 = 6
    EXPECT_TRUE(checkExportBlocks(ws, model, panel, BlockReader::Mesh));
}

}  // namespace
}  // namespace nimbrel
