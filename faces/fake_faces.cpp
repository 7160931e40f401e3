#include "faces/fake_faces.h"

#include "faces/face_line.h"
#include "platform/locked_append.h"

namespace nimbrel {

namespace {

void writeGeneratedStrip(TextOut& out, std::uint32_t vertexCount, bool slash) {
    out.put("\n# autocreated tristripped face indices\n");
    FaceBlock faces(&out);
    // 32-bit vertex numbers: a 16-bit counter never reaches a count above 65535.
    for (std::uint32_t k = 1; k + 2 <= vertexCount; ++k) {
        const bool odd = k % 2 == 1;
        faces.put("f ").vertex(k, slash).vertex(odd ? k + 1 : k + 2, slash).vertex(odd ? k + 2 : k + 1, slash);
        faces.dropLast().put('\n');
        faces.endLine();
    }
}

void writeGeneratedTriples(TextOut& out, std::uint32_t vertexCount, bool slash) {
    out.put("\n# autocreated linear face indices\n");
    FaceBlock faces(&out);
    for (std::uint32_t t = 0; t < vertexCount / 3; ++t) {
        const std::uint64_t first = std::uint64_t{3} * t + 1;
        faces.put("f ").vertex(first, slash).vertex(first + 1, slash).vertex(first + 2, slash).put('\n');
        faces.endLine();
    }
}

}  // namespace

FakeFaceSource writeFakeFaces(TextOut& out, std::uint32_t vertexCount, bool strip, bool slash) {
    // The copy goes around the buffer, so anything still buffered must reach the file first.
    if (!out.flush()) return FakeFaceSource::File;
    switch (platform::appendFileLocked(kFakeFaceFile, out.fd())) {
    case platform::FileAppend::Copied: return FakeFaceSource::File;
    case platform::FileAppend::WriteFailed: out.markFailed(); return FakeFaceSource::File;
    case platform::FileAppend::ReadFailed: return FakeFaceSource::FileCutShort;
    case platform::FileAppend::SourceMissing: break;
    }
    if (strip)
        writeGeneratedStrip(out, vertexCount, slash);
    else
        writeGeneratedTriples(out, vertexCount, slash);
    return FakeFaceSource::Generated;
}

}  // namespace nimbrel
