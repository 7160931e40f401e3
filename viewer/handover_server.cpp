#include "viewer/handover_server.h"

#include "viewer/handover.h"

#include <QLocalSocket>

namespace nimbrel {

HandoverServer::HandoverServer(std::function<std::string()> statusLine, QObject* parent)
    : QObject(parent), statusLine_(std::move(statusLine)) {
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* client = server_.nextPendingConnection()) {
            connect(client, &QLocalSocket::readyRead, this, [this, client] { serve(client); });
            connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
            serve(client);  // the request may have arrived with the connection
        }
    });
}

bool HandoverServer::listen(const std::string& socketPath, std::string& error) {
    const QString name = QString::fromStdString(socketPath);
    if (server_.listen(name)) return true;
    // The caller found nobody answering on this socket, so the file is stale.
    QLocalServer::removeServer(name);
    if (server_.listen(name)) return true;
    error = "cannot listen on " + socketPath + ": " + server_.errorString().toStdString();
    return false;
}

void HandoverServer::serve(QLocalSocket* client) {
    while (client->canReadLine()) {
        const QByteArray request = client->readLine().trimmed();
        if (request == QByteArray(kShowRequest.data(), static_cast<qsizetype>(kShowRequest.size()))) {
            // Answer first: the starter waits for it, the reload may take a while.
            client->write("ok\n");
            client->flush();
            emit showRequested();
        } else if (request ==
                   QByteArray(kStatusRequest.data(), static_cast<qsizetype>(kStatusRequest.size()))) {
            client->write(QByteArray::fromStdString(statusLine_() + "\n"));
            client->flush();
        } else {
            client->write("unknown request\n");
            client->flush();
        }
    }
}

} // namespace nimbrel
