#include "app/Composition.h"
#include "app/SkedulaApplication.h"
#include "app/Startup.h"
#include "ui/Pictures.h"

#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

int main(int argc, char** argv) {
    skedula::SkedulaApplication app(argc, argv);
    app.setWindowIcon(QIcon(skedula::ChipIcon()));
    // The file dialogs and boxes speak the desktop's language, as the platform's own would.
    QTranslator qtTexts;
    if (qtTexts.load(QLocale::system(), "qtbase", "_",
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        app.installTranslator(&qtTexts);
    return skedula::RunApplication(app, [] { return std::make_unique<skedula::Composition>(); });
}
