#include "app/Startup.h"

#include "app/ErrorText.h"
#include "app/ReportError.h"

#include <cxxabi.h>
#include <typeinfo>

namespace skedula {

namespace {

std::string KindOf(std::exception_ptr error) {
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        int status = 0;
        char* name = abi::__cxa_demangle(typeid(e).name(), nullptr, nullptr, &status);
        std::string kind = status == 0 && name != nullptr ? name : typeid(e).name();
        std::free(name);
        return kind;
    } catch (...) {
        return "unknown";
    }
}

} // namespace

std::string LastResortText(std::exception_ptr error) {
    return "Exception " + KindOf(error) + " in Modul skedula bei 00000000.\n" +
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
