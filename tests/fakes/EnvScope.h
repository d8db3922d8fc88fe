// Sets (or, with nullptr, unsets) one environment variable for a scope and puts the old value
// back after it, for tests of what reads the environment: the XDG folders, the time zone.
#pragma once

#include <cstdlib>
#include <optional>
#include <string>

namespace skedula::test {

class EnvScope {
public:
    EnvScope(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name))
            old_ = old;
        value != nullptr ? ::setenv(name, value, 1) : ::unsetenv(name);
    }
    ~EnvScope() { old_ ? ::setenv(name_.c_str(), old_->c_str(), 1) : ::unsetenv(name_.c_str()); }
    EnvScope(const EnvScope&) = delete;
    EnvScope& operator=(const EnvScope&) = delete;

private:
    std::string name_;
    std::optional<std::string> old_;
};

} // namespace skedula::test
