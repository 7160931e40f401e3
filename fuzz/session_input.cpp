#include "fuzz/session_input.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace nimbrel::fuzzing {

namespace {

// Everything a user can click: buttons, toggles, check boxes and menu items. Open and
// Exit have their own operations.
constexpr std::array<int, 28> kClickIds = {9,  10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22,
                                           23, 24, 25, 34, 35, 36, 37, 38, 9068, 9069, 9072, 9073, 9074, 9075};
// Commands that arrive without a click, as `nimbrel --send` delivers them whatever the
// enable state: disabled buttons and toggles, menu items, the file-list command.
constexpr std::array<int, 17> kSendIds = {8,  9,  10, 11, 13, 16, 17, 20, 22,
                                          24, 25, 9068, 9072, 9073, 9074, 9075, 9999};
constexpr std::array<int, 10> kEditFields = {2, 3, 4, 5, 6, 7, 30, 31, 32, 33};
// Names the session can write, choose in a dialog or find in a file list; one with a
// blank and a non-ASCII letter, and .vyp names that match the model's own.
constexpr std::array<std::string_view, 12> kNames = {
    "model.bin",   "model_0.vyp", "model_1.vyp",     "model_2.vyp", "FIs.txt",          "CAD_ATSV_16_VYP.txt",
    "model_0.obj", "test.obj",    "other m\xc3\xb6.bin", "other m\xc3\xb6_0.vyp", "model_x.vyp", "missing.vyp"};
constexpr std::size_t kMaxOperations = 48;
constexpr std::size_t kMaxFieldText = 12;
// Counts stay below 1000, so a zero stride cannot ask for a file of millions of lines.
constexpr std::size_t kMaxCountText = 3;
constexpr std::size_t kMaxFileBytes = 200;

class Reader {
public:
    Reader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    bool done() const { return pos_ >= size_; }
    std::uint8_t byte() { return pos_ < size_ ? data_[pos_++] : 0; }
    std::string_view bytes(std::size_t n) {
        n = std::min(n, size_ - std::min(pos_, size_));
        std::string_view out(reinterpret_cast<const char*>(data_) + pos_, n);
        pos_ += n;
        return out;
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

template <typename T, std::size_t N>
T pick(const std::array<T, N>& table, std::uint8_t b) {
    return table[b % N];
}

// A script line ends at a line break, so a field text cannot hold one.
std::string lineText(std::string_view raw) {
    std::string text;
    for (char c : raw)
        if (c != '\n' && c != '\r') text += c;
    return text;
}

// Paths in a prepared file (the file list names folders the run changes into, and the
// next command writes test.obj there) must stay inside the session folder: '@' and '/'
// both become "folder/", and ".." loses a dot.
std::string expandFolder(std::string_view raw, const std::string& folder) {
    std::string text;
    for (char c : raw) {
        if (c == '@' || c == '/') text += folder + "/";
        else if (c == '.' && !text.empty() && text.back() == '.') continue;
        else text += c;
    }
    return text;
}

}  // namespace

SessionInput decodeSessionInput(const std::uint8_t* data, std::size_t size, const std::string& folder) {
    Reader in(data, size);
    SessionInput session;
    std::size_t modelLength = in.byte();
    modelLength |= std::size_t{in.byte()} << 8;
    session.model = std::string(in.bytes(std::min(modelLength, kMaxSessionModel)));
    session.script = std::string("open ") + kSessionModel + "\n";
    for (std::size_t op = 0; op < kMaxOperations && !in.done(); ++op) {
        switch (in.byte() % 8) {
        case 0:
        case 1:
            session.script += "click " + std::to_string(pick(kClickIds, in.byte())) + "\n";
            break;
        case 2: {
            int id = pick(kEditFields, in.byte());
            std::size_t limit = (id == 3 || id == 7) ? kMaxCountText : kMaxFieldText;
            std::size_t length = in.byte() % (limit + 1);
            session.script += "set " + std::to_string(id) + " " + lineText(in.bytes(length)) + "\n";
            break;
        }
        case 3: session.script += "select 8 " + std::to_string(in.byte() % 5) + "\n"; break;
        case 4: {
            std::uint8_t b = in.byte();
            if (b % 16 == 15) session.script += "answer\n";
            else session.script += "answer " + std::string(pick(kNames, b)) + "\n";
            break;
        }
        case 5: session.script += "open " + std::string(pick(kNames, in.byte())) + "\n"; break;
        case 6: {
            int id = pick(kSendIds, in.byte());
            // The combobox acts only on its selection-changed notification.
            session.script += "send " + std::to_string(id) + (id == 8 ? " 1\n" : "\n");
            break;
        }
        case 7: {
            PreparedFile file;
            file.name = pick(kNames, in.byte());
            std::uint8_t length = in.byte();
            if (length == 0xFF) file.kind = PreparedFile::Kind::Folder;
            else if (length == 0xFE) file.kind = PreparedFile::Kind::FullDisk;
            else file.bytes = expandFolder(in.bytes(length % (kMaxFileBytes + 1)), folder);
            // The model itself stays the bytes above.
            if (file.name != kSessionModel) session.files.push_back(std::move(file));
            break;
        }
        }
    }
    return session;
}

}  // namespace nimbrel::fuzzing
