// The receiver link and its three advised items as the engine and the main window see them:
// the link's operations, and the items' current texts. Whoever needs to act around an open
// (the radio setup swaps the program in use while the link is closed) is told of each, and
// the reconnector hears when the watch starts and stops and when an entry is tuned.
#pragma once

#include "app/Reconnector.h"
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
                     OpenObserver* observer = nullptr, Reconnector* reconnector = nullptr)
        : link_(link), port_(port), frequency_(frequency), mode_(mode), sMeter_(sMeter),
          observer_(observer), reconnector_(reconnector) {}

    bool SetServiceTopic(const std::string& service, const std::string& topic) override {
        return link_.SetServiceTopic(service, topic);
    }
    // Start's open: the watch runs from here to the next close.
    bool OpenConversation() override;
    void CloseConversation() override;
    // The first command of a tuning step may first open the link again.
    bool SendCommand(const std::string& text) override;
    std::string frequencyText() const override { return frequency_.Text(); }
    std::string modeText() const override { return mode_.Text(); }
    std::string sMeterText() const override;
    // Only while there is an S-meter text: a cleared read-out has no level behind it.
    std::optional<double> sMeterLevelDb() const override;

private:
    ReceiverLink& link_;
    const ConversationPort& port_;
    const AdvisedItem& frequency_;
    const AdvisedItem& mode_;
    const AdvisedItem& sMeter_;
    OpenObserver* observer_;
    Reconnector* reconnector_;
    bool watching_ = false;
};

} // namespace skedula
