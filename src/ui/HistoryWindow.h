// The window "Verlauf": the entries measured with their counts and last report, and for the entry
// chosen a heat map of its days and a strip chart of the days chosen there, read from the history
// database; the entry as CSV and the picture as PNG. Non-modal: the watch goes on behind it, and
// each measurement stored joins it. The composition root opens it from the menu "Verlauf"; it
// reads the database itself and asks the history writer to build indexes that are missing.
#pragma once

#include "storage/HistoryIndexes.h"
#include "storage/HistoryReader.h"
#include "ui/HeatMap.h"
#include "ui/HistoryList.h"
#include "ui/StripChart.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace skedula {

class HistoryWindow : public QWidget {
    Q_OBJECT

public:
    static constexpr int kDays = 90;      // the heat map's days up to today
    static constexpr int kWideDays = 365; // widened

    // indexes: who builds missing indexes; without one the window reads without them.
    HistoryWindow(std::string databasePath, HistoryIndexes* indexes, QWidget* parent = nullptr);

    // Shows the window, read afresh, with the entry chosen before or else that of the latest
    // measurement.
    void Open();
    // A measurement is in the database: its entry's counts, and the picture when it is the
    // entry shown, take it in.
    void MeasurementStored(const Measurement& measurement, long long id);

    QLabel* NoticeLabel = nullptr; // what keeps the picture away: no database, indexes, errors
    HistoryList* EntryList = nullptr;
    QComboBox* RangeBox = nullptr;
    QPushButton* CsvBtn = nullptr;
    QPushButton* PngBtn = nullptr;
    QWidget* Picture = nullptr; // what the PNG holds: the title, the heat map, the strip chart
    QLabel* EntryLabel = nullptr;
    HeatMap* Map = nullptr;
    StripChart* Strip = nullptr;
    QLabel* PointedLabel = nullptr;

    // How a report's recording is played: the desktop's handler for the file.
    std::function<void(const std::string& file)> PlayRecording;

    // The entry's measurements in the heat map, and the whole ones of the days chosen.
    const std::vector<HistoryPoint>& Points() const { return points_; }
    const std::vector<Measurement>& DayRows() const { return dayRows_; }

    // The window's handlers.
    void EntryListChange();
    void RangeBoxChange();
    void CsvBtnClick();
    void PngBtnClick();
    void MapDaysChosen(int firstDay, int lastDay);
    void MapPointed(int index);
    void StripPointed(int index);
    void MapOpened(int index);
    void StripOpened(int index);

private:
    void CreateControls();
    void Load();
    void WaitForIndexes();
    void FillEntries();
    void LoadEntry(const HistoryKey& key);
    void ShowDays(int firstDay, int lastDay);
    void Notice(const QString& text);
    // The whole measurement behind a cell of the heat map (read by its id), or a strip chart dot.
    std::optional<Measurement> MapMeasurement(int index);
    std::optional<Measurement> StripMeasurement(int index) const;
    void ShowPointed(const std::optional<Measurement>& measurement);
    void Play(const std::optional<Measurement>& measurement);
    std::optional<std::string> AskFileName(const QString& title, const QString& name,
                                           const QString& filter, const QString& suffix);
    int Days() const;

    std::string path_;
    HistoryIndexes* indexes_;
    std::optional<HistoryReader> reader_;
    QTimer indexWait_;
    std::optional<HistoryKey> chosen_;
    std::vector<HistoryPoint> points_;
    std::optional<int> threshold_;
    std::vector<Measurement> dayRows_;
    int firstDay_ = 0;
    int lastDay_ = 0;
    int chosenFirst_ = 0;
    int chosenLast_ = 0;
    int latestDay_ = 0; // of the entry's measurements shown
};

} // namespace skedula
