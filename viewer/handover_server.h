#pragma once

#include <QLocalServer>
#include <QObject>

#include <functional>
#include <string>

namespace nimbrel {

/// The running viewer's end of the hand-over socket (see handover.h for the requests).
class HandoverServer : public QObject {
    Q_OBJECT
public:
    explicit HandoverServer(std::function<std::string()> statusLine, QObject* parent = nullptr);

    /// Listens on socketPath, taking over a socket file that a dead viewer left behind.
    /// False with one message in error otherwise.
    bool listen(const std::string& socketPath, std::string& error);

signals:
    /// A second start for the same file: come to the front and reload.
    void showRequested();

private:
    void serve(class QLocalSocket* client);

    QLocalServer server_;
    std::function<std::string()> statusLine_;
};

} // namespace nimbrel
