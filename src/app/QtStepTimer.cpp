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
    interval_ = milliseconds; // recorded even when no timer can be had
    timer_.stop();
    if (milliseconds == 0)
        return;
    timer_.start(milliseconds);
    if (!timer_.isActive())
        throw Error("Nicht genügend Timer verfügbar");
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
