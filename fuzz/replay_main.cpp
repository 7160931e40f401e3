// Replays saved inputs through a fuzz harness without libFuzzer: every file named, and
// every file inside every folder named. Exits 1 when a path cannot be read.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

bool replayFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "cannot read %s\n", path.c_str());
        return false;
    }
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), {});
    std::fprintf(stderr, "replaying %s (%zu bytes)\n", path.c_str(), bytes.size());
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    // The harness may change the current directory; resolve the arguments first.
    std::vector<std::filesystem::path> files;
    bool ok = true;
    for (int i = 1; i < argc; ++i) {
        std::filesystem::path arg = std::filesystem::absolute(argv[i]);
        std::error_code ec;
        if (std::filesystem::is_directory(arg, ec)) {
            for (const auto& entry : std::filesystem::directory_iterator(arg, ec))
                // Hidden files (.gitkeep) only hold an empty folder in place.
                if (entry.is_regular_file() && entry.path().filename().string()[0] != '.') files.push_back(entry.path());
        } else if (std::filesystem::exists(arg, ec)) {
            files.push_back(arg);
        } else {
            std::fprintf(stderr, "no such input: %s\n", argv[i]);
            ok = false;
        }
    }
    std::sort(files.begin(), files.end());
    for (const auto& file : files) ok = replayFile(file) && ok;
    std::fprintf(stderr, "%zu inputs replayed\n", files.size());
    return ok ? 0 : 1;
}
