#pragma once

#include <cstdint>

namespace nimbrel {

/// What a face pass does with the faces it reads. The numbers are the ones the commands
/// and the saved settings have always used.
enum class FaceMode : std::uint8_t {
    Write = 0,  ///< OBJ face lines into the open output file
    List = 1,   ///< lines into the results list; the output file is not touched
    Scan = 2,   ///< only minFaceIndex and maxFaceIndex are measured
};

}  // namespace nimbrel
