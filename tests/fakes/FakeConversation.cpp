#include "fakes/FakeConversation.h"

namespace skedula {

std::vector<std::string> FakeConversation::CallsStartingWith(const std::string& prefix) const {
    std::vector<std::string> found;
    for (const std::string& call : calls) {
        if (call.rfind(prefix, 0) == 0) {
            found.push_back(call);
        }
    }
    return found;
}

void FakeConversation::AnnounceChange(const std::string& item,
                                      const std::optional<std::string>& value) {
    if (listener != nullptr) {
        listener->ItemChanged(item, value);
    }
}

void FakeConversation::FailItem(const std::string& item) {
    if (listener != nullptr) {
        listener->ItemFailed(item);
    }
}

void FakeConversation::EndConversation() {
    connected = false;
    if (listener != nullptr) {
        listener->ConversationEnded();
    }
}

bool FakeConversation::Connect(const std::string& service, const std::string& topic) {
    calls.push_back("Connect " + service + " " + topic);
    connected = serverRunning;
    return connected;
}

bool FakeConversation::StartAdvise(const std::string& item) {
    calls.push_back("StartAdvise " + item);
    return connected && refusedItems.count(item) == 0;
}

std::optional<std::string> FakeConversation::Request(const std::string& item) {
    calls.push_back("Request " + item);
    const auto value = values.find(item);
    if (!connected || failingItems.count(item) != 0 || value == values.end()) {
        return std::nullopt;
    }
    return value->second;
}

bool FakeConversation::Execute(const std::string& command) {
    calls.push_back("Execute " + command);
    return connected && executeAccepted;
}

void FakeConversation::Disconnect() {
    calls.push_back("Disconnect");
    connected = false;
}

bool FakeConversation::StartServer(const std::vector<std::string>& arguments) {
    std::string call = "StartServer";
    for (const std::string& argument : arguments) {
        call += " " + argument;
    }
    calls.push_back(call);
    if (startSucceeds && startMakesServerRun) {
        serverRunning = true;
    }
    return startSucceeds;
}

} // namespace skedula
