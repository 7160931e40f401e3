#pragma once

#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace bench {

/// A timed run shows nothing; a message from a pass means the benchmark's setup is
/// wrong, so it stops the program.
inline void requireNoMessage(std::string_view message) {
    if (message.empty()) return;
    std::fprintf(stderr, "unexpected message: %.*s\n", static_cast<int>(message.size()), message.data());
    std::abort();
}

}  // namespace bench
