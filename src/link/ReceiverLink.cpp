#include "link/ReceiverLink.h"

#include "link/AdvisedItem.h"
#include "link/RadioContract.h"

#include <algorithm>

namespace skedula {

ReceiverLink::ReceiverLink(ConversationPort& port) : port_(port) {
    port_.SetListener(this);
}

ReceiverLink::~ReceiverLink() {
    port_.SetListener(nullptr);
    if (open_) {
        MarkClosed();
        port_.Disconnect();
    }
    for (AdvisedItem* item : items_) {
        item->link_ = nullptr;
    }
}

bool ReceiverLink::SetServiceTopic(const std::string& service, const std::string& topic) {
    CloseConversation();
    service_ = service;
    topic_ = topic;
    // Indexes, not iterators: a handler may attach or release items while we announce.
    for (std::size_t i = 0; i < items_.size(); ++i) {
        FetchOrAnnounce(*items_[i]);
    }
    return true;
}

bool ReceiverLink::OpenConversation() {
    return Open(true);
}

bool ReceiverLink::RetryConversation() {
    return Open(false);
}

bool ReceiverLink::Open(bool failureClears) {
    if (open_) {
        return false;
    }
    if (service_.empty() && topic_.empty()) {
        if (failureClears) {
            ClearAllItems();
        }
        return false;
    }
    bool connected = port_.Connect(service_, topic_);
    if (!connected && (!service_.empty() || !serviceApplication_.empty())) {
        // Started even when the server runs and only refused us; one more connect, no retry.
        // Without a program of its own the service names the program and the topic its
        // argument.
        std::vector<std::string> arguments = serviceApplication_;
        if (arguments.empty()) {
            arguments.push_back(service_);
            if (!topic_.empty()) {
                arguments.push_back(topic_);
            }
        }
        if (port_.StartServer(arguments)) {
            connected = port_.Connect(service_, topic_);
        }
    }
    if (!connected) {
        // Blank read-outs make the failure visible; the items stay attached so that the next
        // successful open advises and fetches them again.
        if (failureClears) {
            ClearAllItems();
        }
        return false;
    }
    open_ = true;
    for (std::size_t i = 0; i < items_.size(); ++i) {
        AdvisedItem& item = *items_[i];
        item.advised_ = open_ && port_.StartAdvise(item.itemName_);
        if (!item.advised_) {
            item.Clear();
        }
    }
    Fire(OnOpen);
    for (std::size_t i = 0; i < items_.size(); ++i) {
        if (items_[i]->advised_) {
            FetchOrAnnounce(*items_[i]);
        }
    }
    return true;
}

void ReceiverLink::CloseConversation() {
    if (open_) {
        MarkClosed();
        port_.Disconnect();
        Fire(OnClose);
    }
    service_.clear();
    topic_.clear();
}

bool ReceiverLink::SendCommand(const std::string& text) {
    if (!open_) {
        return false;
    }
    return port_.Execute(text);
}

void ReceiverLink::Attach(AdvisedItem& item) {
    items_.push_back(&item);
}

void ReceiverLink::Detach(AdvisedItem& item) {
    items_.erase(std::remove(items_.begin(), items_.end(), &item), items_.end());
}

void ReceiverLink::ItemChanged(const std::string& item, const std::optional<std::string>& value) {
    if (!open_) {
        return;
    }
    for (std::size_t i = 0; i < items_.size(); ++i) {
        AdvisedItem& attached = *items_[i];
        if (!attached.advised_ || attached.itemName_ != item) {
            continue;
        }
        if (value) {
            attached.Store(*value);
        } else {
            FetchOrAnnounce(attached);
        }
    }
}

void ReceiverLink::ItemFailed(const std::string& item) {
    if (!open_) {
        return;
    }
    // A failed reading is no reading: the S-meter text goes until the next good one, so that
    // a sample taken meanwhile finds none. Frequency and mode stay what the radio was last
    // set to.
    if (item != contract::SMeterItem) {
        return;
    }
    for (std::size_t i = 0; i < items_.size(); ++i) {
        AdvisedItem& attached = *items_[i];
        if (attached.advised_ && attached.itemName_ == item && !attached.text_.empty()) {
            attached.Clear();
        }
    }
}

void ReceiverLink::ConversationEnded() {
    // After our own close the port has nothing more to say; a late notice is ignored.
    if (!open_) {
        return;
    }
    MarkClosed();
    Fire(OnClose);
}

void ReceiverLink::FetchOrAnnounce(AdvisedItem& item) {
    if (!open_ || !item.advised_) {
        item.Announce();
        return;
    }
    // A failed or late request leaves the text alone and fires nothing here; the port tells
    // of a failure as of a failed poll (ItemFailed).
    if (std::optional<std::string> value = port_.Request(item.itemName_)) {
        item.Store(*value);
    }
}

void ReceiverLink::ClearAllItems() {
    for (std::size_t i = 0; i < items_.size(); ++i) {
        items_[i]->Clear();
    }
}

void ReceiverLink::MarkClosed() {
    open_ = false;
    for (AdvisedItem* item : items_) {
        item->advised_ = false;
    }
}

void ReceiverLink::Fire(const std::function<void()>& event) {
    // A copy, so that a handler may replace the event while it runs.
    if (std::function<void()> handler = event) {
        handler();
    }
}

} // namespace skedula
