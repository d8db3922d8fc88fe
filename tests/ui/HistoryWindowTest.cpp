// The window "Verlauf" drawn offscreen from a database made for the test: the entries, the heat
// map's cells (a report ringed, grey without a reading, blank where nothing was measured), the
// days in the strip chart, pointing and playing, the exports, the wait for indexes, and the
// measurements that join while it is open.
#include "ui/HistoryWindow.h"
#include "FileDialogAnswer.h"
#include "QtPrinting.h"
#include "fakes/EventLoop.h"
#include "storage/HistoryCsv.h"
#include "storage/HistoryStore.h"
#include "storage/TestFiles.h"

#include <QDate>
#include <QMouseEvent>
#include <gtest/gtest.h>

namespace skedula {
namespace {

using uitest::FileDialogAnswer;

const int kToday = static_cast<int>(QDate::currentDate().toJulianDay());

std::string Day(int julianDay) {
    return QDate::fromJulianDay(julianDay).toString(Qt::ISODate).toStdString();
}

Measurement At(const std::string& frequency, int day, const std::string& clock, int sUnit,
               std::optional<double> level, bool reported = false) {
    Measurement m;
    m.time = Day(day) + "T" + clock + "+01:00";
    m.frequency = m.radioFrequency = frequency;
    m.mode = m.radioMode = "AM";
    m.threshold = 5;
    m.samples = {Sample{sUnit, level}, Sample{sUnit, level}, Sample{sUnit, level}};
    m.reported = reported;
    return m;
}

// Builds the indexes when told to, and says what it was told.
class FakeIndexes : public HistoryIndexes {
public:
    int asked = 0;
    IndexStatus status;
    void BuildIndexes() override { ++asked; }
    IndexStatus indexStatus() const override { return status; }
};

void Send(QWidget* widget, QEvent::Type type, QPoint at) {
    QMouseEvent event(type, at, widget->mapToGlobal(at), Qt::LeftButton,
                      type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &event);
}

class HistoryWindowTest : public ::testing::Test {
protected:
    HistoryWindowTest() {
        HistoryStore store(path, std::chrono::seconds(1));
        store.Append(At("7100000", kToday - 3, "12:00:10", 9, 20.0));
        store.Append(At("9650000", kToday - 200, "14:30:10", 6, -18.0));
        Measurement report = At("9650000", kToday - 2, "14:30:10", 7, -12.0, true);
        report.recording = "/home/hörer/Aufnahmen/9650000.flac";
        store.Append(report);
        store.Append(At("9650000", kToday - 2, "14:40:10", 3, -36.0));
        Measurement silent = At("9650000", kToday - 1, "06:00:10", 0, std::nullopt);
        silent.samples = {};
        store.Append(silent);
    }

    QStringList Row(int row) const {
        QStringList texts;
        for (int column = 0; column < 5; ++column)
            texts << window.EntryList->topLevelItem(row)->text(column);
        return texts;
    }
    // Where the strip chart holds the measurement of that time; -1 when it does not.
    int DayRow(const std::string& time) const {
        const std::vector<Measurement>& rows = window.DayRows();
        const auto found = std::find_if(rows.begin(), rows.end(),
                                        [&](const Measurement& m) { return m.time == time; });
        return found == rows.end() ? -1 : static_cast<int>(found - rows.begin());
    }
    QColor PixelAt(int day, const QString& clock, QPoint offset = {}) const {
        const QTime time = QTime::fromString(clock, "hh:mm");
        const std::optional<QPoint> at =
            window.Map->CellCentre(day, time.hour() * 60 + time.minute());
        EXPECT_TRUE(at.has_value()) << Day(day);
        return window.Map->grab().toImage().pixelColor(at.value_or(QPoint()) + offset);
    }

