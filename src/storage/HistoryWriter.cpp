#include "storage/HistoryWriter.h"

#include "engine/Error.h"

#include <filesystem>

namespace skedula {

HistoryWriter::HistoryWriter(std::string path, ErrorSink onError, StoredSink onStored,
                             HistoryLimits limits)
    : path_(std::move(path)), onError_(std::move(onError)), onStored_(std::move(onStored)),
      limits_(limits), thread_([this] { Run(); }) {}

HistoryWriter::~HistoryWriter() {
    Finish();
}

void HistoryWriter::Finish() {
    {
        const std::lock_guard lock(mutex_);
        if (stop_)
            return;
        stop_ = true;
        mayTry_ = true; // the last chance for what waits
    }
    wake_.notify_one();
    thread_.join();
}

void HistoryWriter::setEnabled(bool enabled) {
    const std::lock_guard lock(mutex_);
    // Switched on again, a failure that persists deserves to be told again.
    if (enabled && !enabled_)
        failing_ = false;
    enabled_ = enabled;
}

bool HistoryWriter::enabled() const {
    const std::lock_guard lock(mutex_);
    return enabled_;
}

void HistoryWriter::EntryMeasured(const Measurement& measurement) {
    bool lost = false;
    {
        const std::lock_guard lock(mutex_);
        if (!enabled_ || stop_)
            return;
        if (queue_.size() >= limits_.mostWaiting) {
            queue_.pop_front();
            lost = !lossTold_;
            lossTold_ = true;
        }
        queue_.push_back(measurement);
        ++arrivals_;
        mayTry_ = true;
    }
    wake_.notify_one();
    if (lost)
        Tell(path_ + ": Die Datenbank nimmt seit langem keine Messungen an; die ältesten der "
                     "wartenden gehen verloren");
}

void HistoryWriter::BuildIndexes() {
    {
        const std::lock_guard lock(mutex_);
        if (indexStatus_.state == IndexStatus::State::Building || buildAsked_)
            return;
        buildAsked_ = true;
    }
    wake_.notify_one();
}

IndexStatus HistoryWriter::indexStatus() const {
    const std::lock_guard lock(mutex_);
    return indexStatus_;
}

std::size_t HistoryWriter::waiting() const {
    const std::lock_guard lock(mutex_);
    return queue_.size();
}

void HistoryWriter::Run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stop_ || buildAsked_ || (mayTry_ && !queue_.empty()); });
        if (buildAsked_) {
            buildAsked_ = false;
            lock.unlock();
            BuildOnRequest();
            lock.lock();
            continue;
        }
        if (!mayTry_ || queue_.empty()) {
            if (stop_)
                return;
            continue;
        }
        // The measurement stays at the front until it is in: a failure keeps it for the next try.
        const Measurement measurement = queue_.front();
        const unsigned long arrivals = arrivals_;
        lock.unlock();
        const std::variant<long long, std::string> written = Write(measurement);
        lock.lock();
        if (const std::string* failure = std::get_if<std::string>(&written)) {
            mayTry_ = arrivals_ != arrivals;
            const bool tell = !failing_;
            failing_ = true;
            lock.unlock();
            if (tell)
                Tell(path_ + ": " + *failure);
            lock.lock();
            if (stop_)
                return; // that was the last chance
            continue;
        }
        queue_.pop_front();
        failing_ = false;
        lossTold_ = false;
        lock.unlock();
        if (onStored_)
            onStored_(measurement, std::get<long long>(written));
        lock.lock();
    }
}

std::variant<long long, std::string> HistoryWriter::Write(const Measurement& measurement) {
    try {
        // A file removed or replaced while open would take the measurements with it.
        if (store_ && !store_->StillTheFile())
            store_.reset();
        if (!store_)
            OpenStore();
        return store_->Append(measurement);
    } catch (const Error& e) {
        // Opened afresh next time: the file may be mended or replaced by then.
        store_.reset();
        return std::string(e.what());
    }
}

void HistoryWriter::OpenStore() {
    store_.emplace(path_, limits_.busyTimeout);
    if (!store_->HasIndexes()) {
        SetIndexStatus(IndexStatus::State::Building);
        try {
            store_->BuildIndexes();
        } catch (const Error& e) {
            SetIndexStatus(IndexStatus::State::Failed, path_ + ": " + e.what());
            throw;
        }
    }
    SetIndexStatus(IndexStatus::State::Ready);
}

void HistoryWriter::BuildOnRequest() {
    std::error_code error;
    if (store_ && store_->StillTheFile())
        return SetIndexStatus(IndexStatus::State::Ready);
    // No database yet: nothing to build, and none is made before there is a measurement.
    if (!std::filesystem::exists(path_, error))
        return SetIndexStatus(IndexStatus::State::Ready);
    try {
        store_.reset();
        OpenStore();
    } catch (const Error& e) {
        store_.reset();
        SetIndexStatus(IndexStatus::State::Failed, path_ + ": " + e.what());
    }
}

void HistoryWriter::SetIndexStatus(IndexStatus::State state, std::string failure) {
    const std::lock_guard lock(mutex_);
    indexStatus_ = {state, std::move(failure)};
}

void HistoryWriter::Tell(const std::string& message) {
    if (onError_)
        onError_(message);
}

} // namespace skedula
