#include "app/NotificationText.h"

#include "engine/Utf8.h"

#include <algorithm>

namespace skedula {

namespace {

std::string Shown(const std::string& bytes) {
    std::string text = Utf8OrWindows1252(bytes);
    text.erase(std::remove(text.begin(), text.end(), '\0'), text.end());
    return text;
}

std::string Escaped(const std::string& text) {
    std::string escaped;
    for (char c : text) {
        if (c == '&')
            escaped += "&amp;";
        else if (c == '<')
            escaped += "&lt;";
        else if (c == '>')
            escaped += "&gt;";
        else
            escaped += c;
    }
    return escaped;
}

std::string Line(const std::vector<std::string>& lines, std::size_t index) {
    return index < lines.size() ? Shown(lines[index]) : std::string();
}

} // namespace

NotificationText ReportNotification(const std::vector<std::string>& reportLines, bool bodyMarkup) {
    // Line 1 is the empty line that separates reports in the log; 2 the time; 3 the radio's
    // frequency and mode; 4 to 6 the samples.
    std::string body = Line(reportLines, 1);
    for (std::size_t i = 3; i < reportLines.size() && i < 6; ++i)
        body += "\n" + Line(reportLines, i);
    return {"Skedula: " + Line(reportLines, 2), bodyMarkup ? Escaped(body) : body};
}

} // namespace skedula
