// The one place that builds Skedula's objects and connects them: the engine, the step timer,
// the receiver link, the alarm player and the windows.
#pragma once

#include "app/QtStepTimer.h"
#include "app/Startup.h"
#include "engine/SystemClock.h"
#include "engine/WatchEngine.h"
#include "ui/Skedula.h"

#include <memory>

namespace skedula {

class Composition : public AppWindows {
public:
    Composition();
    ~Composition() override;

    void showMainWindow() override;

    TSkedulaForm& mainWindow() { return *window_; }
    WatchEngine& engine() { return *engine_; }

private:
    class Placeholders;

    SystemClock clock_;
    QtStepTimer timer_;
    std::unique_ptr<Placeholders> placeholders_;
    std::unique_ptr<TSkedulaForm> window_;
    std::unique_ptr<WatchEngine> engine_;
};

} // namespace skedula
