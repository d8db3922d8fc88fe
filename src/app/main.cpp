#include "app/Composition.h"
#include "app/SkedulaApplication.h"
#include "app/Startup.h"

int main(int argc, char** argv) {
    skedula::SkedulaApplication app(argc, argv);
    return skedula::RunApplication(app, [] { return std::make_unique<skedula::Composition>(); });
}
