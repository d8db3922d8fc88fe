#include "app/QtStepTimer.h"

#include "app/ReportError.h"
#include "engine/Error.h"

namespace skedula {

QtStepTimer::QtStepTimer(QObject* parent) : QObject(parent) {
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &QtStepTimer::tick);
}

void QtStepTimer::setInterval(int milliseconds) {
    if (milliseconds == interval_)
        return;
    timer_.stop();
    interval_ = 0;
    if (milliseconds == 0)
        return;
    timer_.start(milliseconds);
    // A refused timer is not recorded, so that the next Start asks again instead of showing
    // a running watch that never ticks.
    if (!timer_.isActive())
        throw Error("Nicht genügend Timer verfügbar");
    interval_ = milliseconds;
}

void QtStepTimer::tick() {
    if (!onTick)
        return;
    try {
        onTick();
    } catch (...) {
        std::string message = MessageOf(std::current_exception());
        QTimer::singleShot(0, this, [message] { ReportError(message); });
    }
}

} // namespace skedula
