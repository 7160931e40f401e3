#pragma once

#include <cmath>
#include <cstdio>
#include <string>

namespace nimbrel::bench {

/// A wavy grid of columns × rows vertices and 2 (columns − 1)(rows − 1) triangles, written
/// as the tool writes test.obj: "%f" coordinates, group lines, a blank after every index.
inline void appendGridObj(std::string& out, int columns, int rows) {
    char line[128];
    int n = std::snprintf(line, sizeof line, "# 0x0: verts= %d\n", columns * rows);
    out.append(line, static_cast<std::size_t>(n));
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c) {
            const double x = c * 0.01, y = r * 0.01;
            n = std::snprintf(line, sizeof line, "v %f %f %f\n", x, y, 0.2 * std::sin(x * 3) * std::cos(y * 5));
            out.append(line, static_cast<std::size_t>(n));
        }
    }
    long face = 0;
    for (int r = 0; r + 1 < rows; ++r) {
        for (int c = 0; c + 1 < columns; ++c) {
            const long a = static_cast<long>(r) * columns + c + 1, b = a + 1, d = a + columns, e = d + 1;
            const long triangles[2][3] = {{a, b, e}, {a, e, d}};
            for (const long* t : triangles) {
                if (face++ % 500 == 0) {
                    n = std::snprintf(line, sizeof line, "g submesh_%ld\n", face / 500);
                    out.append(line, static_cast<std::size_t>(n));
                }
                n = std::snprintf(line, sizeof line, "f %ld %ld %ld \n", t[0], t[1], t[2]);
                out.append(line, static_cast<std::size_t>(n));
            }
        }
    }
}

} // namespace nimbrel::bench
