// A label that acts as a link: it reports the pointer entering and leaving it and a click on
// it, and shows the hand pointer. The about dialog's web and mail labels are two of these.
#pragma once

#include <QLabel>

namespace skedula {

class LinkLabel : public QLabel {
    Q_OBJECT

public:
    explicit LinkLabel(QWidget* parent = nullptr);

signals:
    void mouseEntered(QLabel* sender);
    void mouseLeft(QLabel* sender);
    void clicked();

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
};

} // namespace skedula
