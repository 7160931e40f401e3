#include "params/parameter_file.h"

#include <cstdint>
#include <optional>
#include <string>

#include "core/text_format.h"
#include "core/text_out.h"
#include "params/step_fields.h"
#include "platform/files.h"
#include "platform/unique_fd.h"

namespace nimbrel {

namespace {

// A token keeps at most this many characters; nothing the format holds is longer, and a
// file of one endless line must not cost memory. The full length is still counted.
constexpr std::size_t kTokenKeep = 64;
// How much of an offending token a message quotes.
constexpr std::size_t kQuoteChars = 32;

struct Token {
    std::string text;  // the first kTokenKeep characters
    std::size_t length = 0;

    bool truncated() const { return length > text.size(); }
};

/// Whitespace-separated tokens of a file, read in blocks, so line breaks (CR LF too) and
/// blanks are interchangeable, as a scanf-style reader has always taken them.
class TokenReader {
public:
    explicit TokenReader(int fd) : fd_(fd) {}

    std::optional<Token> next() {
        Token token;
        int c;
        do c = get();
        while (c >= 0 && isBlank(c));
        while (c >= 0 && !isBlank(c)) {
            if (token.text.size() < kTokenKeep) token.text.push_back(static_cast<char>(c));
            ++token.length;
            c = get();
        }
        if (token.length == 0) return std::nullopt;
        return token;
    }

private:
    static bool isBlank(int c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

    int get() {
        if (pos_ == end_) {
            if (done_) return -1;
            // Read as the tokens are taken: the loader stops after line 6, so a saved file
            // never costs the read that would find its end.
            const platform::IoResult got = platform::readSome(fd_, buffer_, sizeof buffer_);
            // A read error ends the file like its end does.
            if (got.failed() || got.bytes == 0) {
                done_ = true;
                return -1;
            }
            pos_ = 0;
            end_ = got.bytes;
        }
        return static_cast<unsigned char>(buffer_[pos_++]);
    }

    int fd_;
    char buffer_[16384];
    std::size_t pos_ = 0;
    std::size_t end_ = 0;
    bool done_ = false;
};

int digitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return 99;
}

/// Hexadecimal with an optional 0x, upper or lower case, the whole token, 32 bits.
std::optional<std::uint32_t> hexNumber(const Token& token) {
    std::string_view s = token.text;
    if (token.truncated()) return std::nullopt;
    if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) s.remove_prefix(2);
    if (s.empty()) return std::nullopt;
    std::uint64_t value = 0;
    for (char c : s) {
        int d = digitValue(c);
        if (d > 15) return std::nullopt;
        value = value * 16 + static_cast<unsigned>(d);
        if (value > 0xFFFFFFFFu) return std::nullopt;
    }
    return static_cast<std::uint32_t>(value);
}

/// Signed decimal, the whole token, within 32 bits.
std::optional<std::int32_t> decimalNumber(const Token& token) {
    std::string_view s = token.text;
    if (token.truncated()) return std::nullopt;
    bool negative = false;
    if (!s.empty() && (s[0] == '-' || s[0] == '+')) {
        negative = s[0] == '-';
        s.remove_prefix(1);
    }
    if (s.empty()) return std::nullopt;
    std::int64_t value = 0;
    for (char c : s) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
        if (value > std::int64_t{1} << 31) return std::nullopt;
    }
    if (negative) value = -value;
    if (value > INT32_MAX || value < INT32_MIN) return std::nullopt;
    return static_cast<std::int32_t>(value);
}

/// The start of a token for a message, cut before a partial UTF-8 character.
std::string quoted(const Token& token) {
    if (token.length <= kQuoteChars) return token.text;
    std::size_t cut = kQuoteChars;
    while (cut > 0 && (static_cast<unsigned char>(token.text[cut]) & 0xC0) == 0x80) --cut;
    return token.text.substr(0, cut) + "...";
}

/// Reads the parameter file's tokens and writes each value into its field as it goes.
class ParameterFileReader {
public:
    ParameterFileReader(FieldReport& report, const std::string& path, int fd)
        : report_(report), path_(path), tokens_(fd) {}

    std::optional<Token> next() { return tokens_.next(); }

