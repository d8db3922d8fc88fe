// The application object: titled "Skedula", and the catch point around every dispatched
// event, which hands an escaped error to the error reporter and lets the loop go on.
#pragma once

#include <QApplication>

namespace skedula {

class SkedulaApplication : public QApplication {
public:
    SkedulaApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;
};

} // namespace skedula
