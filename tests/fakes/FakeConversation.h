// A conversation port for the link's tests: a scripted server that records every call and
// lets the test announce changes and end the conversation as a real server would.
#pragma once

#include "link/ConversationPort.h"

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace skedula {

class FakeConversation : public ConversationPort {
public:
    // Script of the server.
    bool serverRunning = true;                 // whether Connect succeeds
    bool startSucceeds = true;                 // what StartServer reports
    bool startMakesServerRun = true;           // whether the started server offers the service
    bool executeAccepted = true;               // what Execute reports
    std::set<std::string> refusedItems;        // advise start fails for these
    std::set<std::string> failingItems;        // requests fail for these
    std::map<std::string, std::string> values; // what a request returns

    // Every call, in order: "Connect S T", "StartServer A B C" (the arguments, joined by blanks),
    // "StartAdvise I", "Request I", "Execute C", "Disconnect".
    std::vector<std::string> calls;
    std::vector<std::string> CallsStartingWith(const std::string& prefix) const;
    void ClearCalls() { calls.clear(); }

    // What the server does on its own.
    void AnnounceChange(const std::string& item, const std::optional<std::string>& value = {});
    // The server failed the item's query (an error, or no value in the reply).
    void FailItem(const std::string& item);
    void EndConversation();

    bool connected = false;
    ConversationListener* listener = nullptr;

    void SetListener(ConversationListener* newListener) override { listener = newListener; }
    bool Connect(const std::string& service, const std::string& topic) override;
    bool StartAdvise(const std::string& item) override;
    std::optional<std::string> Request(const std::string& item) override;
    bool Execute(const std::string& command) override;
    void Disconnect() override;
    bool StartServer(const std::vector<std::string>& arguments) override;
};

} // namespace skedula
