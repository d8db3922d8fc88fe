#include "windows/app/Composition.h"

#include "link/RadioContract.h"

namespace skedula {

Composition::Composition(Application& application, Platform platform)
    : application_(application), platform_(std::move(platform)), link_(platform_.conversation),
      SMeterDdeClientItem_(link_, std::string(contract::SMeterItem)),
      ModeDdeClientItem_(link_, std::string(contract::ModeItem)),
      FrequencyDdeClientItem_(link_, std::string(contract::FrequencyItem)),
      receiver_(link_, FrequencyDdeClientItem_, ModeDdeClientItem_, SMeterDdeClientItem_) {
    link_.SetServiceApplication(platform_.serverCommand);
    window_ = std::make_unique<TSkedulaForm>(platform_.lists);
    engine_ = std::make_unique<WatchEngine>(WatchEngine::Ports{
        platform_.clock, timer_, receiver_, platform_.alarm, *window_, *window_});
    ConnectLinkEvents();
    window_->attach(*engine_, receiver_);
    timer_.onTick = [this] { engine_->TimerTimer(); };
    application.AddDialogWindow(window_->handle());

    about_ = std::make_unique<TAboutForm>(application, window_->handle());
    window_->setAboutForm(about_.get());
}

Composition::~Composition() {
    timer_.setInterval(0);
    timer_.onTick = nullptr;
    window_->setAboutForm(nullptr);
    about_.reset();
    application_.RemoveDialogWindow(window_->handle());
    window_.reset();
    DisconnectLinkEvents();
    engine_.reset();
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
