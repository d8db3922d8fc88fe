#include "link/wire/LineReader.h"

namespace skedula::wire {

std::vector<Line> LineReader::Feed(std::string_view bytes) {
    std::vector<Line> done;
    while (!bytes.empty()) {
        const std::size_t end = bytes.find('\n');
        if (!skipping_) {
            partial_.append(bytes.substr(0, end));
            if (partial_.size() > MaxLineLength) {
                partial_.clear();
                skipping_ = true;
                done.push_back({{}, true});
            }
        }
        if (end == std::string_view::npos) {
            break;
        }
        if (!skipping_) {
            if (!partial_.empty() && partial_.back() == '\r') {
                partial_.pop_back();
            }
            done.push_back({std::move(partial_), false});
        }
        partial_.clear();
        skipping_ = false;
        bytes.remove_prefix(end + 1);
    }
    return done;
}

void LineReader::Reset() {
    partial_.clear();
    skipping_ = false;
}

} // namespace skedula::wire
