#include "storage/IniDocument.h"

#include "engine/Blanks.h"

namespace skedula {

namespace {

constexpr std::string_view ByteOrderMark = "\xEF\xBB\xBF";

std::string OneLine(std::string_view value) {
    std::string line(value);
    for (char& c : line)
        if (c == '\n' || c == '\r')
            c = ' ';
    return line;
}

bool InQuotes(std::string_view value) {
    return value.size() >= 2 && value.front() == '"' && value.back() == '"';
}

// Reading trims a value and takes one pair of double quotes off it, so a value that would
// lose something on the way goes into quotes: blanks at its ends, or quotes of its own there.
std::string Quoted(std::string value) {
    const bool blankAtEnd = !value.empty() && (Blanks.find(value.front()) != std::string::npos ||
                                               Blanks.find(value.back()) != std::string::npos);
    if (blankAtEnd || InQuotes(value))
        return '"' + value + '"';
    return value;
}

std::string Unquoted(std::string_view value) {
    if (InQuotes(value))
        value = value.substr(1, value.size() - 2);
    return std::string(value);
}

} // namespace

IniDocument::IniDocument(std::string_view text) {
    // A file written on Windows keeps its CR LF, also in the lines we add.
    const std::size_t firstEnd = text.find('\n');
    if (firstEnd != std::string_view::npos && firstEnd > 0 && text[firstEnd - 1] == '\r')
        lineEnd_ = "\r\n";
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        lines_.emplace_back(line);
        start = end + 1;
    }
}

IniDocument::Parsed IniDocument::Parse(std::string_view line) {
    if (line.substr(0, ByteOrderMark.size()) == ByteOrderMark)
        line.remove_prefix(ByteOrderMark.size());
    const std::string_view text = TrimBlanks(line);
    if (text.empty() || text.front() == ';' || text.front() == '#')
        return {};
    if (text.front() == '[') {
        // "[Radio] ; my radio" is the group Radio: a comment may follow the bracket.
        const std::size_t close = text.find(']');
        if (close == std::string_view::npos)
            return {};
        const std::string_view rest = TrimBlanks(text.substr(close + 1));
        if (!rest.empty() && rest.front() != ';' && rest.front() != '#')
            return {};
        return {Parsed::Kind::Group, std::string(TrimBlanks(text.substr(1, close - 1))), {}};
    }
    const std::size_t equals = text.find('=');
    if (equals == std::string_view::npos || equals == 0)
        return {};
    return {Parsed::Kind::Key, std::string(TrimBlanks(text.substr(0, equals))),
            std::string(TrimBlanks(text.substr(equals + 1)))};
}

bool IniDocument::HasGroup(std::string_view group) const {
    for (const std::string& line : lines_) {
        const Parsed parsed = Parse(line);
        if (parsed.kind == Parsed::Kind::Group && parsed.name == group)
            return true;
    }
    return false;
}

std::optional<std::size_t> IniDocument::FindKey(std::string_view group,
                                                std::string_view key) const {
    std::optional<std::size_t> found;
    std::string current; // keys before the first group belong to the nameless one
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        Parsed parsed = Parse(lines_[i]);
        if (parsed.kind == Parsed::Kind::Group)
            current = std::move(parsed.name);
        else if (parsed.kind == Parsed::Kind::Key && current == group && parsed.name == key)
            found = i;
    }
    return found;
}

std::optional<std::string> IniDocument::Value(std::string_view group, std::string_view key) const {
    const std::optional<std::string> written = WrittenValue(group, key);
    if (!written)
        return std::nullopt;
    return Unquoted(*written);
}

std::optional<std::string> IniDocument::WrittenValue(std::string_view group,
                                                     std::string_view key) const {
    const std::optional<std::size_t> index = FindKey(group, key);
    if (!index)
        return std::nullopt;
    return Parse(lines_[*index]).value;
}

void IniDocument::SetValue(std::string_view group, std::string_view key, std::string_view value) {
    SetWrittenValue(group, key, Quoted(OneLine(value)));
}

void IniDocument::SetWrittenValue(std::string_view group, std::string_view key,
                                  std::string_view value) {
    const std::string line = std::string(key) + "=" + OneLine(value);
    if (const std::optional<std::size_t> index = FindKey(group, key)) {
        lines_[*index] = line;
        return;
    }
    // After the last key of the group's last section, so that the blank line or comment
    // that leads into the next group stays where the user put it.
    std::optional<std::size_t> insertAfter;
    bool inGroup = group.empty();
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const Parsed parsed = Parse(lines_[i]);
        if (parsed.kind == Parsed::Kind::Group) {
            inGroup = parsed.name == group;
            if (inGroup)
                insertAfter = i;
        } else if (parsed.kind == Parsed::Kind::Key && inGroup) {
            insertAfter = i;
        }
    }
    if (insertAfter) {
        lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(*insertAfter) + 1, line);
        return;
    }
    if (group.empty()) {
        lines_.insert(lines_.begin(), line);
        return;
    }
    if (!lines_.empty() && !TrimBlanks(lines_.back()).empty())
        lines_.emplace_back();
    std::string header(1, '[');
    header.append(group).push_back(']');
    lines_.push_back(std::move(header));
    lines_.push_back(line);
}

std::string IniDocument::Text() const {
    std::string text;
    for (const std::string& line : lines_) {
        text += line;
        text += lineEnd_;
    }
    return text;
}

} // namespace skedula
