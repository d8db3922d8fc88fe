// A resolver that answers nothing until the test ends, as a DNS or mDNS server that never
// answers (a computer offline): for the tests that a host name never holds the window. It
// counts the names it was asked, and lets its lookups go when it goes.
#pragma once

#include "link/wire/HostLookup.h"

#include <condition_variable>
#include <memory>
#include <mutex>

namespace skedula::test {

class HangingResolver {
public:
    HangingResolver() = default;
    ~HangingResolver() {
        const std::lock_guard lock(state_->mutex);
        state_->released = true;
        state_->released_.notify_all();
    }
    HangingResolver(const HangingResolver&) = delete;
    HangingResolver& operator=(const HangingResolver&) = delete;

    wire::Resolver resolver() const {
        return [state = state_](const QString&) {
            std::unique_lock lock(state->mutex);
            ++state->asked;
            state->released_.wait(lock, [&] { return state->released; });
            return QList<QHostAddress>{};
        };
    }
    int asked() const {
        const std::lock_guard lock(state_->mutex);
        return state_->asked;
    }

private:
    struct State {
        std::mutex mutex;
        std::condition_variable released_;
        bool released = false;
        int asked = 0;
    };
    std::shared_ptr<State> state_ = std::make_shared<State>();
};

} // namespace skedula::test
