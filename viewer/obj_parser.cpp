#include "viewer/obj_parser.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

namespace nimbrel {
namespace {

// Any index at or past this is out of range for every mesh the viewer can hold, so reading
// more digits only has to remember that: the value saturates instead of overflowing.
constexpr std::uint64_t kIndexCeiling = std::uint64_t{1} << 40;

// Statements of the OBJ format the viewer has no use for; they are not faults.
constexpr std::string_view kIgnoredStatements[] = {
    "vn",   "vp",   "o",      "s",      "g",     "usemtl", "mtllib", "l",          "p",
    "lod",  "bevel", "c_interp", "d_interp", "maplib", "usemap", "shadow_obj", "trace_obj",
    "cstype", "deg", "bmat",  "step",   "curv",  "curv2",  "surf",   "parm",       "trim",
    "hole", "scrv", "sp",     "end",    "con",   "mg",     "call",   "csh",
};

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

// A token ends at a blank, at a comment or at the end of the line: "0# UV?" is the number 0
// followed by a comment, as the tool writes it.
bool atTokenEnd(const char* p, const char* end) { return p == end || isBlank(*p) || *p == '#'; }

void skipBlanks(const char*& p, const char* end) {
    while (p != end && isBlank(*p)) ++p;
}

enum class Token { None, Good, Bad };

// Reads the next number of the line; None when the line (or its code part) is over.
Token readFloat(const char*& p, const char* end, float& value) {
    skipBlanks(p, end);
    if (p == end || *p == '#') return Token::None;
    const char* start = p;
    if (*start == '+' && end - start > 1 && start[1] != '-' && start[1] != '+') ++start;
    auto [next, ec] = std::from_chars(start, end, value);
    if (ec != std::errc{} || !atTokenEnd(next, end) || !std::isfinite(value)) {
        while (!atTokenEnd(p, end)) ++p;
        return Token::Bad;
    }
    p = next;
    return Token::Good;
}

// Reads [+-]digits; false when there is no digit. The magnitude saturates at kIndexCeiling.
bool readIndex(const char*& p, const char* end, bool& negative, std::uint64_t& magnitude) {
    negative = false;
    if (p != end && (*p == '-' || *p == '+')) {
        negative = *p == '-';
        ++p;
    }
    if (p == end || !isDigit(*p)) return false;
    std::uint64_t value = 0;
    for (; p != end && isDigit(*p); ++p) {
        value = std::min(value * 10 + static_cast<unsigned>(*p - '0'), kIndexCeiling);
    }
    magnitude = value;
    return true;
}

class ObjParser {
public:
    ObjMesh run(std::string_view text);

private:
    bool parseLine(const char* p, const char* end);
    bool parseVertex(const char* p, const char* end);
    bool parseUv(const char* p, const char* end);
    bool parseFace(const char* p, const char* end);
    bool readCorner(const char*& p, const char* end, bool& inRange);

    ObjMesh mesh_;
    std::vector<std::uint32_t> corners_;  // reused by every face, so faces allocate nothing
    bool hasBrokenVertices_ = false;
};

ObjMesh ObjParser::run(std::string_view text) {
    const char* p = text.data();
    const char* end = p + text.size();
    std::uint64_t lineNumber = 0;
    while (p != end) {
        ++lineNumber;
        auto* newline = static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)));
        const char* lineEnd = newline ? newline : end;
        if (!parseLine(p, lineEnd)) {
            if (mesh_.skippedCount++ == 0) mesh_.firstSkippedLine = lineNumber;
        }
        p = newline ? newline + 1 : end;
    }
    return std::move(mesh_);
}

bool ObjParser::parseLine(const char* p, const char* end) {
    skipBlanks(p, end);
    if (p == end || *p == '#') return true;
    const char* keyword = p;
    while (!atTokenEnd(p, end)) ++p;
    std::string_view name(keyword, static_cast<std::size_t>(p - keyword));
    if (name == "v") return parseVertex(p, end);
    if (name == "f") return parseFace(p, end);
    if (name == "vt") return parseUv(p, end);
    return std::find(std::begin(kIgnoredStatements), std::end(kIgnoredStatements), name) !=
           std::end(kIgnoredStatements);
}

