#include "link/rigctld/ReplyReader.h"

#include <charconv>

namespace skedula::rigctld {

namespace {

bool IsLowerOrUnderscore(char c) {
    return (c >= 'a' && c <= 'z') || c == '_';
}

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
        text.remove_suffix(1);
    }
    return text;
}

// n of "RPRT n", or Reply::Broken when the number cannot be read.
int ReportNumber(std::string_view rest) {
    rest = TrimBlanks(rest);
    int number = 0;
    const auto [end, error] = std::from_chars(rest.data(), rest.data() + rest.size(), number);
    if (error != std::errc() || end != rest.data() + rest.size() || number == Reply::Broken) {
        return Reply::Broken;
    }
    return number;
}

} // namespace

std::string_view EchoName(std::string_view line) {
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos || colon == 0 || line[0] < 'a' || line[0] > 'z') {
        return {};
    }
    const std::string_view name = line.substr(0, colon);
    for (char c : name) {
        if (!IsLowerOrUnderscore(c) && !(c >= '0' && c <= '9')) {
            return {};
        }
    }
    const std::string_view rest = line.substr(colon + 1);
    if (!rest.empty() && rest[0] != ' ' && rest[0] != '\t') {
        return {};
    }
    return name;
}

std::vector<Reply> ReplyReader::Feed(std::string_view bytes) {
    std::vector<Reply> done;
    while (!bytes.empty()) {
        const std::size_t end = bytes.find('\n');
        const std::string_view piece = bytes.substr(0, end);
        if (!skippingLongLine_) {
            partial_.append(piece);
        }
        if (partial_.size() > MaxLineLength) {
            // No reply of rigctld is this long: the stream is garbage up to the next line end.
            partial_.clear();
            skippingLongLine_ = true;
            if (inReply_) {
                Finish(Reply::Broken, done);
            }
        }
        if (end == std::string_view::npos) {
            break;
        }
        if (!skippingLongLine_) {
            std::string_view line = partial_;
            if (!line.empty() && line.back() == '\r') {
                line.remove_suffix(1);
            }
            TakeLine(line, done);
        }
        partial_.clear();
        skippingLongLine_ = false;
        bytes.remove_prefix(end + 1);
    }
    return done;
}

void ReplyReader::Reset() {
    partial_.clear();
    skippingLongLine_ = false;
    inReply_ = false;
    current_ = Reply{};
}

void ReplyReader::TakeLine(std::string_view line, std::vector<Reply>& done) {
    if (line.substr(0, 4) == "RPRT") {
        const std::string_view rest = line.substr(4);
        const bool separated = !rest.empty() && (rest[0] == ' ' || rest[0] == '\t');
        Finish(separated ? ReportNumber(rest) : Reply::Broken, done);
        return;
    }
    const std::string_view name = EchoName(line);
    if (!name.empty()) {
        // A new echo before the last reply's RPRT: that reply was cut short.
        if (inReply_) {
            Finish(Reply::Broken, done);
        }
        inReply_ = true;
        current_.echoName = std::string(name);
        return;
    }
    if (!inReply_ && TrimBlanks(line).empty()) {
        return;
    }
    inReply_ = true;
    current_.values.emplace_back(line);
    if (current_.values.size() > MaxValueLines) {
        Finish(Reply::Broken, done);
    }
}

void ReplyReader::Finish(int result, std::vector<Reply>& done) {
    current_.result = result;
    done.push_back(std::move(current_));
    current_ = Reply{};
    inReply_ = false;
}

} // namespace skedula::rigctld
