#include "viewer/viewer_options.h"

#include <charconv>

namespace nimbrel {
namespace {

bool parseSide(std::string_view text, int& side) {
    auto [next, ec] = std::from_chars(text.data(), text.data() + text.size(), side);
    return ec == std::errc{} && next == text.data() + text.size() && side >= 1 &&
           side <= kLargestSnapshotSide;
}

bool parseSize(const std::string& text, ViewerOptions& options) {
    const auto x = text.find_first_of("xX");
    if (x == std::string::npos) return false;
    return parseSide(std::string_view(text).substr(0, x), options.width) &&
           parseSide(std::string_view(text).substr(x + 1), options.height);
}

} // namespace

const char* const kViewerUsage =
    "usage: mesh_viewer FILE\n"
    "       mesh_viewer --snapshot OUT.png [--size WxH] FILE\n"
    "Shows a Wavefront OBJ file and follows it while it changes. Keys: W wireframe,\n"
    "F fit to view, Home default view; left drag orbits, right or middle drag pans,\n"
    "the wheel zooms. --snapshot renders the fitted view into a PNG (default 800x600)\n"
    "and exits; it needs a display with OpenGL (try xvfb-run -a).\n";

bool parseViewerOptions(const std::vector<std::string>& args, ViewerOptions& options,
                        std::string& error) {
    options = ViewerOptions();
    bool sizeGiven = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool hasValue = i + 1 < args.size();
        if (arg == "--help" || arg == "-h") {
            options.help = true;
            return true;
        } else if (arg == "--snapshot") {
            if (!hasValue) {
                error = "--snapshot needs the name of the PNG file to write";
                return false;
            }
            options.snapshotPath = args[++i];
        } else if (arg == "--size") {
            if (!hasValue || !parseSize(args[i + 1], options)) {
                error = "--size needs WIDTHxHEIGHT, each from 1 to " +
                        std::to_string(kLargestSnapshotSide) + " pixels";
                return false;
            }
            ++i;
            sizeGiven = true;
        } else if (arg.size() > 1 && arg[0] == '-' && arg != "--") {
            error = "unknown option " + arg;
            return false;
        } else {
            if (arg == "--") {
                if (i + 1 >= args.size()) break;
                ++i;
            }
            if (!options.file.empty()) {
                error = "only one file can be shown, got " + options.file + " and " + args[i];
                return false;
            }
            options.file = args[i];
        }
    }
    if (options.file.empty()) {
        error = "no file given";
        return false;
    }
    if (sizeGiven && options.snapshotPath.empty()) {
        error = "--size only applies to --snapshot";
        return false;
    }
    return true;
}

} // namespace nimbrel
