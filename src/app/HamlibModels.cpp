#include "app/HamlibModels.h"

#include <QProcess>

namespace skedula {

namespace {

// rigctl prints its table in a few milliseconds; this only bounds a broken installation.
constexpr int ListLimitMs = 3000;

} // namespace

std::vector<HamlibModel> ListHamlibModels() {
    QProcess rigctl;
    rigctl.setStandardInputFile(QProcess::nullDevice());
    rigctl.setStandardErrorFile(QProcess::nullDevice());
    rigctl.start("rigctl", {"-l"}, QIODevice::ReadOnly);
    if (!rigctl.waitForStarted(ListLimitMs) || !rigctl.waitForFinished(ListLimitMs)) {
        rigctl.kill();
        rigctl.waitForFinished(ListLimitMs);
        return {};
    }
    const QByteArray output = rigctl.readAllStandardOutput();
    return ParseRigList({output.constData(), static_cast<std::size_t>(output.size())});
}

} // namespace skedula
