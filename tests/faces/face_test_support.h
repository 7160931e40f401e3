#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "core/model_buffer.h"
#include "core/text_out.h"
#include "support/temp_dir.h"

namespace nimbrel::testing {

/// Little- or big-endian bytes of 16-bit values, as a model stores them.
inline std::vector<std::uint8_t> words(std::initializer_list<std::uint32_t> values, bool bigEndian = false) {
    std::vector<std::uint8_t> bytes;
    for (std::uint32_t v : values) {
        std::uint8_t lo = v & 0xFF;
        std::uint8_t hi = (v >> 8) & 0xFF;
        bytes.push_back(bigEndian ? hi : lo);
        bytes.push_back(bigEndian ? lo : hi);
    }
    return bytes;
}

/// A model of exactly these bytes, in storage of exactly their size, so that a sanitizer
/// build catches any read past the model end.
struct TestModel {
    explicit TestModel(const std::vector<std::uint8_t>& bytes) : buffer(bytes.empty() ? 1 : bytes.size()) {
        buffer.assign(bytes.data(), bytes.size());
    }
    ModelBuffer buffer;
};

/// Runs write against a fresh output file and returns the bytes that reached the file.
inline std::string writtenBy(const std::function<void(TextOut&)>& write) {
    char path[] = "/tmp/nimbrel_faces_XXXXXX";
    int fd = mkstemp(path);
    if (fd >= 0) ::close(fd);
    TextOut out;
    if (!out.open(path)) return "<cannot open output>";
    write(out);
    if (!out.close()) return "<write failed>";
    std::string bytes = testing::readFile(path);
    std::remove(path);
    return bytes;
}

}  // namespace nimbrel::testing
