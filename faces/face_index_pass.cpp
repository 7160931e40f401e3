#include "faces/face_index_pass.h"

#include <algorithm>
#include <cassert>
#include <cstring>
#include <numeric>
#include <string_view>
#include <string>

#include "core/text_format.h"
#include "faces/face_index.h"
#include "faces/face_line.h"

namespace nimbrel {

namespace {

// Start values of the running minimum: the largest 24-bit index for lists, the largest
// 16-bit one for strips (so a strip of larger indices reports 65535 as its minimum).
constexpr std::uint32_t kListMinimumStart = 0xFFFFFF;
constexpr std::uint32_t kStripMinimumStart = 0xFFFF;
constexpr std::uint32_t kIndicesPerGroup = 500;

struct IndexRange {
    std::uint32_t min;
    std::uint32_t max = 1;

    void take(std::uint32_t v) {
        if (v < min) min = v;
        if (v > max) max = v;
    }
};

void addMinMaxLines(LineSink& lines, const IndexRange& range, bool withRvc) {
    lines.add(" ----------");
    std::string line = format("min face index: %u", range.min);
    if (withRvc && range.min != 1) appendFormat(line, "  (rVC: %u)", range.max - range.min + 1);
    lines.add(line);
    lines.add(format("max face index: %u (== vertex count?)", range.max));
}

// One face of a list: quads in the order first, second, fourth, third (the blocks store
// them as two strip-ordered pairs); quad lines carry no blank before the newline,
// triangle lines do.
template <bool quads, bool slash>
char* putListFace(char* o, const std::int64_t* values) {
    *o++ = 'f';
    *o++ = ' ';
    if constexpr (quads) {
        for (int k : {0, 1, 3, 2}) o = writeVertex(o, values[k], slash);
        --o;
    } else {
        for (int k = 0; k < 3; ++k) o = writeVertex(o, values[k], slash);
    }
    *o++ = '\n';
    return o;
}

char* putText(char* o, std::string_view text) {
    std::memcpy(o, text.data(), text.size());
    return o + text.size();
}

// One instance per mode, face size and index encoding, so the walk over millions of
// indices tests none of them. Lists or only measures; writeListFaces writes.
template <FaceMode mode, unsigned perFace, std::uint8_t size, bool bigEndian>
void listPass(const Workspace& ws, const ModelBuffer& model, std::uint32_t start, std::uint32_t count,
              LineSink& lines, FacePassResult& result) {
    const std::uint8_t gap = ws.faceGap;

    std::uint32_t maxFaceAddress = start;
    IndexRange range{kListMinimumStart};
    const std::uint8_t* p = model.data() + start;
    FaceLine line;
    const std::uint32_t wholeFaces = count / perFace;
    for (std::uint32_t face = 0; face < wholeFaces; ++face) {
        const std::uint64_t faceAddress = start + static_cast<std::uint64_t>(p - (model.data() + start));
        if constexpr (mode == FaceMode::List) line.clear().hex(faceAddress).put(": f  ");
#pragma GCC unroll 4
        for (unsigned k = 0; k < perFace; ++k, p += size) {
            const std::uint32_t v = readFaceIndex(p, size, bigEndian);
            range.take(v);
            if (k == 0 && v >= range.max) maxFaceAddress = static_cast<std::uint32_t>(faceAddress);
            if constexpr (mode == FaceMode::List) line.number(v).put(' ');
        }
        p += gap;
        if constexpr (mode == FaceMode::List) lines.add(line.view());
    }
    // An unfinished last face is measured but makes no line.
    const std::uint64_t lastAddress = start + static_cast<std::uint64_t>(p - (model.data() + start));
    for (std::uint32_t k = 0; k < count % perFace; ++k, p += size) {
        const std::uint32_t v = readFaceIndex(p, size, bigEndian);
        range.take(v);
        if (k == 0 && v >= range.max) maxFaceAddress = static_cast<std::uint32_t>(lastAddress);
    }
    if constexpr (mode == FaceMode::List) {
        addMinMaxLines(lines, range, true);
        if (const std::uint32_t r = count % perFace; r != 0)
            lines.add(format("wrong FIcnt, use %u or %lu", count - r, std::uint64_t{count} + perFace - r));
    }
    result.range = FaceIndexRange{range.min, range.max};
    result.maxFaceAddress = maxFaceAddress;
}

// Write: the face lines of a list, formatted on every core in blocks of faces. Each line
// depends only on its own indices; the figures the pass leaves in ws come from a scan
// over the same block afterwards, exactly as a pass that wrote would leave them.
template <unsigned perFace, std::uint8_t size, bool bigEndian>
void writeListFaces(const Workspace& ws, const ModelBuffer& model, TextOut& out, std::uint32_t start,
                    std::uint32_t count, bool slash) {
    constexpr std::uint64_t faceBytesWithoutGap = std::uint64_t{perFace} * size;
    // A group starts at every face whose first index is a multiple of kIndicesPerGroup.
    constexpr std::uint64_t facesPerGroup = kIndicesPerGroup / std::gcd(kIndicesPerGroup, perFace);
    constexpr std::size_t kGroupLine = 32;
    const std::uint64_t faceBytes = faceBytesWithoutGap + ws.faceGap;
    const bool groups = !ws.batchMode;
    const std::int64_t relShift = ws.relFI ? std::int64_t{ws.minFaceIndex} - 1 : 0;
    const std::uint8_t* base = model.data() + start;
    out.putInBlocks(count / perFace, FaceLine::kLongestLine + kGroupLine, true,
                    [&](std::uint64_t first, std::uint64_t last, char* o) {
                        std::int64_t values[4] = {};
                        for (std::uint64_t face = first; face < last; ++face) {
                            if (groups && face % facesPerGroup == 0) {
                                o = putText(o, "g submesh_");
                                o = detail::writeNumber(o, static_cast<std::int64_t>(face / facesPerGroup));
                                *o++ = '\n';
                            }
                            const std::uint8_t* p = base + face * faceBytes;
#pragma GCC unroll 4
                            for (unsigned k = 0; k < perFace; ++k, p += size)
                                values[k] = std::int64_t{readFaceIndex(p, size, bigEndian)} - relShift;
                            o = slash ? putListFace<perFace == 4, true>(o, values)
                                      : putListFace<perFace == 4, false>(o, values);
                        }
                        return o;
                    });
}

template <unsigned perFace, std::uint8_t size, bool bigEndian>
void listPassIn(const Workspace& ws, const ModelBuffer& model, TextOut* out, std::uint32_t start, std::uint32_t count,
                FaceMode mode, bool slash, LineSink& lines, FacePassResult& result) {
    switch (mode) {
    case FaceMode::Write:
        writeListFaces<perFace, size, bigEndian>(ws, model, *out, start, count, slash);
        return listPass<FaceMode::Scan, perFace, size, bigEndian>(ws, model, start, count, lines, result);
    case FaceMode::List:
        return listPass<FaceMode::List, perFace, size, bigEndian>(ws, model, start, count, lines, result);
    case FaceMode::Scan:
        return listPass<FaceMode::Scan, perFace, size, bigEndian>(ws, model, start, count, lines, result);
    }
}

template <unsigned perFace>
void listPassOf(const Workspace& ws, const ModelBuffer& model, TextOut* out, std::uint32_t start, std::uint32_t count,
                FaceMode mode, bool slash, LineSink& lines, FacePassResult& result) {
    assert(ws.indexSize == 2 || ws.indexSize == 4);
    const bool wide = ws.indexSize == 4;
    if (ws.bigEndian)
        (wide ? listPassIn<perFace, 4, true> : listPassIn<perFace, 2, true>)(ws, model, out, start, count, mode, slash,
                                                                           lines, result);
    else
        (wide ? listPassIn<perFace, 4, false> : listPassIn<perFace, 2, false>)(ws, model, out, start, count, mode,
                                                                             slash, lines, result);
}

void listPassFor(const Workspace& ws, const ModelBuffer& model, TextOut* out, std::uint32_t start,
                 std::uint32_t count, FaceMode mode, bool slash, LineSink& lines, FacePassResult& result) {
    assert(ws.faceVertexCount == 3 || ws.faceVertexCount == 4);
    if (ws.faceVertexCount == 4)
        listPassOf<4>(ws, model, out, start, count, mode, slash, lines, result);
    else
        listPassOf<3>(ws, model, out, start, count, mode, slash, lines, result);
}

void stripPass(const Workspace& ws, const ModelBuffer& model, TextOut* out, std::uint32_t start, std::uint32_t count,
               FaceMode mode, bool slash, LineSink& lines, FacePassResult& result) {
    if (count == 0) return;
    const std::uint8_t size = ws.indexSize;
    const bool bigEndian = ws.bigEndian;
    if (mode == FaceMode::List) lines.add(hexText(start) + ":");

    IndexRange range{kStripMinimumStart};
    const std::uint8_t* p = model.data() + start;
    std::uint32_t a = 0;
    std::uint32_t b = 0;
    bool forward = true;
    FaceLine line;
    FaceBlock faces(out);
    for (std::uint32_t i = 0; i < count; ++i, p += size) {
        const std::uint32_t c = readFaceIndex(p, size, bigEndian);
        range.take(c);
        if (i >= 2) {
            // The winding alternates window by window, degenerate windows included.
            if (a != b && b != c && a != c && mode != FaceMode::Scan) {
                const std::uint32_t second = forward ? b : c;
                const std::uint32_t third = forward ? c : b;
                if (mode == FaceMode::List) {
                    line.clear().put("f  ").number(a).put(' ').number(second).put(' ').number(third);
                    lines.add(line.view());
                } else {
                    faces.put("f ").vertex(a, slash).vertex(second, slash).vertex(third, slash).dropLast().put('\n');
                    faces.endLine();
                }
            }
            forward = !forward;
        }
        a = b;
        b = c;
    }
    if (mode == FaceMode::List) {
        lines.add(hexText(std::uint64_t{start} + std::uint64_t{count} * size) + " (end of FI list)");
        addMinMaxLines(lines, range, false);
    }
    result.range = FaceIndexRange{range.min, range.max};
}

}  // namespace

std::uint64_t indicesThatFit(std::uint64_t modelSize, std::uint64_t start, std::uint64_t count,
                             std::uint8_t indexSize, std::uint8_t faceVertexCount, std::uint8_t faceGap) {
    assert(indexSize > 0 && faceVertexCount > 0);
    if (start > modelSize) return 0;
    const std::uint64_t available = modelSize - start;
    const std::uint64_t faceBytes = std::uint64_t{faceVertexCount} * indexSize + faceGap;
    const std::uint64_t wholeFaces = available / faceBytes;
    const std::uint64_t inLastFace = std::min<std::uint64_t>((available % faceBytes) / indexSize, faceVertexCount);
    return std::min(count, wholeFaces * faceVertexCount + inLastFace);
}

FacePassResult faceBlockFit(const ModelBuffer& model, std::uint32_t start, std::uint32_t count, std::uint8_t indexSize,
                            std::uint8_t faceVertexCount, std::uint8_t faceGap) {
    FacePassResult result;
    result.indicesThatFit = indicesThatFit(model.size(), start, count, indexSize, faceVertexCount, faceGap);
    result.fits = result.indicesThatFit == count;
    return result;
}

FacePassResult faceIndexPass(const Workspace& ws, const ModelBuffer& model, TextOut* out, std::uint32_t start,
                             std::uint32_t count, FaceMode mode, bool slash, LineSink& lines) {
    assert(mode != FaceMode::Write || out != nullptr);
    const bool strip = ws.stripMode;
    FacePassResult result =
        faceBlockFit(model, start, count, ws.indexSize, strip ? 1 : ws.faceVertexCount, strip ? 0 : ws.faceGap);
    if (!result.fits) return result;
    // Every byte read below lies inside the model: indicesThatFit counted each of them.
    if (strip)
        stripPass(ws, model, out, start, count, mode, slash, lines, result);
    else
        listPassFor(ws, model, out, start, count, mode, slash, lines, result);
    return result;
}

}  // namespace nimbrel
