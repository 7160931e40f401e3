#include "viewer/file_follower.h"

#include <QFileInfo>

#include <sys/stat.h>

namespace nimbrel {
namespace {

// Writers fill a file in many blocks; reading waits until they pause this long.
constexpr int kSettleMs = 120;

} // namespace

FileFollower::FileFollower(const QString& path, QObject* parent)
    : QObject(parent), path_(QFileInfo(path).absoluteFilePath()) {
    settleTimer_.setSingleShot(true);
    settleTimer_.setInterval(kSettleMs);
    connect(&settleTimer_, &QTimer::timeout, this, &FileFollower::settle);
    connect(&watcher_, &QFileSystemWatcher::fileChanged, this, [this] {
        fileEventSeen_ = true;
        settleTimer_.start();
    });
    // The folder tells when the file comes back after a delete or a rename over it; the
    // watch on the file itself is gone by then.
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, this, [this] { settleTimer_.start(); });
    watcher_.addPath(QFileInfo(path_).absolutePath());
    watchFile();
}

void FileFollower::noteLoading() {
    loaded_ = signatureNow();
    fileEventSeen_ = false;
}

FileFollower::Signature FileFollower::signatureNow() const {
    struct stat info {};
    Signature s;
    if (::stat(path_.toLocal8Bit().constData(), &info) != 0) return s;
    s.exists = true;
    s.inode = info.st_ino;
    s.size = info.st_size;
    s.modifiedNs = static_cast<long long>(info.st_mtim.tv_sec) * 1000000000LL + info.st_mtim.tv_nsec;
    return s;
}

void FileFollower::watchFile() {
    if (!watcher_.files().contains(path_) && QFileInfo::exists(path_)) watcher_.addPath(path_);
}

void FileFollower::settle() {
    watchFile();
    const Signature now = signatureNow();
    // A folder event for another file (the tool writes test.obj and testUVs.obj side by
    // side) leaves the signature as it was and costs no reload.
    if (now.exists && (fileEventSeen_ || !(now == loaded_))) emit changed();
    fileEventSeen_ = false;
}

} // namespace nimbrel