    /// Writes a hexadecimal token into field id; a malformed one fails with a message.
    bool putHex(const Token& token, StepField id, std::string_view what) {
        auto value = hexNumber(token);
        if (!value) return fail(token, "a hexadecimal number", what);
        report_.setField(id, hexText(*value));
        return true;
    }

    bool putDecimal(const Token& token, StepField id, std::string_view what) {
        auto value = decimalNumber(token);
        if (!value) return fail(token, "a decimal number", what);
        report_.setField(id, std::to_string(*value));
        return true;
    }

    /// A missing value leaves its field as it is: the check that follows reports the
    /// early end.
    bool hexInto(StepField id, std::string_view what) {
        auto token = tokens_.next();
        return !token || putHex(*token, id, what);
    }

    bool decimalInto(StepField id, std::string_view what) {
        auto token = tokens_.next();
        return !token || putDecimal(*token, id, what);
    }

    /// A count: negative values become 0 with one note per load.
    bool countInto(StepField id, std::string_view what) {
        auto token = tokens_.next();
        if (!token) return true;
        auto value = decimalNumber(*token);
        if (!value) return fail(*token, "a decimal number", what);
        std::int32_t count = *value;
        if (count < 0) {
            count = 0;
            if (!negativeNoted_) report_.addLine(" cnt in VYP is negative!");
            negativeNoted_ = true;
        }
        report_.setField(id, std::to_string(count));
        return true;
    }

    bool fail(const Token& token, std::string_view expected, std::string_view what) {
        report_.showMessage(format("Error in VYP:\n %s\n '%s' is not %s\n (%s)", path_, quoted(token), expected, what));
        return false;
    }

private:
    FieldReport& report_;
    const std::string& path_;
    TokenReader tokens_;
    bool negativeNoted_ = false;
};

bool loadTokens(Workspace& ws, FieldReport& report, const std::string& path, int fd) {
    ParameterFileReader reader(report, path, fd);
    if (!reader.hexInto(StepField::FaceIndexStart, "face index start") ||
        !reader.countInto(StepField::FaceIndexCnt, "face index count"))
        return false;

    auto form = reader.next();
    std::string_view formText = form ? std::string_view(form->text) : std::string_view();
    if (formText.empty() || formText[0] != 'V') {
        report.showMessage("The 2nd line of a VYP dataset\n   must be 'Vb' or 'VB'");
        return false;
    }
    if (formText.size() < 3 || (formText[2] != '0' && formText[2] != '1')) {
        report.showMessage("The 2nd line of a VYP dataset\n must be 'VB0' or 'VB1'");
        return false;
    }
    ws.vbMode = formText[2] == '1';
    if (!ws.vbMode) {
        if (!reader.hexInto(StepField::FvfSize, "UV start")) return false;
    } else {
        if (!reader.decimalInto(StepField::FvfSize, "FVF size") || !reader.decimalInto(StepField::UvPos, "UV pos"))
            return false;
    }
    if (!reader.hexInto(StepField::VertexStart, "vertex start") ||
        !reader.countInto(StepField::VertsCnt, "vertex count"))
        return false;

    auto code = reader.next();
    if (!code) {
        report.showMessage("Error: codestring in VYP-file is empty!");
        return false;
    }
    const bool sixNumerals = formText[1] == 'b';
    if (sixNumerals) {
        auto start = reader.next();
        if (start && !reader.putHex(*start, StepField::UvBlockStart, "UV block start")) return false;
        auto size = start ? reader.next() : std::nullopt;
        // The saver always writes line 6; a file without it was cut short.
        if (!size) {
            report.showMessage(format("Error in VYP:\n %s\n ends before the UV block size (line 6)", path));
            return false;
        }
        if (!reader.putDecimal(*size, StepField::UvBlockSize, "UV block size")) return false;
    }
    // A kept token is longer than six characters, so a cut codestring is judged as the
    // whole one would be.
    return parseCodestring(ws, report, code->text, sixNumerals);
}

}  // namespace

std::string parameterFileName(std::string_view modelPathStem, std::uint32_t number) {
    return format("%s_%u.vyp", modelPathStem, number);
}

