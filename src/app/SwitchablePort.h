// The conversation port that the receiver link holds for the whole run. It stands for the
// backend of the radio-control program in use, which the radio setup replaces only while the
// link is closed, so that the link's steps never notice the change. Without a backend
// nothing answers.
#pragma once

#include "app/RadioBackend.h"

#include <memory>

namespace skedula {

class SwitchablePort final : public ConversationPort {
public:
    // The old backend goes, and with it a server that it started.
    void Replace(std::unique_ptr<RadioBackend> backend);
    RadioBackend* Backend() const { return backend_.get(); }

    void SetListener(ConversationListener* listener) override;
    bool Connect(const std::string& service, const std::string& topic) override;
    bool StartAdvise(const std::string& item) override;
    std::optional<std::string> Request(const std::string& item) override;
    bool Execute(const std::string& command) override;
    void Disconnect() override;
    bool StartServer(const std::vector<std::string>& arguments) override;
    std::optional<double> LevelDb(const std::string& item) const override;

private:
    std::unique_ptr<RadioBackend> backend_;
    ConversationListener* listener_ = nullptr;
};

} // namespace skedula
