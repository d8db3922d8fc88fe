#include "app/CommandLine.h"
#include "app/Composition.h"
#include "app/DisplayCheck.h"
#include "app/SkedulaApplication.h"
#include "app/Startup.h"
#include "ui/Pictures.h"

#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <cstdio>

int main(int argc, char** argv) {
    // Read before the application object, which needs a display: --help, --version and a
    // wrong call answer in any terminal.
    const skedula::CommandLine commandLine = skedula::ParseCommandLine(argc, argv);
    std::fputs(commandLine.out.c_str(), stdout);
    std::fputs(commandLine.err.c_str(), stderr);
    if (!commandLine.run)
        return commandLine.exitCode;

    if (const std::optional<std::string> noDisplay = skedula::NoDisplayMessage()) {
        std::fputs(noDisplay->c_str(), stderr);
        return 1;
    }

    // Qt sees only the program's name: a list file named like one of Qt's own options is
    // still a list file.
    int qtArgc = 1;
    const std::unique_ptr<QApplication> application = skedula::CreateWithDisplay(
        [&] { return std::make_unique<skedula::SkedulaApplication>(qtArgc, argv); });
    QApplication& app = *application;
    app.setWindowIcon(QIcon(skedula::ChipIcon()));
    // The file dialogs and boxes speak the desktop's language, as the platform's own would.
    QTranslator qtTexts;
    if (qtTexts.load(QLocale::system(), "qtbase", "_",
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        app.installTranslator(&qtTexts);
    const skedula::StartRequest request = *commandLine.run;
    return skedula::RunApplication(app, [&request] {
        auto program = std::make_unique<skedula::Composition>();
        program->followStartRequest(request);
        return program;
    });
}
