// The step timer on Qt: a precise 500 ms timer whose interval follows the window timer's
// contract (0 is off, the same value does nothing, a new one restarts). Each tick runs inside
// its own catch; the box for a tick's error opens after the tick has returned, because a box
// opened inside the timer's own timeout would hold that timer until the box closes.
#pragma once

#include "engine/Ports.h"

#include <QObject>
#include <QTimer>
#include <functional>

namespace skedula {

class QtStepTimer : public QObject, public StepTimer {
    Q_OBJECT

public:
    explicit QtStepTimer(QObject* parent = nullptr);

    void setInterval(int milliseconds) override;
    int interval() const override { return interval_; }
    // The running platform timer's id, -1 when none runs: a new id means a restart.
    int platformTimerId() const { return timer_.timerId(); }

    std::function<void()> onTick;

private:
    void tick();

    QTimer timer_;
    int interval_ = 0;
};

} // namespace skedula
