#include "storage/ListText.h"

#include <utility>

namespace skedula {

namespace {
constexpr char kCtrlZ = 26;
}

std::string FormatList(const CellGrid& list) {
    std::string text;
    for (int row = 1; row <= kListRows; ++row) {
        for (int column = 0; column < kListColumns; ++column) {
            text += list.cell(column, row);
            text += "\r\n";
        }
    }
    return text;
}

void ListReader::feed(std::string_view bytes) {
    for (const char byte : bytes) {
        if (ended_)
            return;
        if (byte == '\r')
            continue;
        if (byte == '\n') {
            endLine();
            continue;
        }
        if (!lineStarted_ && byte == kCtrlZ) {
            ended_ = true;
            return;
        }
        lineStarted_ = true;
        if (line_ < kListLines)
            text_ += byte;
    }
}

void ListReader::finish() {
    if (ended_)
        return;
    if (lineStarted_)
        endLine();
    ended_ = true;
}

void ListReader::endLine() {
    if (line_ < kListLines) {
        const int column = static_cast<int>(line_ % kListColumns);
        const int row = static_cast<int>(line_ / kListColumns) + 1;
        list_.setCell(column, row, std::move(text_));
        text_.clear();
        ++line_;
    }
    lineStarted_ = false;
}

} // namespace skedula
