#include "link/rigctld/ReplyReader.h"

#include "link/wire/ProtocolText.h"

namespace skedula::rigctld {

namespace {

bool IsLowerOrUnderscore(char c) {
    return (c >= 'a' && c <= 'z') || c == '_';
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
    for (const wire::Line& line : lines_.Feed(bytes)) {
        if (std::optional<Reply> reply = Take(line)) {
            done.push_back(std::move(*reply));
        }
    }
    return done;
}

void ReplyReader::Reset() {
    lines_.Reset();
    inReply_ = false;
    current_ = Reply{};
}

std::optional<Reply> ReplyReader::Take(const wire::Line& line) {
    if (line.overlong) {
        // No reply of rigctld is this long: a reply it falls into is broken off.
        return inReply_ ? std::optional(Finish(Reply::Broken)) : std::nullopt;
    }
    const std::string_view text = line.text;
    if (text.starts_with("RPRT")) {
        return Finish(wire::ReportNumber(text).value_or(Reply::Broken));
    }
    const std::string_view name = EchoName(text);
    if (!name.empty()) {
        // A new echo before the last reply's RPRT: that reply was cut short.
        std::optional<Reply> cut;
        if (inReply_) {
            cut = Finish(Reply::Broken);
        }
        inReply_ = true;
        current_.echoName = std::string(name);
        return cut;
    }
    if (!inReply_ && TrimBlanks(text).empty()) {
        return std::nullopt;
    }
    inReply_ = true;
    current_.values.emplace_back(text);
    if (current_.values.size() > MaxValueLines) {
        return Finish(Reply::Broken);
    }
    return std::nullopt;
}

Reply ReplyReader::Finish(int result) {
    current_.result = result;
    Reply done = std::move(current_);
    current_ = Reply{};
    inReply_ = false;
    return done;
}

} // namespace skedula::rigctld
