#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/panel.h"

namespace bench {

/// A Panel for timed runs: lists and fields go nowhere, and any message means the
/// benchmark's setup is wrong, so it stops the program.
class SilentPanel : public nimbrel::Panel {
public:
    std::string text(int) const override { return {}; }
    void setText(int, std::string_view) override {}
    void addResult(std::string_view) override {}
    void clearResults() override {}
    void showMessage(std::string_view text) override {
        std::fprintf(stderr, "unexpected message: %.*s\n", static_cast<int>(text.size()), text.data());
        std::abort();
    }
};

}  // namespace bench
