#include "app/Composition.h"

#include "link/RadioContract.h"

namespace skedula {

Composition::Composition(LinkSettings settings)
    : conversation_(settings.endpoint, settings.timings), link_(conversation_),
      SMeterDdeClientItem_(link_, std::string(contract::SMeterItem)),
      ModeDdeClientItem_(link_, std::string(contract::ModeItem)),
      FrequencyDdeClientItem_(link_, std::string(contract::FrequencyItem)),
      receiver_(link_, FrequencyDdeClientItem_, ModeDdeClientItem_, SMeterDdeClientItem_),
      window_(std::make_unique<TSkedulaForm>()) {
    link_.SetServiceApplication(settings.serverArguments);
    engine_ = std::make_unique<WatchEngine>(
        WatchEngine::Ports{clock_, timer_, receiver_, player_, *window_, *window_});
    ConnectLinkEvents();
    window_->attach(*engine_, receiver_);
    timer_.onTick = [this] { engine_->TimerTimer(); };

    about_ = std::make_unique<TAboutForm>();
    window_->setAboutForm(about_.get());
}

Composition::~Composition() {
    timer_.setInterval(0);
    timer_.onTick = nullptr;
    about_.reset();
    window_.reset();
    DisconnectLinkEvents();
    engine_.reset();
}

void Composition::showMainWindow() {
    window_->show();
}

void Composition::ConnectLinkEvents() {
    TSkedulaForm* window = window_.get();
    link_.OnOpen = [window] { window->DdeClientConvOpen(); };
    link_.OnClose = [window] { window->DdeClientConvClose(); };
    FrequencyDdeClientItem_.OnChange = [window] { window->FrequencyDdeClientItemChange(); };
    ModeDdeClientItem_.OnChange = [window] { window->ModeDdeClientItemChange(); };
    SMeterDdeClientItem_.OnChange = [window] { window->SMeterDdeClientItemChange(); };
}

void Composition::DisconnectLinkEvents() {
    link_.OnOpen = nullptr;
    link_.OnClose = nullptr;
    FrequencyDdeClientItem_.OnChange = nullptr;
    ModeDdeClientItem_.OnChange = nullptr;
    SMeterDdeClientItem_.OnChange = nullptr;
}

} // namespace skedula
