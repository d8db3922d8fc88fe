#include "app/SkedulaApplication.h"

#include "app/ReportError.h"

namespace skedula {

SkedulaApplication::SkedulaApplication(int& argc, char** argv) : QApplication(argc, argv) {
    // The name is also the display name that the error boxes take as their caption. Setting a
    // display name of its own would make the window system add " — Skedula" to every title
    // that does not end in it, such as "Liste laden ...".
    setApplicationName("Skedula");
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
