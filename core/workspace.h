#pragma once

#include <cstdint>
#include <string>

#include <boost/shared_array.hpp>

namespace nimbrel {

/// Number format of vertices and UVs: the format combobox's item index, in item order.
enum class VertexFormat : std::uint8_t { Float = 0, HF_UV = 1, HF_all = 2, WordUV = 3, ShortAll = 4 };

/// The divisors of word UV pairs: the default, and the one "w/8k" selects.
inline constexpr float kWordUvDivisor64k = 65536.0f;
inline constexpr float kWordUvDivisor8k = 8192.0f;

/// UV pos of a record without a UV pair.
inline constexpr std::uint8_t kNoUvInRecord = 99;
/// UVB size when the UVs are not in a separate block.
inline constexpr std::uint8_t kNoUvBlock = 255;

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
    bool stripMode = false;
    bool ffffSeparator = false;
    std::uint8_t faceVertexCount = 3;
    bool quadsMode = false;
    bool relFI = false;

    // Step 2: vertex record layout and UVs.
    bool vbMode = true;
    std::uint8_t fvfSize = 0;
    std::uint8_t uvPos = kNoUvInRecord;
    std::uint32_t uvBlockStart = 0;
    std::uint8_t uvBlockSize = kNoUvBlock;
    VertexFormat vertexFormat = VertexFormat::Float;
    bool bigEndian = false;
    float uvDivisor = kWordUvDivisor64k;
    bool uvGap = false;
    bool signedShorts = true;

    // Step 3: vertex block and output mode.
    std::uint32_t vertexStart = 0;
    std::uint32_t vertsCnt = 0;
    std::uint8_t ptCldMode = 0;
    bool reservedCodeFlag = false;

    // Results of the last face-index pass.
    std::uint32_t minFaceIndex = 0;
    std::uint32_t maxFaceIndex = 0;
    std::uint32_t maxFaceAddress = 0;

    // Counters for output names.
    std::uint16_t submeshCounter = 0;
    std::uint16_t parameterFileCounter = 0;

    // Shell flags.
    bool batchMode = false;
    bool viewerMissing = false;
    bool notepadMissing = true;
    bool tableLogMode = true;
    bool chainHintShown = false;
    bool fisHintShown = false;

    // File names and paths; no length limit.
    std::string appDir;
    std::string notepadPath;
    std::string wordpadPath;
    std::string meshViewerPath;
    std::string modelPath;
    std::string modelPathStem;
    // The parameter file last chosen or listed, named in an OBJ's first line, and the one
    // the settings were last loaded from: empty after a load that failed or was cancelled.
    std::string parameterFilePath;
    std::string loadedParameterFile;
    std::string tableLogPath = "table_log.txt";

    StripScratch stripScratch;

    /// Vertex count a mesh needs with relFI on: maxFaceIndex - minFaceIndex + 1.
    std::uint32_t rVC() const { return maxFaceIndex - minFaceIndex + 1; }
};

}  // namespace nimbrel
