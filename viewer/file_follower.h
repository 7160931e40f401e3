#pragma once

#include <QFileSystemWatcher>
#include <QObject>
#include <QString>
#include <QTimer>

#include <sys/types.h>

namespace nimbrel {

/// Tells when a file has changed on disk and settled: written in place, truncated and
/// rewritten, or replaced by a rename (the new file is watched again), or created anew.
class FileFollower : public QObject {
    Q_OBJECT
public:
    explicit FileFollower(const QString& path, QObject* parent = nullptr);

    /// Call right before reading the file: changes from here on count as new.
    void noteLoading();

signals:
    /// The file differs from what was last read and no write has come for a short while.
    void changed();

private:
    struct Signature {
        bool exists = false;
        ino_t inode = 0;
        off_t size = 0;
        long long modifiedNs = 0;
        bool operator==(const Signature&) const = default;
    };
    Signature signatureNow() const;
    void watchFile();
    void settle();

    QString path_;
    QFileSystemWatcher watcher_;
    QTimer settleTimer_;
    Signature loaded_;
    bool fileEventSeen_ = false;
};

} // namespace nimbrel
