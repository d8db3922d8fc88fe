#include "app/LinkReceiverPort.h"

#include "link/RadioContract.h"

namespace skedula {

bool LinkReceiverPort::OpenConversation() {
    watching_ = true;
    bool opened = false;
    // An open link refuses the open and changes nothing: nobody needs to hear of it.
    if (observer_ == nullptr || link_.IsOpen()) {
        opened = link_.OpenConversation();
    } else {
        observer_->BeforeOpen();
        opened = link_.OpenConversation();
        observer_->AfterOpen(opened);
    }
    if (reconnector_ != nullptr)
        reconnector_->WatchStarted();
    return opened;
}

void LinkReceiverPort::CloseConversation() {
    watching_ = false;
    if (reconnector_ != nullptr)
        reconnector_->WatchStopped();
    link_.CloseConversation();
}

bool LinkReceiverPort::SendCommand(const std::string& text) {
    if (reconnector_ != nullptr && text.starts_with(contract::FrequencyCommand))
        reconnector_->BeforeTuning();
    return link_.SendCommand(text);
}

std::string LinkReceiverPort::sMeterText() const {
    // While the watch runs without a conversation, the S-meter's last text came from a server
    // that has gone (the read-out keeps it, as it keeps the others): a sample taken now has
    // no reading, rather than that old one again and again.
    if (watching_ && !link_.IsOpen())
        return {};
    return sMeter_.Text();
}

std::optional<double> LinkReceiverPort::sMeterLevelDb() const {
    return sMeterText().empty() ? std::nullopt : port_.LevelDb(sMeter_.DdeItem());
}

} // namespace skedula
