#include "faces/strip_restart.h"

#include <algorithm>
#include <cassert>
#include <new>
#include <string>

#include <boost/checked_delete.hpp>
#include <boost/shared_array.hpp>

#include "core/text_format.h"
#include "faces/face_index_pass.h"
#include "faces/face_line.h"

namespace nimbrel {

namespace {

constexpr std::uint32_t kMinimumStart = 0xFFFF;
constexpr std::uint32_t kIndicesPerGroup = 1000;

std::uint16_t valueAt(const std::uint8_t* p, bool bigEndian) {
    return bigEndian ? std::uint16_t(p[0] << 8 | p[1]) : std::uint16_t(p[1] << 8 | p[0]);
}

// The diagnostics show words as stored, low byte first, whatever the byte-order toggle
// says; the word after a block at the model end reads as 0.
std::uint16_t storedWord(const ModelBuffer& model, std::uint32_t start, std::uint64_t position) {
    return model.readU16(start + 2 * position, false);
}

void reportShortStrip(const ModelBuffer& model, std::uint32_t start, std::uint32_t count, std::uint64_t triangles,
                      std::uint64_t segmentStart, std::uint64_t segmentEnd, bool endedAtMarker, LineSink& lines) {
    lines.add(format("TriStrips error at index %lu (%u-%u)", 3 * triangles,
                           storedWord(model, start, segmentEnd), storedWord(model, start, segmentStart)));
    if (!endedAtMarker) return;
    for (std::uint32_t i = 0; i < count; ++i) lines.add(format("%u: %u", i, storedWord(model, start, i)));
    lines.add("----------");
}

}  // namespace

RestartStripResult convertRestartStrips(const ModelBuffer& model, std::uint32_t start, std::uint32_t count,
                                        bool bigEndian, StripScratch& scratch, std::uint16_t restartMarker,
                                        LineSink& lines) {
    const FacePassResult fit = faceBlockFit(model, start, count, 2, 1, 0);
    if (!fit.fits) return {StripConversion::PastEnd, fit.indicesThatFit};
    const RestartStripResult rejected{StripConversion::Rejected, count};
    if (count < 3) return rejected;
    const std::uint8_t* block = model.data() + start;

    std::uint64_t triangles = 0;
    std::uint32_t segmentStart = 0;
    for (std::uint32_t i = 0; i < count; ++i) {
        if (valueAt(block + 2 * i, bigEndian) != restartMarker) continue;
        const std::uint32_t length = i - segmentStart;
        if (length <= 2) {
            reportShortStrip(model, start, count, triangles, segmentStart, i, true, lines);
            return rejected;
        }
        triangles += length - 2;
        segmentStart = i + 1;
    }
    if (segmentStart < count) {
        const std::uint32_t length = count - segmentStart;
        if (length <= 2) {
            reportShortStrip(model, start, count, triangles, segmentStart, count, false, lines);
            return rejected;
        }
        triangles += length - 2;
    }

    // Fewer triangles than values, so 3 * triangles stays far below 2^32.
    const std::uint64_t entries = 3 * triangles;
    boost::shared_array<unsigned short> fresh;
    try {
        fresh.reset(new unsigned short[entries], boost::checked_array_deleter<unsigned short>());
    } catch (const std::bad_alloc&) {
        lines.add(format("TriStrips error: no memory for %lu triangles", triangles));
        return rejected;
    }

    unsigned short* to = fresh.get();
    std::uint32_t length = 0;
    std::uint16_t first = 0;
    std::uint16_t second = 0;
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint16_t v = valueAt(block + 2 * i, bigEndian);
        if (v == restartMarker) {
            length = 0;
            continue;
        }
        if (length >= 2) {
            // Every other triangle of a strip turns the other way; swapping its last two
            // corners keeps one winding for the whole strip. Parity restarts per strip.
            const bool even = (length - 2) % 2 == 0;
            to[0] = first;
            to[1] = even ? second : v;
            to[2] = even ? v : second;
            to += 3;
        }
        first = second;
        second = v;
        ++length;
    }
    assert(to == fresh.get() + entries);

    scratch.indices.swap(fresh);
    scratch.stripIndexCount = static_cast<std::uint32_t>(entries);
    scratch.stripTriangleCount = static_cast<std::uint32_t>(triangles);
    scratch.stripValuesConsumed = count;
    return {StripConversion::Converted, count};
}

FaceIndexRange writeStripFaces(const Workspace& ws, TextOut* out, std::uint32_t indexCount, FaceMode mode,
                               bool slashForm, LineSink& lines) {
    assert(mode != FaceMode::Write || out != nullptr);
    const StripScratch& scratch = ws.stripScratch;
    const std::uint32_t held = scratch.indices ? scratch.stripIndexCount : 0;
    // Whole triangles only, and never past the array.
    const std::uint32_t n = std::min(indexCount, held) / 3 * 3;
    const unsigned short* indices = scratch.indices.get();

    if (mode == FaceMode::Write)
        out->print("# faceIndexCnt: %ld, triangles: %ld\n", indexCount, scratch.stripTriangleCount);
    std::uint32_t min = kMinimumStart;
    std::uint32_t max = 1;
    FaceLine line;
    FaceBlock faces(mode == FaceMode::Write ? out : nullptr);
    for (std::uint32_t p = 0; p < n; p += 3) {
        const std::uint32_t v[3] = {indices[p] + 1u, indices[p + 1] + 1u, indices[p + 2] + 1u};
        for (std::uint32_t x : v) {
            min = std::min(min, x);
            max = std::max(max, x);
        }
        if (mode == FaceMode::List) {
            line.clear().number(p).put(": f  ");
            for (std::uint32_t x : v) line.number(x).put(' ');
            lines.add(line.view());
        } else if (mode == FaceMode::Write) {
            if (p % kIndicesPerGroup == 0) {
                faces.put("g submesh_").number(p / kIndicesPerGroup).put('\n');
                faces.endLine();
            }
            char* o = faces.end();
            *o++ = 'f';
            *o++ = ' ';
            for (std::uint32_t x : v) o = writeVertex(o, x, slashForm);
            *o++ = '\n';
            faces.setEnd(o);
            faces.endLine();
        }
    }
    faces.drain();
    if (mode == FaceMode::List) {
        lines.add(hexText(std::uint64_t{ws.faceIndexStart} + 2 * std::uint64_t{scratch.stripValuesConsumed}) +
                  " (end of FI list)");
        lines.add(" ----------");
        lines.add(format("min face index: %u", min));
        lines.add(format("max face index: %u (== vertex count?)", max));
    }
    return {min, max};
}

}  // namespace nimbrel
