// An INI file as its user wrote it: "[Group]" lines, "Key=Value" lines, comments (";" or "#")
// and blank lines. Setting a value rewrites only that key's line, so a hand-edited settings
// file keeps its comments and every group and key this program does not know. The settings
// file holds one; each settings group (the radio, the watch) reads and sets its own keys.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace skedula {

class IniDocument {
public:
    IniDocument() = default;
    // Any text is taken: a line that is neither a group, a key nor a comment is kept as it is
    // and means nothing.
    explicit IniDocument(std::string_view text);

    bool HasGroup(std::string_view group) const;
    // The key's value with the blanks around it removed, and then one pair of double quotes
    // around all of it (`Key=" a "` is " a "); when a key appears more than once in a group,
    // the last one counts. Names are compared exactly. A group line may end in a comment.
    std::optional<std::string> Value(std::string_view group, std::string_view key) const;
    // Rewrites the line that Value reads, or adds the key at the end of the group, or the
    // group at the end of the document. Line breaks in the value become blanks: a value is
    // one line. A value with a blank at either end, or with double quotes at both, is written
    // in double quotes, so that Value gives it back as it was.
    void SetValue(std::string_view group, std::string_view key, std::string_view value);

    // The same without the quotes, for files whose readers do not take them off (a desktop
    // entry): the value as the line holds it, blanks around it removed.
    std::optional<std::string> WrittenValue(std::string_view group, std::string_view key) const;
    void SetWrittenValue(std::string_view group, std::string_view key, std::string_view value);

    // The document as a file's content: every line as it was read, changed lines in their
    // new form, each ending in the line end the document uses.
    std::string Text() const;

private:
    struct Parsed {
        enum class Kind { Other, Group, Key } kind = Kind::Other;
        std::string name; // the group's or the key's name
        std::string value;
    };
    static Parsed Parse(std::string_view line);
    // Index of the key's last line in the group, or of nothing.
    std::optional<std::size_t> FindKey(std::string_view group, std::string_view key) const;

    std::vector<std::string> lines_; // without their line ends
    std::string lineEnd_ = "\n";
};

} // namespace skedula
