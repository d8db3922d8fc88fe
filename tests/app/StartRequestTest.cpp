// What the command line asks of the program once its window is shown: the list loaded as
// "Laden ..." loads it, Start pressed without a click, and every report kept in the file.
#include "app/Composition.h"
#include "fakes/EngineFakes.h"
#include "fakes/EnvScope.h"
#include "fakes/EventLoop.h"
#include "fakes/FakeRigctldServer.h"
#include "fakes/ModalBoxWatcher.h"
#include "storage/ListFile.h"
#include "storage/ReportFile.h"
#include "storage/TestFiles.h"

#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fstream>
#include <vector>

namespace skedula {
namespace {

using fakes::ModalBoxWatcher;

LinkSettings Reaching(std::uint16_t port) {
    LinkSettings settings;
    settings.radio = RadioChoice{};
    settings.radio->program = RadioProgram::Network; // never started here
    settings.radio->port = port;
    return settings;
}

// Every cell a list file holds (rows 1 to 11), byte for byte.
std::vector<std::string> ListCells(const CellGrid& list) {
    std::vector<std::string> cells;
    for (int row = 1; row <= 11; ++row)
        for (int column = 0; column < 5; ++column)
            cells.push_back(list.cell(column, row));
    return cells;
}

TEST(StartRequest, TheListIsLoadedByteForByteAsLadenLoadsIt) {
    const std::string list = qEnvironmentVariable("SKEDULA_TEST_DATA").toStdString() +
                             "/storage/corpus/windows-full.lst";
    ModalBoxWatcher boxes;
    Composition program(Reaching(FreeLoopbackPort()));
    program.followStartRequest({list, false});
    program.showMainWindow();
    test::RunPendingEvents();

    CellGrid loaded(5, 10);
    LoadList(loaded, list);
    EXPECT_EQ(ListCells(program.engine().ListeSG), ListCells(loaded));
    EXPECT_NE(ListCells(loaded), ListCells(CellGrid(5, 10)));
    EXPECT_TRUE(program.mainWindow().StartBtn->isEnabled()); // no --start, no Start
    EXPECT_TRUE(boxes.boxes().empty());
    program.mainWindow().close();
}

// At login nobody may be there to close the box: Start is pressed behind it.
TEST(StartRequest, AListThatCannotBeLoadedIsToldInTheUsualBoxAndStartIsPressedAllTheSame) {
    Composition* shown = nullptr;
    bool runningBehindTheBox = false;
    ModalBoxWatcher boxes([&] {
        runningBehindTheBox = shown != nullptr && shown->mainWindow().StopBtn->isEnabled();
        return runningBehindTheBox;
    });
    QTemporaryDir folder;
    const std::string missing = QDir(folder.path()).filePath("fehlt.txt").toStdString();
    Composition program(Reaching(FreeLoopbackPort()));
    shown = &program;
    program.followStartRequest({missing, true});
    program.showMainWindow();
    ASSERT_TRUE(test::WaitUntil([&] { return !boxes.boxes().empty() && runningBehindTheBox; }));
    test::RunPendingEvents();

    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].caption, "Skedula");
    EXPECT_EQ(boxes.boxes()[0].text.toStdString(), "Listendatei '" + missing + "' nicht gefunden.");
    EXPECT_TRUE(program.mainWindow().isVisible());
    program.mainWindow().StopBtn->click();
    program.mainWindow().close();
}

TEST(StartRequest, StartWithAListReportsIntoTheLogAndTheFileWithoutAClick) {
    QTemporaryDir folder;
    const std::string list = QDir(folder.path()).filePath("liste.txt").toStdString();
    std::ofstream(list, std::ios::binary) << "??:??\r\n7100000\r\nAM\r\nS5\r\n\r\n";
    FakeRigctldServer radio; // S7 on every frequency
    ModalBoxWatcher boxes;
    Composition program(Reaching(radio.Port()));
    TSkedulaForm& form = program.mainWindow();
    program.followStartRequest({list, true});
    program.showMainWindow();

    ASSERT_TRUE(test::WaitUntil([&] { return form.Memo->toPlainText().count('\n') == 5; },
                                std::chrono::seconds(40)));
    EXPECT_EQ(form.StatusLabel->text(), "connected");
    EXPECT_EQ(form.Memo->toPlainText().split('\n')[2], "7100000 AM");
    const QString file = QString::fromStdString(test::ReadFile(ReportFilePath()));
    EXPECT_TRUE(QRegularExpression(R"(^Zeit;Frequenz;Mode;S1;S2;S3;Schwelle;Alarm;Aufnahme\r\n)"
                                   R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d[+-]\d\d:\d\d;)"
                                   R"(7100000;AM;7;7;7;5;;\r\n$)")
                    .match(file)
                    .hasMatch())
        << file.toStdString();
    EXPECT_TRUE(boxes.boxes().empty());
    form.StopBtn->click();
    form.close();
}

// The box comes after the tick that wrote the report has returned, and only once.
TEST(StartRequest, AReportFileThatCannotBeWrittenIsToldOnceWithItsName) {
    QTemporaryDir data;
    std::ofstream(QDir(data.path()).filePath("Skedula").toStdString()) << "no folder";
    test::EnvScope dataHome("XDG_DATA_HOME", data.path().toLocal8Bit().constData());
    ModalBoxWatcher boxes;
    Composition program(Reaching(FreeLoopbackPort()));
    program.showMainWindow();

    const Measurement report = fakes::ReportedMeasurement();
    program.reportWriter().EntryMeasured(report);
    program.reportWriter().EntryMeasured(report);
    EXPECT_TRUE(boxes.boxes().empty());
    ASSERT_TRUE(test::WaitUntil([&] { return !boxes.boxes().empty(); }));
    test::RunPendingEvents();
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].text.toStdString(),
              data.path().toStdString() + "/Skedula/berichte.csv: Ungültiger Dateiname.");
    program.mainWindow().close();
}

} // namespace
} // namespace skedula
