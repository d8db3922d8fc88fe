// The texts of a report's desktop notification: the summary "Skedula: <frequency> <mode>" from
// the report's third line, the body its time and three sample lines. Built by the desktop
// notifier; pure, so that what a notification server gets can be checked byte for byte.
#pragma once

#include <string>
#include <vector>

namespace skedula {

struct NotificationText {
    std::string summary;
    std::string body;
};

// From the six lines the log got. The texts are UTF-8 as D-Bus wants them (the radio's bytes
// read as the window shows them, NUL left out). With bodyMarkup (a server that reads the body as
// markup) & < > are written as entities, so that "S7 >= S5" and a frequency text full of odd
// characters still show as written.
NotificationText ReportNotification(const std::vector<std::string>& reportLines, bool bodyMarkup);

} // namespace skedula
