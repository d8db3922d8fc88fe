// The about dialog: its design, the link labels' hover and the texts its links hand over,
// how it closes, and where it opens again.
#include "ui/About.h"
#include "QtPrinting.h"
#include "ui/LinkLabel.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFontInfo>
#include <QScreen>
#include <QWindow>
#include <QtTest/QTest>
#include <gtest/gtest.h>

namespace skedula {
namespace {

class About : public ::testing::Test {
protected:
    std::vector<std::string> opened;
    TAboutForm form{[this](const std::string& text) { opened.push_back(text); }};

    void show() {
        form.show();
        QApplication::setActiveWindow(&form);
        QCoreApplication::processEvents();
    }
};

TEST_F(About, EveryControlStandsAtItsPlace) {
    show();
    EXPECT_EQ(form.windowTitle(), "Skedula");
    EXPECT_EQ(form.size(), QSize(377, 240));
    EXPECT_EQ(form.minimumSize(), form.maximumSize());
    struct Place {
        const char* name;
        QWidget* control;
        QRect rect; // width 0: sized to its text
    };
    const Place places[] = {
        {"Image1", form.Image1, {8, 8, 57, 225}},   {"Image2", form.Image2, {21, 18, 32, 32}},
        {"Label1", form.Label1, {72, 16, 0, 20}},   {"Label3", form.Label3, {72, 40, 0, 13}},
        {"Shape1", form.Shape1, {56, 168, 313, 2}}, {"Label6", form.Label6, {72, 184, 0, 13}},
        {"Label7", form.Label7, {72, 208, 0, 13}},  {"OKButton", form.OKButton, {295, 178, 75, 25}},
    };
    for (const Place& p : places) {
        const QRect actual = p.control->geometry();
        EXPECT_EQ(actual.topLeft(), p.rect.topLeft()) << p.name;
        EXPECT_EQ(actual.height(), p.rect.height()) << p.name;
        if (p.rect.width() > 0) {
            EXPECT_EQ(actual.width(), p.rect.width()) << p.name;
        }
    }
    // The description wraps in its fixed width; it grows only when the font needs more lines.
    EXPECT_EQ(form.Label4->geometry().topLeft(), QPoint(72, 64));
    EXPECT_EQ(form.Label4->width(), 177);
    EXPECT_GE(form.Label4->height(), 33);
    EXPECT_TRUE(form.Label4->wordWrap());
    EXPECT_LT(form.Label4->geometry().bottom(), form.Label5->y());

    EXPECT_EQ(form.Label1->text(), "Skedula");
    EXPECT_EQ(form.Label3->text(), "Version 1.0.0");
    EXPECT_EQ(form.Label4->text(),
              QString::fromUtf8("Anwendung zum Überwachen des S-Meters auf bestimmten Frequenzen"));
    EXPECT_EQ(QFontInfo(form.Label1->font()).pixelSize(), 16);
    EXPECT_TRUE(form.Label1->font().bold());
    EXPECT_EQ(QFontInfo(form.Label3->font()).pixelSize(), 11);
    EXPECT_EQ(form.Image1->pixmap().size(), QSize(57, 225));
    EXPECT_EQ(form.Image2->pixmap().size(), QSize(32, 32));
    EXPECT_EQ(form.Shape1->palette().color(QPalette::Window), QColor(Qt::black));
    EXPECT_TRUE(form.OKButton->isDefault());
    EXPECT_EQ(form.OKButton->text(), "&OK");
}

TEST_F(About, TheBannerLiesOverTheRule) {
    show();
    const QImage shown = form.grab().toImage();
    const QImage banner = form.Image1->pixmap().toImage();
    // The rule starts at x 56, inside the banner (x 8 to 64): there the banner shows.
    for (const QPoint p : {QPoint(56, 168), QPoint(64, 169)})
        EXPECT_EQ(shown.pixelColor(p).name(), banner.pixelColor(p - QPoint(8, 8)).name()) << p.x();
    EXPECT_EQ(shown.pixelColor(65, 168).name(), "#000000"); // and the rule beside it
}

TEST_F(About, TheIconIsAChipOnATransparentGround) {
    const QImage icon = form.Image2->pixmap().toImage();
    EXPECT_EQ(icon.pixelColor(0, 0).alpha(), 0); // transparent around it
    EXPECT_EQ(icon.pixelColor(16, 16), QColor(Qt::black));
    QSet<QRgb> colours;
    bool yellow = false;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            const QColor c = icon.pixelColor(x, y);
            if (c.alpha() == 0)
                continue;
            colours.insert(c.rgb());
            yellow = yellow || c == QColor(255, 255, 0);
        }
    EXPECT_TRUE(yellow);
    EXPECT_LE(colours.size(), 16);
}

TEST_F(About, TheLinksAreBlueAndPlainAtRest) {
    for (LinkLabel* link : {form.Label6, form.Label7}) {
        EXPECT_EQ(link->palette().color(QPalette::WindowText), QColor(0, 0, 255));
        EXPECT_FALSE(link->font().underline());
        EXPECT_EQ(link->cursor().shape(), Qt::PointingHandCursor);
    }
    EXPECT_EQ(form.Label6->text(), TAboutForm::WebAddress);
    EXPECT_EQ(form.Label7->text(), TAboutForm::MailAddress);
}

TEST_F(About, HoverUnderlinesOnlyTheLabelUnderThePointer) {
    show();
    const auto underlined = [&] {
        return std::pair{form.Label6->font().underline(), form.Label7->font().underline()};
    };
    const QPoint onWeb = form.Label6->geometry().center();
    const QPoint onMail = form.Label7->geometry().center();
    const QPoint elsewhere(200, 130);

    struct Move {
        const char* to;
        QPoint where;
        std::pair<bool, bool> expected;
    };
    const Move moves[] = {
        {"nowhere near", elsewhere, {false, false}},
        {"the web label", onWeb, {true, false}},
        {"straight to the mail label", onMail, {false, true}},
        {"back to the web label", onWeb, {true, false}},
        {"away", elsewhere, {false, false}},
    };
    for (const Move& m : moves) {
        QTest::mouseMove(form.windowHandle(), m.where);
        QCoreApplication::processEvents();
        EXPECT_EQ(underlined(), m.expected) << m.to;
    }
}

TEST_F(About, TheLinksHandTheirExactTextsOver) {
    show();
    QTest::mouseClick(form.Label6, Qt::LeftButton);
    QTest::mouseClick(form.Label7, Qt::LeftButton);
    const std::vector<std::string> expected = {std::string("http://") + TAboutForm::WebAddress,
                                               std::string("mailto:") + TAboutForm::MailAddress +
                                                   "?subject=Skedula 1.0.0"};
    EXPECT_EQ(opened, expected);
    EXPECT_TRUE(form.isVisible()); // the dialog stays open
}

TEST_F(About, EnterAndOkCloseItEscapeDoesNot) {
    struct Way {
        const char* name;
        std::function<void()> act;
        bool closes;
    };
    const Way ways[] = {
        {"Escape", [&] { QTest::keyClick(form.windowHandle(), Qt::Key_Escape); }, false},
        {"Enter", [&] { QTest::keyClick(form.windowHandle(), Qt::Key_Return); }, true},
        {"Alt+O", [&] { QTest::keyClick(form.windowHandle(), Qt::Key_O, Qt::AltModifier); }, true},
        {"a click on OK", [&] { QTest::mouseClick(form.OKButton, Qt::LeftButton); }, true},
        {"the close button", [&] { form.close(); }, true},
    };
    for (const Way& way : ways) {
        show();
        way.act();
        // A mnemonic presses the button as an animated click, which ends a moment later.
        QElapsedTimer waited;
        waited.start();
        while (form.isVisible() && waited.elapsed() < 1000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        EXPECT_EQ(!form.isVisible(), way.closes) << way.name;
        form.hide();
    }
}

TEST_F(About, OpensCentredFirstAndLaterWhereTheUserLeftIt) {
    show();
    const QRect screen = form.screen()->availableGeometry();
    EXPECT_LE(std::abs(form.frameGeometry().center().x() - screen.center().x()), 1);
    EXPECT_LE(std::abs(form.frameGeometry().center().y() - screen.center().y()), 1);
    // The user drags it: the window system moves it, not the program.
    const QPoint dragged = form.pos() + QPoint(-37, 23);
    form.windowHandle()->setPosition(form.windowHandle()->position() + QPoint(-37, 23));
    QCoreApplication::processEvents();
    ASSERT_EQ(form.pos(), dragged);
    form.hide();
    show();
    EXPECT_EQ(form.pos(), dragged);
    form.hide();
}

} // namespace
} // namespace skedula
