// Lets the event loop run until a condition holds, for tests of code that lives on it. The
// limit only stops a broken test from hanging; it asserts nothing about speed.
#pragma once

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <chrono>
#include <functional>

namespace skedula::test {

inline bool WaitUntil(const std::function<bool()>& condition,
                      std::chrono::milliseconds limit = std::chrono::seconds(10)) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        QEventLoop loop;
        QTimer::singleShot(10, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}

// Handles whatever the event loop holds right now, zero-delay notices included.
inline void RunPendingEvents() {
    for (int round = 0; round < 3; ++round) {
        QCoreApplication::processEvents();
    }
}

// Runs the event loop until the given number of further lines reached the server, so that a
// test can check what did not happen over several poll rounds.
template <typename Server> bool WaitForMoreLines(const Server& server, std::size_t more) {
    const std::size_t target = server.Lines().size() + more;
    return WaitUntil([&] { return server.Lines().size() >= target; });
}

} // namespace skedula::test
