// The main window as designed: client area, controls at their places, fonts, grids, menu.
#include "WindowRig.h"

#include <QApplication>
#include <QFontInfo>
#include <QHeaderView>
#include <QMenuBar>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextLayout>
#include <QtTest/QTest>
#include <gtest/gtest.h>

namespace skedula {
namespace {

using uitest::WindowRig;

TEST(MainWindowLayout, EveryControlStandsAtItsPlace) {
    WindowRig rig;
    TSkedulaForm& form = rig.form();
    form.show();
    uitest::Settle();

    struct Place {
        const char* name;
        QWidget* control;
        QRect rect; // width 0: the label sizes itself to its text
    };
    const Place places[] = {
        {"ListeSG", form.ListeSG, {8, 8, 633, 201}},
        {"SchlangeSG", form.SchlangeSG, {8, 216, 633, 97}},
        {"StartBtn", form.StartBtn, {656, 24, 75, 25}},
        {"StopBtn", form.StopBtn, {656, 56, 75, 25}},
        {"StatusLabel", form.StatusLabel, {656, 96, 73, 17}},
        {"Label5", form.Label5, {656, 128, 0, 13}},
        {"FrequencyLabel", form.FrequencyLabel, {656, 144, 0, 13}},
        {"Label7", form.Label7, {656, 168, 0, 13}},
        {"ModeLabel", form.ModeLabel, {656, 184, 0, 13}},
        {"Label9", form.Label9, {656, 208, 0, 13}},
        {"SMeterLabel", form.SMeterLabel, {656, 224, 0, 13}},
        {"Label6", form.Label6, {656, 248, 0, 13}},
        {"ZeitLabel", form.ZeitLabel, {656, 264, 0, 13}},
        {"Memo", form.Memo, {8, 320, 633, 121}},
    };
    for (const Place& p : places) {
        ASSERT_EQ(p.control->parentWidget(), form.centralWidget()) << p.name;
        const QRect actual = p.control->geometry();
        EXPECT_EQ(actual.topLeft(), p.rect.topLeft()) << p.name;
        EXPECT_EQ(actual.height(), p.rect.height()) << p.name;
        if (p.rect.width() > 0) {
            EXPECT_EQ(actual.width(), p.rect.width()) << p.name;
        } else if (auto* label = qobject_cast<QLabel*>(p.control)) {
            EXPECT_EQ(actual.width(), label->fontMetrics().horizontalAdvance(label->text()))
                << p.name;
        }
    }
}

TEST(MainWindowLayout, TheClientAreaIsFixedBelowTheMenuBar) {
    WindowRig rig;
    TSkedulaForm& form = rig.form();
    form.show();
    uitest::Settle();
    EXPECT_EQ(form.windowTitle(), "Skedula");
    EXPECT_EQ(form.centralWidget()->size(), QSize(739, 448));
    EXPECT_EQ(form.centralWidget()->y(), form.menuBar()->height());
    EXPECT_EQ(form.minimumSize(), form.maximumSize()); // not resizable
    EXPECT_FALSE(form.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(form.windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(form.windowIcon().pixmap(32, 32).isNull());
}

TEST(MainWindowLayout, TheClientAreaUsesTahomaOrTheDesktopsSansSerifAtElevenPixels) {
    WindowRig rig;
    TSkedulaForm& form = rig.form();
    for (QWidget* control :
         std::initializer_list<QWidget*>{form.ListeSG, form.SchlangeSG, form.StartBtn,
                                         form.StatusLabel, form.ZeitLabel, form.Memo}) {
        const QFontInfo shown(control->font());
        EXPECT_EQ(shown.pixelSize(), 11) << control->metaObject()->className();
        QFont sans;
        sans.setStyleHint(QFont::SansSerif);
        sans.setFamily("sans-serif");
        if (shown.family() != "Tahoma") {
            EXPECT_EQ(shown.family(), QFontInfo(sans).family());
        }
    }
}

TEST(MainWindowLayout, TheGridsHaveTheirColumnsRowsAndHeaders) {
    WindowRig rig;
    TSkedulaForm& form = rig.form();
    form.show();
    uitest::Settle();

    struct GridDesign {
        StringGrid* grid;
        std::vector<int> widths;
        QStringList headers;
        int rows;
    };
    const GridDesign grids[] = {
        {form.ListeSG,
         {85, 79, 73, 91, 268},
         {"Zeit [hh:nn]", "Frequenz [Hz]", "Mode", "Schwelle [S?]",
          "Alarm [WAV-Datei oder MP3-Datei]"},
         10},
        {form.SchlangeSG,
         {124, 117, 115, 239},
         {"Frequenz [Hz]", "Mode", "Schwelle [S?]", "Alarm [WAV-Datei oder MP3-Datei]"},
         1},
    };
    for (const GridDesign& g : grids) {
        QAbstractItemModel* model = g.grid->model();
        ASSERT_EQ(model->columnCount(), static_cast<int>(g.widths.size()));
        EXPECT_EQ(model->rowCount(), g.rows);
        for (int c = 0; c < model->columnCount(); ++c) {
            // Each column is its designed width and its one-pixel grid line.
            EXPECT_EQ(g.grid->columnWidth(c), g.widths[c] + 1) << c;
            EXPECT_EQ(model->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString(),
                      g.headers[c]);
        }
        for (int r = 0; r < model->rowCount(); ++r)
            EXPECT_EQ(g.grid->rowHeight(r), 17) << r;
        EXPECT_EQ(g.grid->horizontalHeader()->height(), 17);
        EXPECT_FALSE(g.grid->verticalHeader()->isVisible()); // no fixed column
        EXPECT_FALSE(g.grid->tabKeyNavigation());
        EXPECT_EQ(g.grid->horizontalHeader()->sectionResizeMode(0), QHeaderView::Fixed);
        EXPECT_FALSE(g.grid->horizontalHeader()->sectionsMovable());
        // At the designed size every shown row and column fits.
        EXPECT_FALSE(g.grid->verticalScrollBar()->isVisible());
        EXPECT_FALSE(g.grid->horizontalScrollBar()->isVisible());
    }
    EXPECT_EQ(form.ListeSG->selectionMode(), QAbstractItemView::ContiguousSelection);
    EXPECT_EQ(form.SchlangeSG->selectionMode(), QAbstractItemView::SingleSelection);
    EXPECT_EQ(form.SchlangeSG->editTriggers(), QAbstractItemView::NoEditTriggers);
}

TEST(MainWindowLayout, TheQueueShowsFourEntriesAndScrollsToMore) {
    WindowRig rig;
    TSkedulaForm& form = rig.form();
    form.show();
    for (int n : {4, 5}) {
        rig.engine.SchlangeSG.setRowCount(n + 1);
        uitest::Settle();
        const bool scrolls = form.SchlangeSG->verticalScrollBar()->isVisible();
        EXPECT_EQ(scrolls, n > 4) << n << " entries";
    }
}

TEST(MainWindowLayout, TheLogCannotBeTypedIntoAndWrapsLongLines) {
    WindowRig rig;
    TSkedulaForm& form = rig.form();
    form.show();
    QApplication::setActiveWindow(&form);
    form.Memo->setFocus();
    uitest::Settle();
    EXPECT_TRUE(form.Memo->verticalScrollBar()->isVisible()); // also while empty

    form.appendLine(std::string(300, 'S'));
    QTest::keyClicks(form.Memo, "abc");
    QTest::keyClick(form.Memo, Qt::Key_Backspace);
    uitest::Settle();
    EXPECT_EQ(form.Memo->toPlainText(), QString(300, 'S'));
    EXPECT_FALSE(form.Memo->horizontalScrollBar()->isVisible());
    EXPECT_GT(form.Memo->document()->firstBlock().layout()->lineCount(), 1);
    EXPECT_EQ(form.Memo->maximumBlockCount(), TSkedulaForm::MemoLineLimit);
}

TEST(MainWindowLayout, TheMenuBarHasItsItemsAndNewEntryIsNeverEnabled) {
    WindowRig rig;
    TSkedulaForm& form = rig.form();
    const QList<QAction*> menus = form.menuBar()->actions();
    ASSERT_EQ(menus.size(), 4);
    EXPECT_EQ(menus[0]->text(), "Liste");
    EXPECT_EQ(menus[1]->text(), "Optionen");
    EXPECT_EQ(menus[2]->text(), "Verlauf");
    EXPECT_EQ(menus[3]->text(), "Hilfe");

    // Each item as "text", a check item as "[x] text" or "[ ] text", a separator as "-".
    const auto items = [](QMenu* menu) {
        QStringList shown;
        for (QAction* item : menu->actions()) {
            EXPECT_TRUE(item->shortcut().isEmpty()) << item->text().toStdString();
            const QString check = item->isChecked() ? "[x] " : "[ ] ";
            shown << (item->isSeparator() ? "-"
                                          : (item->isCheckable() ? check : "") + item->text());
        }
        return shown;
    };
    EXPECT_EQ(items(form.Liste1),
              QStringList({"Laden ...", "Speichern ...", "Neuer Eintrag ...", "-", "Beenden"}));
    EXPECT_EQ(items(form.Optionen1),
              QStringList({"Funkgerät ...", "Aufnahme ...", "Befehl bei Meldung ...", "-",
                           "[ ] Beim Anmelden starten", "[x] Berichte in Datei schreiben",
                           "[x] Verlauf speichern", "[x] Meldung auf dem Bildschirm",
                           "[ ] Verbindung selbst wiederherstellen", "[ ] Zeiten in UTC"}));
    EXPECT_EQ(items(form.Verlauf1), QStringList({"Verlauf anzeigen ..."}));
    EXPECT_EQ(items(form.Hilfe1), QStringList({"Info"}));

    // Neither creation, Start, Stop nor a loaded list enables it.
    EXPECT_FALSE(form.NeuerEintrag1->isEnabled());
    rig.engine.StartBtnClick();
    EXPECT_FALSE(form.NeuerEintrag1->isEnabled());
    rig.engine.StopBtnClick();
    EXPECT_FALSE(form.NeuerEintrag1->isEnabled());
    EXPECT_TRUE(form.Laden1->isEnabled());
    EXPECT_TRUE(form.Speicherm1->isEnabled());
}

TEST(MainWindowLayout, ButtonsCarryTheirMnemonicsAndTheTabOrderIsTheDesigned) {
    WindowRig rig;
    TSkedulaForm& form = rig.form();
    EXPECT_EQ(form.StartBtn->text(), "&Start");
    EXPECT_EQ(form.StopBtn->text(), "S&top");
    const std::vector<QWidget*> order = {form.ListeSG, form.SchlangeSG, form.StartBtn, form.StopBtn,
                                         form.Memo};
    for (std::size_t i = 0; i + 1 < order.size(); ++i) {
        QWidget* next = order[i]->nextInFocusChain();
        while (!(next->focusPolicy() & Qt::TabFocus) || order[i]->isAncestorOf(next))
            next = next->nextInFocusChain();
        EXPECT_EQ(next, order[i + 1]) << i;
    }
    for (QLabel* label : {form.StatusLabel, form.ZeitLabel, form.FrequencyLabel})
        EXPECT_EQ(label->focusPolicy(), Qt::NoFocus);
}

} // namespace
} // namespace skedula
