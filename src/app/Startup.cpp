#include "app/Startup.h"

#include "app/ErrorText.h"
#include "app/ReportError.h"

namespace skedula {

std::string LastResortText(std::exception_ptr error) {
    return "Exception " + ExceptionKind(error) + " in Modul skedula bei 00000000.\n" +
           WithClosingPeriod(MessageOf(error)) + "\n";
}

int RunApplication(QApplication& app,
                   const std::function<std::unique_ptr<AppWindows>()>& createWindows) {
    std::unique_ptr<AppWindows> windows;
    try {
        windows = createWindows();
        windows->showMainWindow();
    } catch (...) {
        ShowErrorBox("Anwendungsfehler", LastResortText(std::current_exception()), nullptr);
        return 1;
    }
    app.exec();
    windows.reset(); // the main window closes the link and the player on its way out
    return 0;
}

} // namespace skedula