bool parseCodestring(Workspace& ws, FieldReport& report, std::string_view codestring, bool sixNumerals) {
    if (codestring.empty()) {
        report.showMessage("Error: codestring in VYP-file is empty!");
        return false;
    }
    if (!sixNumerals && codestring.size() > 4) {
        report.showMessage("Error: more than 4 numerals\n in VYP's codestring!");
        return false;
    }
    if (codestring.size() < 4) {
        report.showMessage("Error: less than 4 numerals\n in VYP's codestring!");
        return false;
    }
    ws.bigEndian = codestring[0] == '1';
    if (codestring[1] != '2' && codestring[1] != '4') {
        report.showMessage("Error in VYP:\n codestring's  2. numeral != {2 or 4}");
        return false;
    }
    ws.indexSize = static_cast<std::uint8_t>(codestring[1] - '0');
    ws.stripMode = codestring[2] == '1';
    if (codestring[3] < '0' || codestring[3] > '4') {
        report.showMessage("Error in VYP:\n codestring's 3. numeral != {0..4}");
        return false;
    }
    ws.vertexFormat = static_cast<VertexFormat>(codestring[3] - '0');
    if (sixNumerals) {
        ws.ffffSeparator = codestring.size() > 4 && codestring[4] == '1';
        ws.reservedCodeFlag = codestring.size() > 5 && codestring[5] == '1';
    }
    return true;
}

bool loadParameterFile(Workspace& ws, FieldReport& report, const std::string& path) {
    // Only a regular file: a directory reads as an error and a FIFO would block.
    const platform::UniqueFd file = platform::openRegularFile(path);
    if (!file.valid()) {
        report.showMessage(" The vyp file could not be opened!\n");
        return false;
    }
    // A load puts up to every step field and a message: one allocation holds them.
    report.notes.reserve(report.notes.size() + kStepFieldCount + 2);
    const bool vbModeBefore = ws.vbMode;
    if (loadTokens(ws, report, path, file.get())) return true;
    // Step 2 is laid out anew only after a success; without this vbMode would
    // contradict the VB/seq caption after a failure.
    ws.vbMode = vbModeBefore;
    return false;
}

bool saveParameterFile(Workspace& ws, const ModelBuffer& model, const StepTexts& typed, FieldReport& report,
                       std::string_view modelPathStem, bool vbMode) {
    if (ws.parameterFileCounter > kLastParameterFileNumber) {
        report.showMessage("more than 2999 VYP files not allowed!");
        return false;
    }
    const std::string name = parameterFileName(modelPathStem, ws.parameterFileCounter);
    if (platform::fileExists(name)) {
        report.showMessage(name + "\n exists!");
        return false;
    }
    // Checked before the file is created, so a refused save leaves no empty file that
    // would block the next attempt under the same number.
    if (!readStepOneFields(ws, model, typed, report) || !readStepTwoFields(ws, model, typed, report, vbMode) ||
        !readStepThreeFields(ws, model, typed, report, false, false))
        return false;

    TextOut out;
    if (!out.open(name, TextOut::Mode::CreateNew)) {
        report.showMessage(" VYP-file could not be created!\n");
        return false;
    }
    out.print("0x%lX %ld\n", ws.faceIndexStart, static_cast<std::int32_t>(ws.faceIndexCnt));
    out.print("Vb%d\n", vbMode ? 1 : 0);
    if (vbMode)
        out.print("%d %d\n", ws.fvfSize, ws.uvPos);
    else
        out.print("0x%lX\n", ws.uvBlockStart);
    out.print("0x%lX %ld\n", ws.vertexStart, static_cast<std::int32_t>(ws.vertsCnt));
    const char code[] = {ws.bigEndian ? '1' : '0',
                         static_cast<char>('0' + ws.indexSize),
                         ws.stripMode ? '1' : '0',
                         static_cast<char>('0' + static_cast<int>(ws.vertexFormat)),
                         ws.ffffSeparator ? '1' : '0',
                         ws.reservedCodeFlag ? '1' : '0',
                         '\n'};
    out.put(std::string_view(code, sizeof code));
    out.print("0x%lX %d\n\n", ws.uvBlockStart, ws.uvBlockSize);
    if (!out.close()) {
        out.discard();
        report.showMessage(name + " could not be written!\n(Is the disk full?)");
        return false;
    }
    ++ws.parameterFileCounter;
    return true;
}

}  // namespace nimbrel
