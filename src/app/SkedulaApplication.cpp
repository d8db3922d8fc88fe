#include "app/SkedulaApplication.h"

#include "app/ReportError.h"

namespace skedula {

SkedulaApplication::SkedulaApplication(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName("Skedula");
    setApplicationDisplayName("Skedula");
    setApplicationVersion("1.0.0");
    setDesktopFileName("skedula");
}

bool SkedulaApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        ReportError(MessageOf(std::current_exception()));
        return true;
    }
}

} // namespace skedula
