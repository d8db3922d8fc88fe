#include "app/ErrorText.h"

namespace skedula {

std::string WithClosingPeriod(std::string text) {
    if (!text.empty() && static_cast<unsigned char>(text.back()) > 0x2E)
        text += '.';
    return text;
}

} // namespace skedula
