#include "core/text_out.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include "platform/unique_fd.h"

namespace nimbrel {

TextOut::~TextOut() {
    if (fd_ >= 0) close();
}

bool TextOut::open(const std::string& path, Mode mode) {
    if (fd_ >= 0) close();
    int flags = O_WRONLY | O_CREAT | O_CLOEXEC | (mode == Mode::CreateNew ? O_EXCL : O_TRUNC);
    fd_ = ::open(path.c_str(), flags, 0666);
    path_ = path;
    failed_ = fd_ < 0;
    ownsFile_ = fd_ >= 0;
    buffer_.clear();
    if (fd_ >= 0) buffer_.reserve(kBlock + kMaxNumberText * 8);
    return fd_ >= 0;
}

void TextOut::writeAll(const char* p, std::size_t left) {
    if (failed_ || fd_ < 0) {
        failed_ = true;
        return;
    }
    if (platform::writeAll(fd_, p, left).failed()) failed_ = true;
}

void TextOut::flushBuffer() {
    writeAll(buffer_.data(), buffer_.size());
    buffer_.clear();
}

namespace {

// Room of one block of text: large enough that a write costs little per byte, small
// enough that a few of them per core stay a small part of the memory in use.
constexpr std::size_t kBlockText = std::size_t{2} << 20;

// Fewer blocks than this are formatted on the calling thread: starting the formatters and
// faulting in their blocks costs more than a few blocks take, and a chain export writes
// hundreds of small files.
constexpr std::uint64_t kParallelBlocks = 8;

// Blocks on their way from the formatting threads to the writer, which takes them in
// order. Block b goes to slot b % slots; a formatter waits for its slot to be written.
class BlockRing {
public:
    BlockRing(std::size_t slots, std::size_t capacity) : slots_(slots) {
        for (std::size_t i = 0; i < slots; ++i) {
            slots_[i].text = std::make_unique_for_overwrite<char[]>(capacity);
            slots_[i].next = i;
        }
    }

    char* claim(std::uint64_t block) {
        Slot& slot = slots_[block % slots_.size()];
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return stopped_ || slot.next == block; });
        return stopped_ ? nullptr : slot.text.get();
    }
    void fill(std::uint64_t block, std::size_t size) {
        Slot& slot = slots_[block % slots_.size()];
        {
            std::lock_guard lock(mutex_);
            slot.size = size;
            slot.ready = true;
        }
        changed_.notify_all();
    }
    /// The text of block, once formatted; nullptr after stop().
    const char* take(std::uint64_t block, std::size_t& size) {
        Slot& slot = slots_[block % slots_.size()];
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return stopped_ || (slot.next == block && slot.ready); });
        size = slot.size;
        return stopped_ ? nullptr : slot.text.get();
    }
    void release(std::uint64_t block) {
        Slot& slot = slots_[block % slots_.size()];
        {
            std::lock_guard lock(mutex_);
            slot.ready = false;
            slot.next = block + slots_.size();
        }
        changed_.notify_all();
    }
    void stop() {
        {
            std::lock_guard lock(mutex_);
            stopped_ = true;
        }
        changed_.notify_all();
    }

private:
    struct Slot {
        std::unique_ptr<char[]> text;
        std::uint64_t next;  // the block this slot takes next
        std::size_t size = 0;
        bool ready = false;
    };
    std::vector<Slot> slots_;
    std::mutex mutex_;
    std::condition_variable changed_;
    bool stopped_ = false;
};

// One block of room per thread, kept from call to call: a command that writes many small
// files would otherwise map and fault in fresh pages for each of them.
char* scratchBlock(std::size_t size) {
    thread_local std::unique_ptr<char[]> text;
    thread_local std::size_t room = 0;
    if (room < size) {
        text = std::make_unique_for_overwrite<char[]>(size);
        room = size;
    }
    return text.get();
}

}  // namespace

void TextOut::putInBlocks(std::uint64_t count, std::size_t maxItemText, bool anyThread, const BlockFormatter& format) {
    if (count == 0) return;
    flushBuffer();
    const std::uint64_t perBlock = std::max<std::size_t>(1, kBlockText / maxItemText);
    const std::size_t capacity = static_cast<std::size_t>(perBlock) * maxItemText;
    const std::uint64_t blocks = (count + perBlock - 1) / perBlock;
    auto formatBlock = [&](std::uint64_t block, char* text) {
        const std::uint64_t first = block * perBlock;
        return static_cast<std::size_t>(format(first, std::min(count, first + perBlock), text) - text);
    };
    const unsigned cores = std::thread::hardware_concurrency();
    if (!anyThread || blocks < kParallelBlocks || cores < 2) {
        char* text = scratchBlock(static_cast<std::size_t>(std::min<std::uint64_t>(count, perBlock)) * maxItemText);
        for (std::uint64_t block = 0; block < blocks && !failed_; ++block) writeAll(text, formatBlock(block, text));
        return;
    }
    const unsigned workers = std::min<std::uint64_t>(cores, blocks);
    BlockRing ring(2 * workers, capacity);
    std::atomic<std::uint64_t> nextBlock{0};
    std::vector<std::thread> threads;
    auto work = [&] {
        for (std::uint64_t block; (block = nextBlock++) < blocks;) {
            char* text = ring.claim(block);
            if (text == nullptr) return;
            ring.fill(block, formatBlock(block, text));
        }
    };
    try {
        for (unsigned i = 0; i < workers; ++i) threads.emplace_back(work);
    } catch (const std::system_error&) {
        // No thread to spare: whatever did start takes every block.
        if (threads.empty()) {
            ring.stop();
            return putInBlocks(count, maxItemText, false, format);
        }
    }
    for (std::uint64_t block = 0; block < blocks; ++block) {
        std::size_t size = 0;
        const char* text = ring.take(block, size);
        writeAll(text, size);
        if (failed_) break;
        ring.release(block);
    }
    ring.stop();
    for (auto& thread : threads) thread.join();
}

bool TextOut::flush() {
    if (!buffer_.empty()) flushBuffer();
    return !failed_;
}

bool TextOut::close() {
    if (fd_ < 0) return !failed_;
    flush();
    if (::close(fd_) != 0) failed_ = true;
    fd_ = -1;
    return !failed_;
}

void TextOut::discard() {
    if (fd_ >= 0) {
        buffer_.clear();
        ::close(fd_);
        fd_ = -1;
    }
    // Only a file this writer created or truncated; never one it failed to open.
    if (ownsFile_) std::remove(path_.c_str());
    ownsFile_ = false;
}

}  // namespace nimbrel
