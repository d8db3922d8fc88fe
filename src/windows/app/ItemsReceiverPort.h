// The receiver link and its three advised items as the Windows program's engine and main window
// see them: the link's operations as they are, and the items' current texts. The Linux program's
// adapter also opens the link again by itself; the Windows program keeps to Start and Stop.
#pragma once

#include "engine/Ports.h"
#include "link/AdvisedItem.h"
#include "link/ReceiverLink.h"

namespace skedula {

class ItemsReceiverPort final : public ReceiverPort {
public:
    ItemsReceiverPort(ReceiverLink& link, const AdvisedItem& frequency, const AdvisedItem& mode,
                      const AdvisedItem& sMeter)
        : link_(link), frequency_(frequency), mode_(mode), sMeter_(sMeter) {}

    bool SetServiceTopic(const std::string& service, const std::string& topic) override {
        return link_.SetServiceTopic(service, topic);
    }
    bool OpenConversation() override { return link_.OpenConversation(); }
    void CloseConversation() override { link_.CloseConversation(); }
    bool SendCommand(const std::string& text) override { return link_.SendCommand(text); }
    std::string frequencyText() const override { return frequency_.Text(); }
    std::string modeText() const override { return mode_.Text(); }
    std::string sMeterText() const override { return sMeter_.Text(); }

private:
    ReceiverLink& link_;
    const AdvisedItem& frequency_;
    const AdvisedItem& mode_;
    const AdvisedItem& sMeter_;
};

} // namespace skedula
