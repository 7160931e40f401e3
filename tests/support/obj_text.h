#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "core/mesh.h"

namespace nimbrel::testing {

/// The v, vt and f lines of an OBJ file as written: numbers as text, faces fanned from
/// their first corner into 0-based triangles.
struct ObjText {
    std::vector<std::array<std::string, 3>> positions;
    std::vector<std::array<std::string, 2>> uvs;
    std::vector<std::array<std::uint32_t, 3>> triangles;
};

inline ObjText parseObj(const std::string& text) {
    ObjText obj;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream words(line);
        std::string lead;
        words >> lead;
        if (lead == "v") {
            auto& p = obj.positions.emplace_back();
            words >> p[0] >> p[1] >> p[2];
        } else if (lead == "vt") {
            auto& uv = obj.uvs.emplace_back();
            words >> uv[0] >> uv[1];
        } else if (lead == "f") {
            std::vector<std::uint32_t> corners;
            std::string word;
            while (words >> word && word[0] != '#') corners.push_back(std::stoul(word.substr(0, word.find('/'))) - 1);
            for (std::size_t k = 1; k + 1 < corners.size(); ++k)
                obj.triangles.push_back({corners[0], corners[k], corners[k + 1]});
        }
    }
    return obj;
}

/// A number as the OBJ writers print it.
inline std::string fixed6(float v) {
    char text[64];
    std::snprintf(text, sizeof text, "%f", static_cast<double>(v));
    return text;
}

inline std::vector<std::array<std::string, 3>> printedPositions(const Mesh& mesh) {
    std::vector<std::array<std::string, 3>> out;
    for (const auto& p : mesh.positions) out.push_back({fixed6(p[0]), fixed6(p[1]), fixed6(p[2])});
    return out;
}

inline std::vector<std::array<std::string, 2>> printedUvs(const Mesh& mesh) {
    std::vector<std::array<std::string, 2>> out;
    for (const auto& uv : mesh.uvs) out.push_back({fixed6(uv[0]), fixed6(uv[1])});
    return out;
}

}  // namespace nimbrel::testing
