// The conversation port: what the receiver link needs of a transport to the radio-control
// server. The link owns the behaviour (when items are cleared, which event fires); a port
// only carries exchanges. The rigctld backend implements it for the program, a fake for tests.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace skedula {

// Told by the port about what the server does on its own. A port calls these from its event
// loop, never from inside one of its own calls, so the listener may call the port again.
class ConversationListener {
public:
    virtual ~ConversationListener() = default;
    // The server announces a new value of an advised item. A warm announcement carries no
    // value (the listener fetches it); a hot one carries the value's bytes.
    virtual void ItemChanged(const std::string& item, const std::optional<std::string>& value) = 0;
    // The server failed to give an item's value: it answered the query with an error, or with
    // something that is no value of the item. A reply that is merely late is no failure.
    virtual void ItemFailed(const std::string& item) = 0;
    // The server ended the conversation (it quit, or the connection broke).
    virtual void ConversationEnded() = 0;
};

class ConversationPort {
public:
    virtual ~ConversationPort() = default;

    // nullptr stops all notifications.
    virtual void SetListener(ConversationListener* listener) = 0;

    // Opens the conversation; false when no server offers this service and topic.
    virtual bool Connect(const std::string& service, const std::string& topic) = 0;
    // Starts the server's advise loop for an item; false when the server refuses it. Once
    // started, the loop lasts as long as the conversation, whatever the server answers.
    virtual bool StartAdvise(const std::string& item) = 0;
    // The item's current value, or nothing when the server refuses, fails or is too slow. A
    // failure (not lateness) is also told to the listener, as for the advise loop.
    virtual std::optional<std::string> Request(const std::string& item) = 0;
    // Hands a command to the transport without waiting for the server; false when it was not
    // handed over (no conversation, or the command is refused before sending).
    virtual bool Execute(const std::string& command) = 0;
    // Ends the conversation from our side; no ConversationEnded follows.
    virtual void Disconnect() = 0;

    // Starts the server program: the first argument names the program, the others are passed
    // to it as they are, without a shell. True when it reports having started.
    virtual bool StartServer(const std::vector<std::string>& arguments) = 0;

    // The level in dB relative to S9 behind the value last handed over for the item (the
    // S-meter), where the server gives one; nothing before the first value of a conversation.
    virtual std::optional<double> LevelDb(const std::string& item) const {
        (void)item;
        return std::nullopt;
    }
};

} // namespace skedula
