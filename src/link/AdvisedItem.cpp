#include "link/AdvisedItem.h"

#include "link/ReceiverLink.h"

namespace skedula {

AdvisedItem::AdvisedItem(ReceiverLink& link, std::string itemName)
    : link_(&link), itemName_(std::move(itemName)) {
    link_->Attach(*this);
}

AdvisedItem::~AdvisedItem() {
    if (link_ != nullptr) {
        link_->Detach(*this);
    }
}

void AdvisedItem::Store(const std::string& bytes) {
    std::string text = bytes.substr(0, bytes.find('\0'));
    if (!text.empty()) {
        // The read-outs are one line: tab, CR, LF and the other control bytes become blanks.
        for (char& c : text) {
            const auto byte = static_cast<unsigned char>(c);
            if (byte >= 1 && byte <= 31) {
                c = ' ';
            }
        }
        text_ = std::move(text);
    }
    Announce();
}

void AdvisedItem::Clear() {
    text_.clear();
    Announce();
}

void AdvisedItem::Announce() const {
    if (std::function<void()> handler = OnChange) {
        handler();
    }
}

} // namespace skedula