    test::TempFolder home;
    const std::string path = home / "verlauf.sqlite";
    FakeIndexes indexes;
    HistoryWindow window{path, &indexes};
};

TEST_F(HistoryWindowTest, OpensOnTheLatestEntryWithItsReportsMarkedAndNothingElseDrawn) {
    window.Open();
    test::RunPendingEvents();
    EXPECT_TRUE(window.NoticeLabel->isHidden());
    ASSERT_EQ(window.EntryList->topLevelItemCount(), 2);
    // Counted away from the window's thread.
    ASSERT_TRUE(test::WaitUntil([&] { return Row(1)[2] != "..."; }));
    EXPECT_EQ(Row(0), (QStringList{"7100000", "AM", "1", "0", ""}));
    const QDate reportDay = QDate::fromJulianDay(kToday - 2);
    EXPECT_EQ(Row(1), (QStringList{"9650000", "AM", "4", "1",
                                   reportDay.toString("dd.MM.yyyy") + " 14:30"}));
    EXPECT_EQ(window.EntryList->currentItem(), window.EntryList->topLevelItem(1));
    EXPECT_EQ(window.Points().size(), 3u) << "the measurement of 200 days ago is not in 90 days";
    EXPECT_LE(window.width(), 1024);
    EXPECT_LE(window.height(), 700);
    EXPECT_TRUE(window.EntryLabel->text().startsWith("9650000 AM, Schwelle S5, 90 Tage"));

    // The report: its cell's colour, with the mark at the day's edge.
    EXPECT_EQ(PixelAt(kToday - 2, "14:30"), LevelColour(-12.0));
    const QImage map = window.Map->grab().toImage();
    EXPECT_EQ(map.pixelColor(*window.Map->ReportMark(kToday - 2, 14 * 60 + 30)), HeatMap::Report);
    EXPECT_EQ(map.pixelColor(*window.Map->ReportMark(kToday - 2, 14 * 60 + 40)), LevelColour(-36.0))
        << "no report, no mark";
    EXPECT_EQ(PixelAt(kToday - 1, "06:00"), HeatMap::NoReading);
    EXPECT_EQ(PixelAt(kToday - 10, "03:00"), HeatMap::Blank);
    EXPECT_EQ(PixelAt(kToday - 2, "20:00"), HeatMap::Blank);

    // The strip chart shows the latest day: one measurement, without a reading.
    ASSERT_EQ(window.DayRows().size(), 1u);
    EXPECT_FALSE(window.DayRows()[0].samples[0].has_value());
    EXPECT_EQ(DayRow(Day(kToday - 2) + "T14:30:10+01:00"), -1);
    window.MapDaysChosen(kToday - 2, kToday - 2);
    const int report = DayRow(Day(kToday - 2) + "T14:30:10+01:00");
    ASSERT_TRUE(window.Strip->SamplePoint(report, 0).has_value());
    EXPECT_EQ(window.Strip->grab().toImage().pixelColor(*window.Strip->SamplePoint(report, 0)),
              LevelColour(-12.0));

    // Widened to a year, the measurement of 200 days ago is there too.
    window.RangeBox->setCurrentIndex(1);
    EXPECT_EQ(window.Points().size(), 4u);
    EXPECT_EQ(PixelAt(kToday - 200, "14:30"), LevelColour(-18.0));
}

TEST_F(HistoryWindowTest, PointingShowsTheMeasurementAndADoubleClickPlaysItsRecording) {
    window.Open();
    std::vector<std::string> played;
    window.PlayRecording = [&](const std::string& file) { played.push_back(file); };
    const QPoint report = *window.Map->CellCentre(kToday - 2, 14 * 60 + 30);
    Send(window.Map, QEvent::MouseMove, report);
    const QString date = QDate::fromJulianDay(kToday - 2).toString("dd.MM.yyyy");
    EXPECT_EQ(window.PointedLabel->text(),
              date + " 14:30:10 +01:00   S7 S7 S7   -12 / -12 / -12 dB   Schwelle S5   gemeldet   "
                     "Aufnahme (Doppelklick spielt sie ab)");
    Send(window.Map, QEvent::MouseButtonDblClick, report);
    EXPECT_EQ(played, std::vector<std::string>{"/home/hörer/Aufnahmen/9650000.flac"});

    const QPoint silent = *window.Map->CellCentre(kToday - 1, 6 * 60);
    Send(window.Map, QEvent::MouseMove, silent);
    EXPECT_TRUE(window.PointedLabel->text().contains("kein Wert kein Wert kein Wert"));
    Send(window.Map, QEvent::MouseButtonDblClick, silent);
    EXPECT_TRUE(window.PointedLabel->text().endsWith("keine Aufnahme."));
    EXPECT_EQ(played.size(), 1u);
}

TEST_F(HistoryWindowTest, ExportsTheEntryAsCsvAndThePictureAsPng) {
    window.Open();
    {
        FileDialogAnswer answer{QString::fromStdString(home / "neun")};
        window.CsvBtn->click();
        test::RunPendingEvents();
        EXPECT_EQ(answer.shownName, "verlauf-9650000-AM.csv");
    }
    const std::string csv = test::ReadFile(home / "neun.csv");
    EXPECT_EQ(csv.substr(0, kHistoryCsvHeader.size()), kHistoryCsvHeader);
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 5) << "the header and all four, also "
                                                              "the one beyond the 90 days";
    {
        FileDialogAnswer answer{QString::fromStdString(home / "bild")};
        window.PngBtn->click();
        test::RunPendingEvents();
    }
    const QImage picture(QString::fromStdString(home / "bild.png"));
    EXPECT_EQ(picture.size(), window.Picture->size());
}

// A database written by another program: the window says that it waits for the indexes, which
// the writer builds, and shows the entries once they are there.
TEST(HistoryWindowIndexes, SaysSoWhileTheIndexesAreBuiltAndThenShowsTheEntries) {
    test::TempFolder home;
    const std::string path = home / "verlauf.sqlite";
    {
        SqliteConnection db(path, SqliteConnection::Access::ReadWriteCreate);
        db.Execute(std::string(kMeasurementsTable) +
                   ";\nINSERT INTO measurements (time, frequency, mode, reported) VALUES ('" +
                   Day(kToday) + "T03:04:05+01:00', '9650000', 'AM', 0)");
    }
    FakeIndexes indexes;
    indexes.status.state = IndexStatus::State::Building;
    HistoryWindow window(path, &indexes);
    window.Open();
    test::RunPendingEvents();
    EXPECT_EQ(indexes.asked, 1);
    EXPECT_TRUE(window.NoticeLabel->text().startsWith("Die Indizes des Verlaufs werden erstellt"));
    EXPECT_EQ(window.EntryList->topLevelItemCount(), 0);

    HistoryStore(path, std::chrono::seconds(1)).BuildIndexes();
    indexes.status.state = IndexStatus::State::Ready;
    ASSERT_TRUE(test::WaitUntil([&] { return window.EntryList->topLevelItemCount() == 1; }));
    EXPECT_TRUE(window.NoticeLabel->isHidden());
}

TEST_F(HistoryWindowTest, AMeasurementStoredWhileItIsOpenJoinsTheListAndThePicture) {
    window.Open();
    ASSERT_TRUE(test::WaitUntil([&] { return Row(1)[2] != "..."; }));
    Measurement next = At("9650000", kToday, "09:15:10", 8, -6.0, true);
    window.MeasurementStored(next, HistoryStore(path, std::chrono::seconds(1)).Append(next));
    EXPECT_EQ(Row(1).mid(2, 2), (QStringList{"5", "2"}));
    EXPECT_EQ(Row(1)[4], QDate::currentDate().toString("dd.MM.yyyy") + " 09:15");
    EXPECT_EQ(PixelAt(kToday, "09:15"), LevelColour(-6.0));
    // The strip chart showed the latest day, and follows into today; pointing at the new cell
    // reads the measurement.
    EXPECT_NE(DayRow(next.time), -1);
    Send(window.Map, QEvent::MouseMove, *window.Map->CellCentre(kToday, 9 * 60 + 15));
    EXPECT_TRUE(window.PointedLabel->text().contains("S8 S8 S8"))
        << window.PointedLabel->text().toStdString();

    Measurement newEntry = At("6070000", kToday, "09:15:20", 2, -42.0);
    window.MeasurementStored(newEntry,
                             HistoryStore(path, std::chrono::seconds(1)).Append(newEntry));
    ASSERT_EQ(window.EntryList->topLevelItemCount(), 3);
    ASSERT_TRUE(test::WaitUntil([&] { return Row(0)[2] != "..."; }));
    EXPECT_EQ(Row(0).first(4), (QStringList{"6070000", "AM", "1", "0"}));
    EXPECT_EQ(window.EntryList->currentItem()->text(0), "9650000") << "the choice stays";
}

TEST(HistoryWindowFailure, ADatabaseThatCannotBeReadIsNamedInTheWindow) {
    test::TempFolder home;
    const std::string path = home / "verlauf.sqlite";
    test::WriteFile(path, std::string(8192, 'x'));
    HistoryWindow window(path, nullptr);
    window.Open();
    EXPECT_EQ(window.NoticeLabel->text().toStdString(),
              path + ": Die Datei ist keine SQLite-Datenbank");
    EXPECT_EQ(window.EntryList->topLevelItemCount(), 0);
}

} // namespace
} // namespace skedula
