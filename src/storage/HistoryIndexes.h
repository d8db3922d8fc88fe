// The history window's hold on the indexes of the history database: a database that another
// program wrote has the table but not Skedula's indexes, which are built in the background while
// the window says so. The history writer builds them, on its own thread.
#pragma once

#include <string>

namespace skedula {

struct IndexStatus {
    enum class State {
        NotAsked, // nothing was asked yet
        Building,
        Ready,  // built, or there was nothing to build
        Failed, // failure: "<path>: <German reason>"
    };
    State state = State::NotAsked;
    std::string failure;
};

class HistoryIndexes {
public:
    virtual ~HistoryIndexes() = default;
    // Builds the missing indexes of an existing database in the background; returns at once.
    virtual void BuildIndexes() = 0;
    virtual IndexStatus indexStatus() const = 0;
};

} // namespace skedula
