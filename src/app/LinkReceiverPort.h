// The receiver link and its three advised items as the engine and the main window see them:
// the link's operations, and the items' current texts. Whoever needs to act around an open
// (the radio setup swaps the program in use while the link is closed) is told of each.
#pragma once

#include "engine/Ports.h"
#include "link/AdvisedItem.h"
#include "link/ReceiverLink.h"

namespace skedula {

class OpenObserver {
public:
    virtual ~OpenObserver() = default;
    // The link is closed and about to open.
    virtual void BeforeOpen() = 0;
    virtual void AfterOpen(bool opened) = 0;
};

class LinkReceiverPort final : public ReceiverPort {
public:
    // port: the link's conversation port, which knows the level behind the S-meter text.
    LinkReceiverPort(ReceiverLink& link, const ConversationPort& port, const AdvisedItem& frequency,
                     const AdvisedItem& mode, const AdvisedItem& sMeter,
                     OpenObserver* observer = nullptr)
        : link_(link), port_(port), frequency_(frequency), mode_(mode), sMeter_(sMeter),
          observer_(observer) {}

    bool SetServiceTopic(const std::string& service, const std::string& topic) override {
        return link_.SetServiceTopic(service, topic);
    }
    bool OpenConversation() override {
        // An open link refuses the open and changes nothing: nobody needs to hear of it.
        if (observer_ == nullptr || link_.IsOpen())
            return link_.OpenConversation();
        observer_->BeforeOpen();
        const bool opened = link_.OpenConversation();
        observer_->AfterOpen(opened);
        return opened;
    }
    void CloseConversation() override { link_.CloseConversation(); }
    bool SendCommand(const std::string& text) override { return link_.SendCommand(text); }
    std::string frequencyText() const override { return frequency_.Text(); }
    std::string modeText() const override { return mode_.Text(); }
    std::string sMeterText() const override { return sMeter_.Text(); }
    // Only while the item holds a text: a cleared read-out has no level behind it.
    std::optional<double> sMeterLevelDb() const override {
        return sMeter_.Text().empty() ? std::nullopt : port_.LevelDb(sMeter_.DdeItem());
    }

private:
    ReceiverLink& link_;
    const ConversationPort& port_;
    const AdvisedItem& frequency_;
    const AdvisedItem& mode_;
    const AdvisedItem& sMeter_;
    OpenObserver* observer_;
};

} // namespace skedula
