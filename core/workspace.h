#pragma once

#include <cstdint>
#include <string>

#include <boost/shared_array.hpp>

namespace nimbrel {

/// Number format of vertices and UVs: the format combobox's item index, in item order.
enum class VertexFormat : std::uint8_t { Float = 0, HF_UV = 1, HF_all = 2, WordUV = 3, ShortAll = 4 };

/// Triangles converted from strips with restart markers; replaced by every successful
/// conversion and released when the window closes.
struct StripScratch {
    boost::shared_array<unsigned short> indices;
    std::uint32_t stripIndexCount = 0;
    std::uint32_t stripTriangleCount = 0;
    std::uint32_t stripValuesConsumed = 0;

    void release() {
        indices.reset();
        stripIndexCount = 0;
        stripTriangleCount = 0;
        stripValuesConsumed = 0;
    }
};

/// The one state record of a process. The edit fields are the master copy of the step
/// settings; a member here is only as current as the last command that read its field.
struct Workspace {
    // Step 1: face-index block.
    std::uint32_t faceIndexStart = 0;
    std::uint32_t faceIndexCnt = 0;
    std::uint8_t faceGap = 0;
    std::uint8_t indexSize = 2;
    int stripMode = 0;
    int ffffSeparator = 0;
    std::uint8_t faceVertexCount = 3;
    int quadsMode = 0;
    int relFI = 0;

    // Step 2: vertex record layout and UVs.
    int vbMode = 1;
    std::uint8_t fvfSize = 0;
    std::uint8_t uvPos = 99;
    std::uint32_t uvBlockStart = 0;
    std::uint8_t uvBlockSize = 255;
    VertexFormat vertexFormat = VertexFormat::Float;
    int bigEndian = 0;
    float uvDivisor = 65536.0f;
    int uvGap = 0;
    int signedShorts = 1;

    // Step 3: vertex block and output mode.
    std::uint32_t vertexStart = 0;
    std::uint32_t vertsCnt = 0;
    std::uint8_t ptCldMode = 0;
    int reservedCodeFlag = 0;

    // Results of the last face-index pass.
    std::uint32_t minFaceIndex = 0;
    std::uint32_t maxFaceIndex = 0;
    std::uint32_t maxFaceAddress = 0;

    // Counters and marks for output names.
    std::uint16_t submeshCounter = 0;
    std::uint16_t parameterFileCounter = 0;
    int bigCountMark = 0;
    int suspectCountMark = 0;
    std::int32_t chainCount = 0;

    // Shell flags.
    int batchMode = 0;
    int parameterSetLoaded = 0;
    int vertexShiftUp = 0;
    int vertexShiftDown = 0;
    int viewerMissing = 0;
    int notepadMissing = 1;
    int tableLogMode = 1;
    int chainHintShown = 0;
    int fisHintShown = 0;

    // File names and paths; no length limit.
    std::string appDir;
    std::string notepadPath;
    std::string wordpadPath;
    std::string meshViewerPath;
    std::string modelPath;
    std::string modelPathStem;
    std::string parameterFilePath;
    std::string tableLogPath = "table_log.txt";

    StripScratch stripScratch;

    /// Vertex count a mesh needs with relFI on: maxFaceIndex - minFaceIndex + 1.
    std::uint32_t rVC() const { return maxFaceIndex - minFaceIndex + 1; }
};

}  // namespace nimbrel
