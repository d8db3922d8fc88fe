// The whole program keeps every measurement: the real window, step timer, link and history writer
// against a rigctld stand-in that gives whole dB relative to S9, with one entry measured while the
// S-meter has no reading yet, one reported and one below its threshold; the window "Verlauf"
// open beside the watch.
#include "app/Composition.h"
#include "engine/Error.h"
#include "fakes/EventLoop.h"
#include "fakes/FakeRigctldServer.h"
#include "fakes/ModalBoxWatcher.h"
#include "storage/HistoryStore.h"
#include "storage/HistoryTestKit.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <QTime>
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <map>

namespace skedula {
namespace {

using fakes::ModalBoxWatcher;

// The first row of each frequency, without its time: a minute that begins during the run starts
// the queue again, which adds rows but changes no first one.
std::map<std::string, std::string> FirstRows(std::vector<std::string> rows,
                                             std::vector<std::string>* times) {
    std::map<std::string, std::string> first;
    for (const std::string& row : rows) {
        const std::size_t cut = row.find('|');
        const std::string rest = row.substr(cut + 1);
        const std::string frequency = rest.substr(0, rest.find('|'));
        if (first.emplace(frequency, rest).second)
            times->push_back(row.substr(0, cut));
    }
    return first;
}

// Runs the program's watch on the list until a row for the last entry is in the database; the
// window "Verlauf" is open beside it. Gives the window's entries when the last one is in.
int Watch(std::uint16_t port, const std::vector<std::array<const char*, 2>>& entries) {
    ModalBoxWatcher boxes;
    LinkSettings settings;
    settings.radio = RadioChoice{};
    settings.radio->program = RadioProgram::Network;
    settings.radio->port = port;
    Composition program(settings);
    TSkedulaForm& form = program.mainWindow();
    program.showMainWindow();
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const int row = static_cast<int>(i) + 1;
        for (const auto& [column, text] :
             {std::pair{0, "??:??"}, {1, entries[i][0]}, {2, "AM"}, {3, entries[i][1]}})
            program.engine().ListeSG.setCell(column, row, text);
    }
    form.Verlaufanzeigen1->trigger();
    test::RunPendingEvents();

    // The first tick builds the queue of the minute it falls in. The file is there a moment
    // before its table.
    form.StartBtn->click();
    const std::string last = std::string("'") + entries.back()[0] + "'";
    const auto written = [&] {
        try {
            return test::Count(HistoryPath(), "SELECT count(*) FROM measurements WHERE "
                                              "quote(frequency) = \"" +
                                                  last + "\"") > 0;
        } catch (const Error&) {
            return false;
        }
    };
    EXPECT_TRUE(test::WaitUntil(written, std::chrono::seconds(90)));
    form.StopBtn->click();
    HistoryWindow* window = program.historyWindow();
    const bool shown =
        window != nullptr && test::WaitUntil([&] {
            return window->EntryList->findItems(entries.back()[0], Qt::MatchExactly).size() == 1;
        });
    EXPECT_TRUE(shown) << "the window did not take in " << last;
    EXPECT_TRUE(boxes.boxes().empty());
    const int listed = window != nullptr ? window->EntryList->topLevelItemCount() : 0;
    form.close();
    return listed;
}

// Two runs of the program on one database: in the first the radio gives no S-meter reading;
// in the second it gives S7 (-12 dB), one entry is reported and one stays below its threshold.
TEST(HistoryEndToEnd, EveryMeasuredEntryIsARowWithItsValuesAndTheWindowShowsThem) {
    std::filesystem::remove_all(std::filesystem::path(HistoryPath()).parent_path());
    FakeRigctldServer radio;
    radio.SetStrength(-12);
    std::atomic<bool> reading = false;
    radio.SetScript([&reading](const std::string& line) -> std::optional<FakeLineServer::Answer> {
        if (line == "+l STRENGTH" && !reading)
            return FakeLineServer::Answer{{"get_level: STRENGTH\nRPRT -11\n"}};
        return std::nullopt;
    });
    EXPECT_EQ(Watch(radio.Port(), {{"6070000", "S0"}}), 1);
    reading = true;
    EXPECT_EQ(Watch(radio.Port(), {{"7100000", "S5"}, {"9650000", "S8"}}), 3);

    std::vector<std::string> times;
    const std::map<std::string, std::string> first = FirstRows(test::Rows(HistoryPath()), &times);
    ASSERT_EQ(first.size(), 3u);
    EXPECT_EQ(first.at("'6070000'"),
              "'6070000'|'AM'|0|'6070000'|'AM'|NULL|NULL|NULL|NULL|NULL|NULL|0|NULL");
    EXPECT_EQ(first.at("'7100000'"),
              "'7100000'|'AM'|5|'7100000'|'AM'|7|7|7|-12.0|-12.0|-12.0|1|NULL");
    EXPECT_EQ(first.at("'9650000'"),
              "'9650000'|'AM'|8|'9650000'|'AM'|7|7|7|-12.0|-12.0|-12.0|0|NULL");
    const QRegularExpression iso(R"(^'\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d[+-]\d\d:\d\d'$)");
    for (const std::string& time : times)
        EXPECT_TRUE(iso.match(QString::fromStdString(time)).hasMatch()) << time;
}

} // namespace
} // namespace skedula
