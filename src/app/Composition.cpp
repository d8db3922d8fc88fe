#include "app/Composition.h"

namespace skedula {

// Stand-ins until the receiver link and the alarm player are connected.
class Composition::Placeholders : public ReceiverPort, public AlarmPort {
public:
    bool SetServiceTopic(const std::string&, const std::string&) override { return true; }
    bool OpenConversation() override { return false; }
    void CloseConversation() override {}
    bool SendCommand(const std::string&) override { return false; }
    std::string frequencyText() const override { return {}; }
    std::string modeText() const override { return {}; }
    std::string sMeterText() const override { return {}; }
    void Close() override {}
    void setFileName(const std::string&) override {}
    void Open() override {}
    void Play() override {}
};

Composition::Composition()
    : placeholders_(std::make_unique<Placeholders>()), window_(std::make_unique<TSkedulaForm>()) {
    engine_ = std::make_unique<WatchEngine>(
        WatchEngine::Ports{clock_, timer_, *placeholders_, *placeholders_, *window_, *window_});
    window_->attach(*engine_);
    timer_.onTick = [this] { engine_->TimerTimer(); };
}

Composition::~Composition() {
    timer_.setInterval(0);
}

void Composition::showMainWindow() {
    window_->show();
}

} // namespace skedula
