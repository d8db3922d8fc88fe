// Runs part of a test in a child process, for what must not touch the test process itself:
// a small tmpfs of its own (to fill a disk or make it read-only), a low resource limit, another
// time zone or another user. The check runs in the child and returns a text report that the
// parent compares. Used by the storage, engine and sound tests.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

namespace skedula::test {

struct ChildReport {
    bool skipped = false; // the child could not set up its surroundings; report says why
    bool crashed = false; // the child ended abnormally; report says how
    std::string report;
};

// Thrown by a check that finds it cannot run where it is; the parent then skips the test.
struct ChildSkip {
    std::string reason;
};

ChildReport RunInChild(const std::function<std::string()>& check);

// The check gets a fresh folder on a tmpfs of the given size, mounted in a mount namespace of
// the child's own so that nothing of it is visible outside. Skipped where mounting is refused.
ChildReport RunOnScratchMount(std::size_t bytes,
                              const std::function<std::string(const std::string& folder)>& check);

// Inside a check: makes the scratch mount read-only. Returns false when the system refuses.
bool RemountReadOnly(const std::string& folder);
// Inside a check: makes it writable again. Returns false when the system refuses.
bool RemountWritable(const std::string& folder);

// Inside a check: when the child runs as root, it becomes the user "nobody", for whom file
// modes count; any other user stays as it is. Throws ChildSkip when that cannot be done.
void BecomeUnprivileged();

} // namespace skedula::test
