// Keeps every measurement the watch announces, for the end-to-end tests that follow a watch
// over several entries, and lets a test act at the moment one is announced (inside the tick,
// before the next entry is tuned).
#pragma once

#include "engine/WatchListener.h"

#include <functional>
#include <vector>

namespace skedula::e2e {

class MeasurementLog final : public WatchListener {
public:
    std::vector<Measurement> measured;
    std::function<void(const Measurement&)> onMeasured;

    void EntryMeasured(const Measurement& measurement) override {
        measured.push_back(measurement);
        if (onMeasured)
            onMeasured(measurement);
    }
};

} // namespace skedula::e2e
