#include "ui/HistoryList.h"

#include "engine/Error.h"

#include <QHeaderView>

#include <algorithm>

namespace skedula {

namespace {

enum Column { FrequencyColumn, ModeColumn, CountColumn, ReportColumn, LastReportColumn };

// "2026-12-07T14:30:10+01:00" as "07.12.2026 14:30".
QString ShortTime(const std::optional<std::string>& time) {
    if (!time || time->size() < 16)
        return QString::fromStdString(time.value_or(""));
    const std::string& t = *time;
    return QString::fromStdString(t.substr(8, 2) + "." + t.substr(5, 2) + "." + t.substr(0, 4) +
                                  " " + t.substr(11, 5));
}

HistoryKey KeyOf(const QTreeWidgetItem& item) {
    return {item.data(FrequencyColumn, Qt::UserRole).toString().toStdString(),
            item.data(ModeColumn, Qt::UserRole).toString().toStdString()};
}

void SetLastReport(QTreeWidgetItem& item, const std::optional<std::string>& lastReport) {
    item.setText(LastReportColumn, ShortTime(lastReport));
}

// Nothing while they are being counted.
void SetCounts(QTreeWidgetItem& item, std::optional<long long> measurements,
               std::optional<long long> reports) {
    item.setText(CountColumn, measurements ? QString::number(*measurements) : "...");
    item.setText(ReportColumn, reports ? QString::number(*reports) : "...");
    item.setData(CountColumn, Qt::UserRole, measurements ? QVariant(*measurements) : QVariant());
    item.setData(ReportColumn, Qt::UserRole, reports ? QVariant(*reports) : QVariant());
}

} // namespace

HistoryList::HistoryList(QWidget* parent) : QTreeWidget(parent) {
    setHeaderLabels({"Frequenz", "Mode", "Messungen", "Meldungen", "Letzte Meldung"});
    setRootIsDecorated(false);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformRowHeights(true);
    for (int column : {CountColumn, ReportColumn})
        headerItem()->setTextAlignment(column, Qt::AlignRight);
    header()->setStretchLastSection(true);
    setMinimumWidth(330);
}

HistoryList::~HistoryList() {
    // Its result goes nowhere: the list's queued calls go with it.
    if (counting_.joinable())
        counting_.join();
}

void HistoryList::Fill(const std::vector<HistoryEntry>& entries,
                       const std::optional<HistoryKey>& target, const std::string& path) {
    path_ = path;
    QTreeWidgetItem* targetItem = nullptr;
    {
        const QSignalBlocker quiet(this);
        clear();
        for (const HistoryEntry& entry : entries) {
            auto* item = new QTreeWidgetItem(this);
            item->setText(FrequencyColumn, QString::fromStdString(entry.key.frequency));
            item->setText(ModeColumn, QString::fromStdString(entry.key.mode));
            item->setData(FrequencyColumn, Qt::UserRole,
                          QString::fromStdString(entry.key.frequency));
            item->setData(ModeColumn, Qt::UserRole, QString::fromStdString(entry.key.mode));
            item->setTextAlignment(CountColumn, Qt::AlignRight);
            item->setTextAlignment(ReportColumn, Qt::AlignRight);
            SetCounts(*item, std::nullopt, std::nullopt);
            SetLastReport(*item, entry.lastReport);
            if (target && entry.key == *target)
                targetItem = item;
        }
        // As wide as its columns, so that the last report is never cut off.
        int width = 2 * frameWidth() + 4;
        for (int column = 0; column <= LastReportColumn; ++column) {
            resizeColumnToContents(column);
            width += columnWidth(column);
        }
        setMinimumWidth(std::max(width, 330));
    }
    setCurrentItem(targetItem != nullptr ? targetItem : topLevelItem(0));
    StartCounting();
}

std::optional<HistoryKey> HistoryList::Chosen() const {
    if (const QTreeWidgetItem* item = currentItem())
        return KeyOf(*item);
    return std::nullopt;
}

bool HistoryList::Stored(const HistoryKey& key, const Measurement& m) {
    QTreeWidgetItem* item = nullptr;
    for (int i = 0; i < topLevelItemCount() && item == nullptr; ++i)
        if (KeyOf(*topLevelItem(i)) == key)
            item = topLevelItem(i);
    if (item == nullptr)
        return false;
    if (m.reported)
        SetLastReport(*item, m.time);
    if (counting_.joinable())
        countAgain_ = true; // the count under way may not have it
    else if (const QVariant count = item->data(CountColumn, Qt::UserRole); count.isValid())
        SetCounts(*item, count.toLongLong() + 1,
                  item->data(ReportColumn, Qt::UserRole).toLongLong() + (m.reported ? 1 : 0));
    return true;
}

void HistoryList::StartCounting() {
    // One count at a time; a list that changed while it ran is counted again after it.
    if (counting_.joinable()) {
        countAgain_ = true;
        return;
    }
    countAgain_ = false;
    counting_ = std::thread([this, path = path_] {
        std::vector<HistoryCounts> counts;
        std::string failure;
        try {
            counts = HistoryReader(path).Counts();
        } catch (const Error& e) {
            failure = e.what();
        }
        QMetaObject::invokeMethod(
            this, [this, counts, failure] { CountsArrived(counts, failure); },
            Qt::QueuedConnection);
    });
}

void HistoryList::CountsArrived(const std::vector<HistoryCounts>& counts,
                                const std::string& failure) {
    counting_.join();
    if (countAgain_)
        return StartCounting();
    if (!failure.empty())
        return emit CountFailed(QString::fromStdString(failure));
    for (int i = 0; i < topLevelItemCount(); ++i) {
        QTreeWidgetItem& item = *topLevelItem(i);
        const auto found = std::find_if(counts.begin(), counts.end(), [&](const HistoryCounts& c) {
            return c.key == KeyOf(item);
        });
        if (found != counts.end())
            SetCounts(item, found->measurements, found->reports);
    }
}

} // namespace skedula
