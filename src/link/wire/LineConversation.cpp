#include "link/wire/LineConversation.h"

#include "link/RadioContract.h"

#include <QHostAddress>
#include <QTcpSocket>

#include <algorithm>
#include <utility>

namespace skedula::wire {

namespace {

using Clock = std::chrono::steady_clock;

// Commands are refused while this much is still unsent: the server stopped reading.
constexpr qint64 MaxUnsentBytes = 64 * 1024;
// The longest single wait on the socket inside an exchange.
constexpr int MaxWaitSliceMs = 100;

} // namespace

LineConversation::LineConversation(Endpoint endpoint, Timings timings, Pacing pacing)
    : endpoint_(std::move(endpoint)), timings_(timings), pacing_(pacing) {
    pollTimer_.setInterval(timings_.pollInterval);
    QObject::connect(&pollTimer_, &QTimer::timeout, [this] { PollTick(); });
    flushTimer_.setSingleShot(true);
    flushTimer_.setInterval(0);
    QObject::connect(&flushTimer_, &QTimer::timeout, [this] { FlushNotices(); });
}

LineConversation::~LineConversation() {
    DropConnection();
}

void LineConversation::ConnectTo(QTcpSocket& socket, const Endpoint& endpoint) {
    const QString host = QString::fromStdString(endpoint.host);
    const QHostAddress address(host);
    if (address.isNull()) {
        socket.connectToHost(host, endpoint.port);
    } else {
        socket.connectToHost(address, endpoint.port);
    }
}

int LineConversation::Milliseconds(Clock::duration duration) {
    return static_cast<int>(
        std::max<long long>(0, std::chrono::floor<std::chrono::milliseconds>(duration).count()));
}

void LineConversation::SetListener(ConversationListener* listener) {
    listener_ = listener;
}

bool LineConversation::Connect(const std::string& service, const std::string& topic) {
    DropConnection();
    // Each server offers exactly the contract's service and topic.
    if (service != contract::Service || topic != contract::Topic) {
        return false;
    }
    if (!OpenSocket() || !Greet()) {
        DropConnection();
        return false;
    }
    return true;
}

bool LineConversation::StartAdvise(const std::string& item) {
    return Ask(item, true).has_value();
}

std::optional<std::string> LineConversation::Request(const std::string& item) {
    return Ask(item, false);
}

bool LineConversation::Execute(const std::string& command) {
    const std::optional<OutLine> line = CommandLine(command);
    if (!line || !Usable() || socket_->bytesToWrite() > MaxUnsentBytes) {
        return false;
    }
    return Send(*line, Purpose::Command).has_value();
}

void LineConversation::Disconnect() {
    DropConnection();
}

std::optional<double> LineConversation::LevelDb(const std::string& item) const {
    return QueryForItem(item) == Query::SMeter ? sMeterLevel_ : std::nullopt;
}

std::optional<Reply> LineConversation::Exchange(const OutLine& line) {
    if (!Usable()) {
        return std::nullopt;
    }
    const Clock::time_point deadline = Clock::now() + timings_.exchange;
    const std::optional<std::uint64_t> id = Send(line, Purpose::Exchange);
    if (!id) {
        return std::nullopt;
    }
    exchangeId_ = *id;
    exchangeReply_.reset();
    exchangeDone_ = false;
    // Blocking on the socket, not a nested event loop: no other handler of the program may
    // run in the middle of an exchange. The bound holds whatever the server does.
    // Qt lets a long wait overrun by a fraction of a percent, so the wait goes in short
    // slices and stops a millisecond early rather than late.
    while (!exchangeDone_ && Usable()) {
        const int left = Milliseconds(deadline - Clock::now());
        if (left <= 1) {
            break;
        }
        socket_->waitForReadyRead(std::min(left - 1, MaxWaitSliceMs));
        ReadAvailable();
    }
    exchangeId_ = 0;
    if (!exchangeDone_) {
        // A line still waiting to be written is not wanted any more; one written stays
        // unanswered, since its late reply still has its place in the stream. One at a
        // time, the line in flight has held up the stream for the whole bound.
        const auto waiting =
            std::find_if(waiting_.begin(), waiting_.end(),
                         [&](const Pending& pending) { return pending.id == *id; });
        if (waiting != waiting_.end()) {
            waiting_.erase(waiting);
        }
        if (pacing_ == Pacing::OneLineAtATime && !pending_.empty()) {
            Renew(false);
        }
        return std::nullopt;
    }
    return std::exchange(exchangeReply_, std::nullopt);
}

std::optional<std::string> LineConversation::Ask(const std::string& item, bool advise) {
    const std::optional<Query> query = QueryForItem(item);
    if (!query || !Usable()) {
        return std::nullopt;
    }
    const std::optional<Reply> reply = Exchange(QueryLine(*query));
    if (!reply) {
        return std::nullopt;
    }
    // A server that answers with an error or something unreadable does not serve the item.
    std::optional<std::string> text = ItemText(*query, *reply);
    if (!text) {
        return std::nullopt;
    }
    const bool known =
        std::any_of(advised_.begin(), advised_.end(),
                    [&](const AdvisedQuery& advised) { return advised.item == item; });
    if (advise && !known) {
        advised_.push_back({item, *query, std::nullopt});
        if (!pollTimer_.isActive()) {
            pollTimer_.start();
        }
    }
    // The caller now holds this text: the poll announces only what differs from it.
    RememberText(item, *text);
    if (*query == Query::SMeter) {
        sMeterLevel_ = ItemLevelDb(*query, *reply);
    }
    return text;
}

void LineConversation::Deliver(const Pending& pending, const Reply* reply) {
    switch (pending.purpose) {
    case Purpose::Exchange:
        if (pending.id == exchangeId_) {
            // No reply: its answer is lost, and the wait ends at once as a failure.
            exchangeDone_ = true;
            exchangeReply_ = reply != nullptr ? std::optional<Reply>(*reply) : std::nullopt;
        }
        break;
    case Purpose::Poll:
        if (pending.id == pollId_) {
            PollAnswered(reply);
        }
        break;
    case Purpose::Command:
        break; // nobody waits for a command's answer
    }
}

void LineConversation::PollTick() {
    CheckStall();
    // One poll unanswered at a time, however late its reply: a poll given up and followed
    // by the next would pile lines up at a slow radio, in front of the tuning commands.
    if (!Usable() || pollId_ != 0) {
        return;
    }
    pollIndex_ = 0;
    SendNextPoll();
}

void LineConversation::SendNextPoll() {
    pollId_ = 0;
    if (pollIndex_ >= advised_.size() || !Usable()) {
        return;
    }
    pollId_ = Send(QueryLine(advised_[pollIndex_].query), Purpose::Poll).value_or(0);
}

void LineConversation::PollAnswered(const Reply* reply) {
    if (pollIndex_ < advised_.size() && reply != nullptr) {
        AdvisedQuery& advised = advised_[pollIndex_];
        std::optional<std::string> text = ItemText(advised.query, *reply);
        if (text) {
            // Through the queue like the texts, so that the level always belongs to the text
            // the listener holds.
            const bool changed = text != advised.lastText;
            advised.lastText = text;
            Notify({generation_, false, advised.item, *text, ItemLevelDb(advised.query, *reply),
                    !changed});
        }
    }
    ++pollIndex_;
    SendNextPoll();
}

void LineConversation::RememberText(const std::string& item, const std::string& text) {
    for (AdvisedQuery& advised : advised_) {
        if (advised.item == item) {
            advised.lastText = text;
        }
    }
}

void LineConversation::DropConnection() {
    ++generation_;
    pollTimer_.stop();
    RetireSocket();
    retired_.reset();
    lost_ = false;
    lines_.Reset();
    pending_.clear();
    waiting_.clear();
    exchangeId_ = 0;
    exchangeReply_.reset();
    exchangeDone_ = false;
    advised_.clear();
    sMeterLevel_.reset();
    pollIndex_ = 0;
    pollId_ = 0;
}

void LineConversation::Notify(Notice notice) {
    // Delivered from the event loop, never from inside a socket signal or one of our calls.
    notices_.push_back(std::move(notice));
    if (!flushTimer_.isActive()) {
        flushTimer_.start();
    }
}

void LineConversation::FlushNotices() {
    std::vector<Notice> notices;
    notices.swap(notices_);
    for (const Notice& notice : notices) {
        if (notice.generation != generation_ || listener_ == nullptr) {
            continue;
        }
        if (notice.ended) {
            listener_->ConversationEnded();
            continue;
        }
        if (QueryForItem(notice.item) == Query::SMeter) {
            sMeterLevel_ = notice.level;
        }
        if (!notice.levelOnly) {
            listener_->ItemChanged(notice.item, notice.text);
        }
    }
}

} // namespace skedula::wire
