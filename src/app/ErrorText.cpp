#include "app/ErrorText.h"

#include <cxxabi.h>

#include <cstdlib>
#include <typeinfo>

namespace skedula {

std::string WithClosingPeriod(std::string text) {
    if (!text.empty() && static_cast<unsigned char>(text.back()) > 0x2E)
        text += '.';
    return text;
}

std::string ExceptionKind(std::exception_ptr error) {
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        int status = 0;
        char* name = abi::__cxa_demangle(typeid(e).name(), nullptr, nullptr, &status);
        std::string kind = status == 0 && name != nullptr ? name : typeid(e).name();
        std::free(name);
        return kind;
    } catch (...) {
        return "unknown";
    }
}

} // namespace skedula
