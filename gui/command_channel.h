#pragma once

#include <QObject>

#include <cstdint>
#include <functional>
#include <string>

class QLocalServer;

namespace nimbrel {

/// Where the running window of this user listens for commands from `nimbrel --send`:
/// in $XDG_RUNTIME_DIR when set, else in the temporary folder under the user's id.
QString commandSocketPath();

/// The running window's end of the command socket. Each connection carries one command
/// word as a decimal line; the server answers "ok" once it has the command and runs it
/// on the window's thread after that, so the sender never waits for the command.
class CommandServer : public QObject {
    Q_OBJECT

public:
    CommandServer(std::function<void(std::uint32_t)> deliver, QObject* parent = nullptr);

    /// False when another window of this user already answers on the socket, or the socket
    /// cannot be created; error says which.
    bool listen(std::string& error);

private:
    void takeConnection();

    std::function<void(std::uint32_t)> deliver_;
    QLocalServer* server_;
};

/// Parses a command word: a decimal number of at most 32 bits.
bool parseCommandWord(const std::string& text, std::uint32_t& word);

/// Hands word to the running window; false with error set when no window took it.
bool sendToRunningWindow(std::uint32_t word, std::string& error);

}  // namespace nimbrel
