#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "core/layout_settings.h"

namespace nimbrel::testing {

// A model as a user meets it: an index block, then vertex records of 20 bytes (position,
// UV), 4-byte aligned. The surface is a gently curved sheet of w × h vertices.
struct GeneratedModel {
    std::vector<std::uint8_t> bytes;
    LayoutSettings right;
};

inline void put(std::vector<std::uint8_t>& out, std::uint32_t value, int size, bool bigEndian) {
    for (int i = 0; i < size; ++i) {
        const int shift = 8 * (bigEndian ? size - 1 - i : i);
        out.push_back(static_cast<std::uint8_t>(value >> shift));
    }
}

inline void putFloat(std::vector<std::uint8_t>& out, float value, bool bigEndian) {
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    put(out, bits, 4, bigEndian);
}

inline GeneratedModel sheet(int w, int h, int indexSize, bool strip, bool bigEndian) {
    std::vector<std::uint32_t> indices;
    if (strip) {
        // One ribbon two vertices high: 0 w 1 w+1 2 w+2 ...
        for (int x = 0; x < w; ++x) {
            indices.push_back(static_cast<std::uint32_t>(x));
            indices.push_back(static_cast<std::uint32_t>(x + w));
        }
        h = 2;
    } else {
        for (int y = 0; y + 1 < h; ++y)
            for (int x = 0; x + 1 < w; ++x) {
                const auto v = static_cast<std::uint32_t>(y * w + x);
                const auto up = v + static_cast<std::uint32_t>(w);
                indices.insert(indices.end(), {v, v + 1, up, v + 1, up + 1, up});
            }
    }
    GeneratedModel m;
    put(m.bytes, 0x4D4F444C, 4, false);  // a header the blocks do not start at
    m.right.faceIndexStart = static_cast<std::uint32_t>(m.bytes.size());
    for (std::uint32_t i : indices) put(m.bytes, i, indexSize, bigEndian);
    while (m.bytes.size() % 4 != 0) m.bytes.push_back(0);
    m.right.vertexStart = static_cast<std::uint32_t>(m.bytes.size());
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            putFloat(m.bytes, 0.25f * x, bigEndian);
            putFloat(m.bytes, 0.25f * y, bigEndian);
            putFloat(m.bytes, 0.3f * std::sin(0.4f * x) * std::cos(0.3f * y), bigEndian);
            putFloat(m.bytes, float(x) / float(w - 1), bigEndian);
            putFloat(m.bytes, float(y) / float(h - 1), bigEndian);
        }
    m.right.faceIndexCnt = static_cast<std::uint32_t>(indices.size());
    m.right.indexSize = static_cast<std::uint8_t>(indexSize);
    m.right.stripMode = strip;
    m.right.bigEndian = bigEndian;
    m.right.vbMode = true;
    m.right.fvfSize = 20;
    m.right.uvPos = 12;
    m.right.vertsCnt = static_cast<std::uint32_t>(w * h);
    return m;
}

}  // namespace nimbrel::testing