bool ObjParser::parseVertex(const char* p, const char* end) {
    float xyz[3];
    bool good = true;
    for (float& c : xyz) good = good && readFloat(p, end, c) == Token::Good;
    // Further numbers (w, or colours some writers add) are allowed; anything else is not.
    float extra;
    Token t = Token::Good;
    while (good && (t = readFloat(p, end, extra)) == Token::Good) {}
    good = good && t == Token::None;
    if (!good) {
        // The slot stays, so the indices of every later vertex keep their meaning.
        constexpr float kNan = std::numeric_limits<float>::quiet_NaN();
        mesh_.positions.insert(mesh_.positions.end(), {kNan, kNan, kNan});
        hasBrokenVertices_ = true;
        return false;
    }
    mesh_.positions.insert(mesh_.positions.end(), xyz, xyz + 3);
    if (!mesh_.hasBounds) {
        std::copy(xyz, xyz + 3, mesh_.boundsMin);
        std::copy(xyz, xyz + 3, mesh_.boundsMax);
        mesh_.hasBounds = true;
    }
    for (int i = 0; i < 3; ++i) {
        mesh_.boundsMin[i] = std::min(mesh_.boundsMin[i], xyz[i]);
        mesh_.boundsMax[i] = std::max(mesh_.boundsMax[i], xyz[i]);
    }
    return true;
}

bool ObjParser::parseUv(const char* p, const char* end) {
    ++mesh_.uvCount;
    float value;
    int count = 0;
    Token t;
    while ((t = readFloat(p, end, value)) == Token::Good) ++count;
    return t == Token::None && count >= 1 && count <= 3;
}

// One corner: v, v/t, v/t/n or v//n. Only v is checked against the vertices read so far;
// the viewer draws no texture or normal data.
bool ObjParser::readCorner(const char*& p, const char* end, bool& inRange) {
    bool negative;
    std::uint64_t magnitude;
    if (!readIndex(p, end, negative, magnitude)) return false;
    if (p != end && *p == '/') {
        ++p;
        bool otherNegative;
        std::uint64_t other;
        if (p != end && *p == '/') {
            ++p;
            if (!readIndex(p, end, otherNegative, other)) return false;
        } else {
            if (!readIndex(p, end, otherNegative, other)) return false;
            if (p != end && *p == '/') {
                ++p;
                if (!readIndex(p, end, otherNegative, other)) return false;
            }
        }
    }
    if (!atTokenEnd(p, end)) return false;

    const std::uint64_t known = std::min<std::uint64_t>(
        mesh_.vertexCount(), std::numeric_limits<std::uint32_t>::max());
    if (magnitude == 0 || magnitude > known) {
        inRange = false;
        return true;
    }
    const std::uint64_t index = negative ? known - magnitude : magnitude - 1;
    if (hasBrokenVertices_ && std::isnan(mesh_.positions[index * 3])) inRange = false;
    corners_.push_back(static_cast<std::uint32_t>(index));
    return true;
}

bool ObjParser::parseFace(const char* p, const char* end) {
    corners_.clear();
    bool inRange = true;
    std::size_t cornerCount = 0;
    for (;;) {
        skipBlanks(p, end);
        if (p == end || *p == '#') break;
        if (!readCorner(p, end, inRange)) return false;
        ++cornerCount;
    }
    if (cornerCount < 3 || !inRange) return false;
    for (std::size_t i = 1; i + 1 < corners_.size(); ++i) {
        mesh_.triangles.insert(mesh_.triangles.end(), {corners_[0], corners_[i], corners_[i + 1]});
    }
    ++mesh_.faceCount;
    return true;
}

} // namespace

ObjMesh parseObj(std::string_view text) { return ObjParser().run(text); }

} // namespace nimbrel
