#include "ui/HistoryWindow.h"

#include "engine/Error.h"
#include "engine/Utf8.h"
#include "storage/HistoryCsv.h"
#include "ui/stz.h"

#include <QCursor>
#include <QDate>
#include <QFile>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QToolTip>
#include <QVBoxLayout>

#include <algorithm>
#include <tuple>

namespace skedula {

namespace {

const QString kPointingHint =
    "Zeigen Sie auf eine Messung. Ein Klick in die Karte wählt den Tag, Umschalt+Klick mehrere "
    "Tage; ein Doppelklick spielt die Aufnahme einer Meldung ab.";

// A file name from an entry's cells: letters, digits, dot, minus; anything else an underscore.
QString FileNameOf(const HistoryKey& key) {
    QString name = QString::fromStdString("verlauf-" + key.frequency + "-" + key.mode);
    for (QChar& c : name)
        if (!(c.isLetterOrNumber() || c == '-' || c == '.') || c.unicode() > 127)
            c = '_';
    return name;
}

} // namespace

HistoryWindow::HistoryWindow(std::string databasePath, HistoryIndexes* indexes, QWidget* parent)
    : QWidget(parent, Qt::Window), PlayRecording(ShellOpen), path_(std::move(databasePath)),
      indexes_(indexes) {
    setWindowTitle("Verlauf");
    CreateControls();
    // Fits a 1024 x 768 screen with the window's frame and a panel.
    resize(1000, 680);
    indexWait_.setInterval(200);
    connect(&indexWait_, &QTimer::timeout, this, &HistoryWindow::WaitForIndexes);
}

void HistoryWindow::CreateControls() {
    EntryList = new HistoryList(this);

    RangeBox = new QComboBox(this);
    RangeBox->addItems({"90 Tage", "1 Jahr"});
    CsvBtn = new QPushButton("CSV exportieren ...", this);
    PngBtn = new QPushButton("Bild speichern ...", this);

    NoticeLabel = new QLabel(this);
    NoticeLabel->hide();
    Picture = new QWidget(this);
    Picture->setAutoFillBackground(true);
    EntryLabel = new QLabel(Picture);
    Map = new HeatMap(Picture);
    Strip = new StripChart(Picture);
    PointedLabel = new QLabel(kPointingHint, this);
    PointedLabel->setMinimumHeight(2 * PointedLabel->fontMetrics().height());
    // Paths and list cells are shown as they are, never read as markup.
    for (QLabel* label : {NoticeLabel, EntryLabel, PointedLabel}) {
        label->setTextFormat(Qt::PlainText);
        label->setWordWrap(true);
    }

    auto* range = new QHBoxLayout;
    range->addWidget(new QLabel("Zeitraum:", this));
    range->addWidget(RangeBox, 1);
    auto* left = new QVBoxLayout;
    left->addWidget(EntryList, 1);
    left->addLayout(range);
    left->addWidget(CsvBtn);
    left->addWidget(PngBtn);
    auto* picture = new QVBoxLayout(Picture);
    picture->setContentsMargins(0, 0, 0, 0);
    picture->addWidget(EntryLabel);
    picture->addWidget(Map, 3);
    picture->addWidget(Strip, 1);
    auto* right = new QVBoxLayout;
    right->addWidget(NoticeLabel);
    right->addWidget(Picture, 1);
    right->addWidget(PointedLabel);
    auto* whole = new QHBoxLayout(this);
    whole->addLayout(left);
    whole->addLayout(right, 1);

    connect(EntryList, &QTreeWidget::itemSelectionChanged, this, &HistoryWindow::EntryListChange);
    connect(EntryList, &HistoryList::CountFailed, this, &HistoryWindow::Notice);
    connect(RangeBox, &QComboBox::currentIndexChanged, this, &HistoryWindow::RangeBoxChange);
    // Queued: an error of the export reaches the application's catch point from the loop.
    connect(CsvBtn, &QPushButton::clicked, this, &HistoryWindow::CsvBtnClick, Qt::QueuedConnection);
    connect(PngBtn, &QPushButton::clicked, this, &HistoryWindow::PngBtnClick, Qt::QueuedConnection);
    connect(Map, &HeatMap::DaysChosen, this, &HistoryWindow::MapDaysChosen);
    connect(Map, &HeatMap::Pointed, this, &HistoryWindow::MapPointed);
    connect(Strip, &StripChart::Pointed, this, &HistoryWindow::StripPointed);
    connect(Map, &HeatMap::Opened, this, &HistoryWindow::MapOpened);
    connect(Map, &HeatMap::Drawn, Strip, &StripChart::AlignRight);
    connect(Strip, &StripChart::Opened, this, &HistoryWindow::StripOpened);
}

void HistoryWindow::Open() {
    show();
    raise();
    activateWindow();
    Load();
}

int HistoryWindow::Days() const {
    return RangeBox->currentIndex() == 1 ? kWideDays : kDays;
}

void HistoryWindow::Notice(const QString& text) {
    NoticeLabel->setText(text);
    NoticeLabel->setVisible(!text.isEmpty());
}

void HistoryWindow::Load() {
    indexWait_.stop();
    reader_.reset();
    {
        const QSignalBlocker quiet(EntryList);
        EntryList->clear();
    }
    points_.clear();
    dayRows_.clear();
    lastDay_ = static_cast<int>(QDate::currentDate().toJulianDay());
    firstDay_ = lastDay_ - Days() + 1;
    Map->Show(&points_, firstDay_, lastDay_, std::nullopt);
    Strip->Show(dayRows_, lastDay_, lastDay_);
    EntryLabel->clear();
    if (!HistoryReader::Exists(path_))
        return Notice("Noch keine Messungen gespeichert (" + QString::fromStdString(path_) + ").");
    try {
        reader_.emplace(path_);
        if (!reader_->HasTable()) {
            reader_.reset();
            return Notice("Noch keine Messungen gespeichert.");
        }
        if (!reader_->HasIndexes()) {
            // Written by another program: Skedula's indexes are built away from the window.
            if (indexes_ != nullptr)
                indexes_->BuildIndexes();
            Notice("Die Indizes des Verlaufs werden erstellt; bei vielen Messungen dauert das "
                   "eine Weile ...");
            indexWait_.start();
            return;
        }
    } catch (const Error& e) {
        reader_.reset();
        return Notice(QString::fromStdString(e.what()));
    }
    Notice({});
    FillEntries();
}

void HistoryWindow::WaitForIndexes() {
    const IndexStatus status = indexes_ != nullptr ? indexes_->indexStatus()
                                                   : IndexStatus{IndexStatus::State::Failed,
                                                                 path_ + ": Skedulas Index fehlt"};
    bool ready = false;
    try {
        ready = reader_ && reader_->HasIndexes();
    } catch (const Error&) {
        ready = false;
    }
    if (ready) {
        indexWait_.stop();
        Notice({});
        FillEntries();
    } else if (status.state == IndexStatus::State::Failed) {
        indexWait_.stop();
        Notice(QString::fromStdString(status.failure) +
               "\nOhne die Indizes wird der Verlauf langsamer gelesen.");
        FillEntries();
    }
}

void HistoryWindow::FillEntries() {
    if (!reader_)
        return;
    std::vector<HistoryEntry> entries;
    std::optional<HistoryKey> target = chosen_;
    try {
        entries = reader_->Entries();
        if (!target || std::none_of(entries.begin(), entries.end(),
                                    [&](const HistoryEntry& e) { return e.key == *target; }))
            target = reader_->LatestEntry();
    } catch (const Error& e) {
        return Notice(QString::fromStdString(e.what()));
    }
    if (entries.empty())
        return Notice("Noch keine Messungen gespeichert.");
    EntryList->Fill(entries, target, path_);
}

void HistoryWindow::EntryListChange() {
    if (const std::optional<HistoryKey> key = EntryList->Chosen())
        LoadEntry(*key);
}

void HistoryWindow::RangeBoxChange() {
    lastDay_ = static_cast<int>(QDate::currentDate().toJulianDay());
    firstDay_ = lastDay_ - Days() + 1;
    if (chosen_ && reader_)
        LoadEntry(*chosen_);
}

namespace {

std::string DayText(int julianDay) {
    return QDate::fromJulianDay(julianDay).toString(Qt::ISODate).toStdString();
}

} // namespace

void HistoryWindow::LoadEntry(const HistoryKey& key) {
    chosen_ = key;
    try {
        reader_->Points(key, DayText(firstDay_), points_);
    } catch (const Error& e) {
        points_.clear();
        Notice(QString::fromStdString(e.what()));
    }
    // The latest measurement's day is the one shown below, its threshold the entry's now.
    const HistoryPoint* latest = nullptr;
    for (const HistoryPoint& p : points_)
        if (p.day <= lastDay_ &&
            (latest == nullptr || std::tie(p.day, p.minuteOfDay, p.second) >=
                                      std::tie(latest->day, latest->minuteOfDay, latest->second)))
            latest = &p;
    threshold_ = latest != nullptr ? latest->threshold : std::nullopt;
    EntryLabel->setText(QString::fromStdString(key.frequency + " " + key.mode) +
                        (threshold_ ? QString(", Schwelle S%1").arg(*threshold_) : QString()) +
                        QString(", %1 Tage bis %2; die Farbe ist der schwächste der drei Werte")
                            .arg(Days())
                            .arg(QDate::fromJulianDay(lastDay_).toString("dd.MM.yyyy")));
    Map->Show(&points_, firstDay_, lastDay_, threshold_);
    latestDay_ = latest != nullptr && latest->day >= firstDay_ ? latest->day : lastDay_;
    ShowDays(latestDay_, latestDay_);
}

void HistoryWindow::MapDaysChosen(int firstDay, int lastDay) {
    ShowDays(firstDay, lastDay);
}

void HistoryWindow::ShowDays(int firstDay, int lastDay) {
    chosenFirst_ = firstDay;
    chosenLast_ = lastDay;
    dayRows_.clear();
    if (chosen_ && reader_) {
        try {
            dayRows_ = reader_->MeasurementsOfDays(*chosen_, DayText(firstDay), DayText(lastDay));
        } catch (const Error& e) {
            Notice(QString::fromStdString(e.what()));
        }
    }
    Map->MarkDays(firstDay, lastDay);
    Strip->Show(dayRows_, firstDay, lastDay);
}

void HistoryWindow::MeasurementStored(const Measurement& stored, long long id) {
    if (!isVisible())
        return; // read afresh when it is opened
    if (!reader_ || indexWait_.isActive())
        return Load();
    // As the database holds it: the cells as UTF-8.
    Measurement m = stored;
    m.frequency = Utf8OrWindows1252(m.frequency);
    m.mode = Utf8OrWindows1252(m.mode);
    if (!m.reported)
        m.recording.reset();
    const HistoryKey key{m.frequency, m.mode};
    if (!EntryList->Stored(key, m))
        return FillEntries(); // a new entry: the list is read afresh
    if (!chosen_ || !(key == *chosen_))
        return;
    const std::optional<HistoryPoint> point = PointOf(m, id);
    if (!point)
        return;
    points_.push_back(*point);
    threshold_ = point->threshold;
    Map->Show(&points_, firstDay_, lastDay_, threshold_);
    // A strip chart of the latest day follows into a new day; other days stay chosen.
    const bool following = chosenFirst_ == chosenLast_ && chosenLast_ == latestDay_;
    if (point->day > latestDay_ && point->day <= lastDay_) {
        latestDay_ = point->day;
        if (following)
            return ShowDays(latestDay_, latestDay_);
    }
    if (point->day >= chosenFirst_ && point->day <= chosenLast_) {
        dayRows_.push_back(m);
        Strip->Show(dayRows_, chosenFirst_, chosenLast_);
    }
}

std::optional<Measurement> HistoryWindow::MapMeasurement(int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= points_.size() || !reader_)
        return std::nullopt;
    try {
        return reader_->MeasurementWithId(points_[static_cast<std::size_t>(index)].id);
    } catch (const Error& e) {
        Notice(QString::fromStdString(e.what()));
        return std::nullopt;
    }
}

