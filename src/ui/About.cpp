#include "ui/About.h"

#include "ui/FormDesign.h"
#include "ui/LinkLabel.h"
#include "ui/Pictures.h"
#include "ui/stz.h"

#include <QApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QWindow>
#include <algorithm>

namespace skedula {

// The author's addresses. Placeholders under the reserved example domain until the project
// names real ones.
const char* const TAboutForm::WebAddress = "www.skedula.example.org";
const char* const TAboutForm::MailAddress = "skedula@example.org";

namespace {

const char* const kSubject =
    "?subject=Skedula 1.0.0"; // not percent-encoded, as the mail program expects

// The frame the window manager will put around the dialog. Before the first showing only the
// windows already shown tell it: the main window's frame, from the same window manager.
QMargins ExpectedFrame(const QWidget* dialog) {
    if (const QWindow* own = dialog->windowHandle();
        own != nullptr && !own->frameMargins().isNull())
        return own->frameMargins();
    for (const QWidget* window : QApplication::topLevelWidgets())
        if (window != dialog && window->isVisible() && window->windowHandle() != nullptr &&
            !window->windowHandle()->frameMargins().isNull())
            return window->windowHandle()->frameMargins();
    return {};
}

LinkLabel* PlaceLink(QWidget* parent, const QString& text, int left, int top) {
    auto* label = new LinkLabel(parent);
    label->move(left, top);
    label->setFixedHeight(13);
    QPalette colours = label->palette();
    colours.setColor(QPalette::WindowText, QColor(0, 0, 255));
    label->setPalette(colours);
    SetAutoSizeText(label, text);
    return label;
}

} // namespace

TAboutForm::TAboutForm(Opener open, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      open_(open ? std::move(open) : Opener(ShellOpen)) {
    setWindowTitle("Skedula");
    setFixedSize(377, 240);
    setFont(SansSerifFont());

    // Declared first in the design, so the first in the tab order and the only control
    // that takes the focus.
    OKButton = new QPushButton("&OK", this);
    OKButton->setGeometry(295, 178, 75, 25);
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);

    // The rule reaches into the banner; created before the pictures, it lies beneath them.
    Shape1 = new QWidget(this);
    Shape1->setGeometry(56, 168, 313, 2);
    Shape1->setAutoFillBackground(true);
    QPalette black = Shape1->palette();
    black.setColor(QPalette::Window, Qt::black);
    Shape1->setPalette(black);

    Image1 = new QLabel(this);
    Image1->setPixmap(AboutBanner());
    Image1->setGeometry(8, 8, 57, 225);
    Image2 = new QLabel(this);
    Image2->setPixmap(ChipIcon());
    Image2->setGeometry(21, 18, 32, 32);

    Label1 = AutoSizeLabel(this, "Skedula", 72, 16, 20);
    Label1->setFont(SansSerifFont(16, true));
    SetAutoSizeText(Label1, Label1->text()); // refit to the larger font
    Label3 = AutoSizeLabel(this, "Version 1.0.0", 72, 40, 13);
    Label4 = new QLabel(
        QString::fromUtf8("Anwendung zum Überwachen des S-Meters auf bestimmten Frequenzen"), this);
    Label4->setGeometry(72, 64, 177, 33);
    Label4->setWordWrap(true);
    Label4->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // The desktop's sans-serif can be wider than the designed font: the label then grows
    // downwards rather than cut off its last line.
    Label4->setFixedHeight(std::max(33, Label4->heightForWidth(177)));
    Label5 = AutoSizeLabel(this, "Freeware", 72, 120, 13);

    Label6 = PlaceLink(this, WebAddress, 72, 184);
    Label7 = PlaceLink(this, MailAddress, 72, 208);
    for (LinkLabel* link : {Label6, Label7}) {
        connect(link, &LinkLabel::mouseEntered, this, &TAboutForm::Label6MouseEnter);
        connect(link, &LinkLabel::mouseLeft, this, &TAboutForm::Label6MouseLeave);
    }
    connect(Label6, &LinkLabel::clicked, this, &TAboutForm::Label6Click);
    connect(Label7, &LinkLabel::clicked, this, &TAboutForm::Label7Click);
}

void TAboutForm::Label6MouseEnter(QLabel* sender) {
    QFont font = sender->font();
    font.setUnderline(true);
    sender->setFont(font);
}

void TAboutForm::Label6MouseLeave(QLabel* sender) {
    QFont font = sender->font();
    font.setUnderline(false);
    font.setBold(false);
    font.setItalic(false);
    font.setStrikeOut(false);
    sender->setFont(font);
}

void TAboutForm::Label6Click() {
    open_(std::string("http://") + WebAddress);
}

void TAboutForm::Label7Click() {
    open_(std::string("mailto:") + MailAddress + kSubject);
}

void TAboutForm::keyPressEvent(QKeyEvent* event) {
    // The dialog has no cancel button, so Escape does not close it.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TAboutForm::showEvent(QShowEvent* event) {
    // Centred on the screen the first time, frame and all; afterwards where the user left it.
    if (lastPlace_) {
        move(*lastPlace_);
    } else {
        const QMargins frame = ExpectedFrame(this);
        QRect framed(QPoint(0, 0), size().grownBy(frame));
        framed.moveCenter(screen()->availableGeometry().center());
        // The geometry is the dialog's own, inside the frame.
        setGeometry(QRect(framed.topLeft() + QPoint(frame.left(), frame.top()), size()));
    }
    QDialog::showEvent(event);
}

void TAboutForm::hideEvent(QHideEvent* event) {
    lastPlace_ = pos();
    QDialog::hideEvent(event);
}

} // namespace skedula
