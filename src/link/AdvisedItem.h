// One advised item of the receiver link: a text that the server keeps current (frequency,
// mode, S-meter). The main window shows it through OnChange; the engine reads Text().
#pragma once

#include <functional>
#include <string>

namespace skedula {

class ReceiverLink;

class AdvisedItem {
public:
    // Attaches the item to the link under its item name, with an empty text.
    AdvisedItem(ReceiverLink& link, std::string itemName);
    ~AdvisedItem();
    AdvisedItem(const AdvisedItem&) = delete;
    AdvisedItem& operator=(const AdvisedItem&) = delete;

    // The text last delivered, control characters shown as spaces; empty before the first
    // delivery and after the item was cleared.
    const std::string& Text() const { return text_; }
    const std::string& DdeItem() const { return itemName_; }

    // Fires on every delivery (also of an equal text), re-announcement and clearing.
    std::function<void()> OnChange;

private:
    friend class ReceiverLink;
    // Stores delivered bytes up to the first zero byte; an empty value keeps the text.
    void Store(const std::string& bytes);
    void Clear();
    void Announce() const;

    ReceiverLink* link_;
    std::string itemName_;
    std::string text_;
    bool advised_ = false;
};

} // namespace skedula