std::optional<Measurement> HistoryWindow::StripMeasurement(int index) const {
    if (index < 0 || static_cast<std::size_t>(index) >= dayRows_.size())
        return std::nullopt;
    return dayRows_[static_cast<std::size_t>(index)];
}

void HistoryWindow::ShowPointed(const std::optional<Measurement>& m) {
    if (!m) {
        PointedLabel->setText(kPointingHint);
        QToolTip::hideText();
        return;
    }
    const QString text = Describe(*m);
    PointedLabel->setText(text);
    QToolTip::showText(QCursor::pos(), text, this);
}

void HistoryWindow::Play(const std::optional<Measurement>& m) {
    if (!m)
        return;
    if (m->recording && PlayRecording)
        PlayRecording(*m->recording);
    else
        PointedLabel->setText(Describe(*m) + "\nZu dieser Messung gibt es keine Aufnahme.");
}

void HistoryWindow::MapPointed(int index) {
    ShowPointed(MapMeasurement(index));
}

void HistoryWindow::StripPointed(int index) {
    ShowPointed(StripMeasurement(index));
}

void HistoryWindow::MapOpened(int index) {
    Play(MapMeasurement(index));
}

void HistoryWindow::StripOpened(int index) {
    Play(StripMeasurement(index));
}

std::optional<std::string> HistoryWindow::AskFileName(const QString& title, const QString& name,
                                                      const QString& filter,
                                                      const QString& suffix) {
    QFileDialog dialog(this, title);
    // Qt's own dialog, as the list's: a dialog of the desktop would run outside our loop.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(suffix);
    dialog.setNameFilters({filter, "Alle Dateien (*)"});
    dialog.selectFile(name);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return QFile::encodeName(dialog.selectedFiles().front()).toStdString();
}

void HistoryWindow::CsvBtnClick() {
    if (!chosen_ || !reader_)
        return;
    const std::optional<std::string> file = AskFileName(
        "Verlauf als CSV exportieren ...", FileNameOf(*chosen_) + ".csv", "CSV (*.csv)", "csv");
    if (file)
        ExportHistoryCsv(*reader_, *chosen_, *file);
}

void HistoryWindow::PngBtnClick() {
    if (!chosen_)
        return;
    const std::optional<std::string> file = AskFileName(
        "Bild speichern ...", FileNameOf(*chosen_) + ".png", "PNG-Bilder (*.png)", "png");
    if (file && !Picture->grab().save(QFile::decodeName(QByteArray::fromStdString(*file)), "PNG"))
        throw Error(*file + ": Das Bild konnte nicht gespeichert werden");
}

} // namespace skedula
