// The history window's list of entries: frequency and mode, the number of measurements and of
// reports, the last report. The counts take a pass over the whole database, so they are counted
// on a thread of their own and come after the list; a measurement stored meanwhile is counted.
#pragma once

#include "storage/HistoryReader.h"

#include <QTreeWidget>

#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace skedula {

class HistoryList : public QTreeWidget {
    Q_OBJECT

public:
    explicit HistoryList(QWidget* parent = nullptr);
    // Waits for a count under way.
    ~HistoryList() override;

    // Shows the entries with their counts to come from the database at path, and chooses the
    // target, or the first entry when the list does not have it.
    void Fill(const std::vector<HistoryEntry>& entries, const std::optional<HistoryKey>& target,
              const std::string& path);
    // The entry's counts and last report take in a measurement just stored; false when the list
    // does not have the entry.
    bool Stored(const HistoryKey& key, const Measurement& measurement);
    // The entry chosen; nothing in an empty list.
    std::optional<HistoryKey> Chosen() const;

signals:
    // "<path>: <German reason>"
    void CountFailed(const QString& failure);

private:
    void StartCounting();
    void CountsArrived(const std::vector<HistoryCounts>& counts, const std::string& failure);

    std::string path_;
    std::thread counting_;
    bool countAgain_ = false;
};

} // namespace skedula
