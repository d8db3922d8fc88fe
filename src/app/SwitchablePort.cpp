#include "app/SwitchablePort.h"

namespace skedula {

void SwitchablePort::Replace(std::unique_ptr<RadioBackend> backend) {
    if (backend_)
        backend_->SetListener(nullptr);
    backend_ = std::move(backend);
    if (backend_)
        backend_->SetListener(listener_);
}

void SwitchablePort::SetListener(ConversationListener* listener) {
    listener_ = listener;
    if (backend_)
        backend_->SetListener(listener);
}

bool SwitchablePort::Connect(const std::string& service, const std::string& topic) {
    return backend_ && backend_->Connect(service, topic);
}

bool SwitchablePort::StartAdvise(const std::string& item) {
    return backend_ && backend_->StartAdvise(item);
}

std::optional<std::string> SwitchablePort::Request(const std::string& item) {
    return backend_ ? backend_->Request(item) : std::nullopt;
}

bool SwitchablePort::Execute(const std::string& command) {
    return backend_ && backend_->Execute(command);
}

void SwitchablePort::Disconnect() {
    if (backend_)
        backend_->Disconnect();
}

bool SwitchablePort::StartServer(const std::vector<std::string>& arguments) {
    return backend_ && backend_->StartServer(arguments);
}

std::optional<double> SwitchablePort::LevelDb(const std::string& item) const {
    return backend_ ? backend_->LevelDb(item) : std::nullopt;
}

} // namespace skedula
