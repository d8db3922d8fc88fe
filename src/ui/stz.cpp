#include "ui/stz.h"

#include <QProcess>
#include <QString>

namespace skedula {

void ShellOpen(const std::string& text) {
    QProcess::startDetached("xdg-open", {QString::fromStdString(text)});
}

} // namespace skedula
