// The program's error: an exception that carries the German message the user sees.
// Raised where the behaviour names a message, caught only by the application's catch points.
#pragma once

#include <stdexcept>
#include <string>

namespace skedula {

class Error : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

} // namespace skedula
