// The receiver link: the client side of the one conversation with the radio-control server.
// The main window opens and closes it and tunes through it; the engine reads the texts of its
// advised items. It has no timer and no policy of its own and never throws: failures show as
// a false result, a missing event or a text that does not change.
#pragma once

#include "link/ConversationPort.h"

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace skedula {

class AdvisedItem;

class ReceiverLink : private ConversationListener {
public:
    explicit ReceiverLink(ConversationPort& port);
    // Ends a conversation still open without firing OnClose: whoever handles the event may
    // already be gone when the link is released.
    ~ReceiverLink() override;
    ReceiverLink(const ReceiverLink&) = delete;
    ReceiverLink& operator=(const ReceiverLink&) = delete;

    // Closes any open conversation, stores the names and re-announces every item. Always true.
    bool SetServiceTopic(const std::string& service, const std::string& topic);
    // True only when this call opened a conversation.
    bool OpenConversation();
    // Opens again, as OpenConversation does, a conversation that failed to open or that the
    // server ended, with the names kept from Start. A try that fails changes nothing: the
    // items keep their texts, and nobody hears of it. For reconnecting by itself.
    bool RetryConversation();
    void CloseConversation();
    // True when the command was handed to the port for sending; the server's answer is not
    // awaited.
    bool SendCommand(const std::string& text);

    const std::string& DdeService() const { return service_; }
    const std::string& DdeTopic() const { return topic_; }
    // The program and its arguments that start the server when the first connect fails.
    const std::vector<std::string>& ServiceApplication() const { return serviceApplication_; }
    void SetServiceApplication(std::vector<std::string> arguments) {
        serviceApplication_ = std::move(arguments);
    }
    bool IsOpen() const { return open_; }

    std::function<void()> OnOpen;
    std::function<void()> OnClose;

private:
    friend class AdvisedItem;
    void Attach(AdvisedItem& item);
    void Detach(AdvisedItem& item);

    void ItemChanged(const std::string& item, const std::optional<std::string>& value) override;
    void ItemFailed(const std::string& item) override;
    void ConversationEnded() override;

    // failureClears: a failed open blanks the items.
    bool Open(bool failureClears);

    // Re-announces an item while it is not advised, otherwise fetches and stores its value.
    void FetchOrAnnounce(AdvisedItem& item);
    void ClearAllItems();
    void MarkClosed();
    static void Fire(const std::function<void()>& event);

    ConversationPort& port_;
    std::vector<AdvisedItem*> items_;
    std::string service_;
    std::string topic_;
    std::vector<std::string> serviceApplication_;
    bool open_ = false;
};

} // namespace skedula
