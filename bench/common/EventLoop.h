// Runs a benchmark's Qt event loop, waiting rather than polling, until a condition holds or the
// time is up.
#pragma once

#include <QEventLoop>
#include <QObject>
#include <QTimer>

#include <functional>

namespace skedula::bench {

inline void RunFor(int ms, const std::function<bool()>& done = nullptr) {
    if (done && done())
        return;
    QEventLoop loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, [&] {
        if (done())
            loop.quit();
    });
    deadline.start(ms);
    if (done)
        check.start(20);
    loop.exec();
}

} // namespace skedula::bench
