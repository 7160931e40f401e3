#include "gui/command_channel.h"

#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>

#include <unistd.h>

#include <charconv>

namespace nimbrel {

namespace {
constexpr int kConnectMs = 1000;
constexpr int kReplyMs = 5000;
}  // namespace

QString commandSocketPath() {
    const QString runtimeDir = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtimeDir.isEmpty() && QFileInfo(runtimeDir).isDir()) return runtimeDir + QStringLiteral("/nimbrel-command");
    return QDir::tempPath() + QStringLiteral("/nimbrel-command-") + QString::number(::getuid());
}

bool parseCommandWord(const std::string& text, std::uint32_t& word) {
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), word);
    return !text.empty() && ec == std::errc() && end == text.data() + text.size();
}

CommandServer::CommandServer(std::function<void(std::uint32_t)> deliver, QObject* parent)
    : QObject(parent), deliver_(std::move(deliver)), server_(new QLocalServer(this)) {
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    connect(server_, &QLocalServer::newConnection, this, &CommandServer::takeConnection);
}

bool CommandServer::listen(std::string& error) {
    const QString path = commandSocketPath();
    // Asked first: listening would replace the socket of a live window without a word.
    QLocalSocket probe;
    probe.connectToServer(path);
    if (probe.waitForConnected(kConnectMs)) {
        probe.disconnectFromServer();
        error = "another Nimbrel window already receives commands on " + path.toStdString();
        return false;
    }
    // A socket file left by a window that died is in the way.
    QLocalServer::removeServer(path);
    if (server_->listen(path)) return true;
    error = "cannot receive commands on " + path.toStdString() + ": " + server_->errorString().toStdString();
    return false;
}

void CommandServer::takeConnection() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (!socket->canReadLine()) return;
            std::string line = socket->readLine().trimmed().toStdString();
            std::uint32_t word = 0;
            if (!parseCommandWord(line, word)) {
                socket->write("bad\n");
                socket->disconnectFromServer();
                return;
            }
            socket->write("ok\n");
            socket->flush();
            socket->disconnectFromServer();
            QTimer::singleShot(0, this, [this, word] { deliver_(word); });
        });
    }
}

bool sendToRunningWindow(std::uint32_t word, std::string& error) {
    const QString path = commandSocketPath();
    QLocalSocket socket;
    socket.connectToServer(path);
    if (!socket.waitForConnected(kConnectMs)) {
        error = "no Nimbrel window is running (nothing listens on " + path.toStdString() + ")";
        return false;
    }
    socket.write(QByteArray::number(word) + '\n');
    if (!socket.waitForBytesWritten(kReplyMs)) {
        error = "the Nimbrel window did not take the command";
        return false;
    }
    while (!socket.canReadLine()) {
        if (!socket.waitForReadyRead(kReplyMs)) {
            error = "the Nimbrel window did not answer";
            return false;
        }
    }
    if (socket.readLine().trimmed() != "ok") {
        error = "the Nimbrel window refused the command";
        return false;
    }
    return true;
}

}  // namespace nimbrel
