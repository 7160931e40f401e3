// Writes a large OBJ for the viewer's first-frame timing (see first_frame.sh).
#include "grid_obj.h"

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: viewer_make_obj OUT.obj COLUMNS ROWS\n");
        return 2;
    }
    std::string text;
    nimbrel::bench::appendGridObj(text, std::atoi(argv[2]), std::atoi(argv[3]));
    std::FILE* out = std::fopen(argv[1], "wb");
    if (!out || std::fwrite(text.data(), 1, text.size(), out) != text.size() || std::fclose(out) != 0) {
        std::fprintf(stderr, "viewer_make_obj: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
