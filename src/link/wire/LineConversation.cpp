#include "link/wire/LineConversation.h"

#include "link/RadioContract.h"

#include <QTcpSocket>

#include <algorithm>
#include <utility>

namespace skedula::wire {

namespace {

// Commands are refused while this much is still unsent: the server stopped reading.
constexpr qint64 MaxUnsentBytes = 64 * 1024;
// The longest single wait on the socket inside an exchange.
constexpr int MaxWaitSliceMs = 100;

} // namespace

LineConversation::LineConversation(Endpoint endpoint, Timings timings, Pacing pacing,
                                   Resolver resolver)
    : endpoint_(std::move(endpoint)), timings_(timings), resolver_(std::move(resolver)),
      pacing_(pacing) {
    pollTimer_.setInterval(timings_.pollInterval);
    QObject::connect(&pollTimer_, &QTimer::timeout, [this] { PollTick(); });
    flushTimer_.setSingleShot(true);
    flushTimer_.setInterval(0);
    QObject::connect(&flushTimer_, &QTimer::timeout, [this] { FlushNotices(); });
}

LineConversation::~LineConversation() {
    DropConnection();
}

LineConversation::Clock::time_point
LineConversation::Deadline(std::chrono::milliseconds bound) const {
    const Clock::time_point deadline = Clock::now() + bound;
    return waitLimit_ ? std::min(deadline, *waitLimit_) : deadline;
}

bool LineConversation::ConnectSocket(QTcpSocket& socket, Clock::time_point deadline) const {
    // A name has several addresses where it has an IPv6 one besides the IPv4 one ("localhost"),
    // and a server may listen on one of them only.
    for (const QHostAddress& address : addresses_) {
        const int left = Milliseconds(deadline - Clock::now());
        if (left <= 0) {
            break;
        }
        socket.abort();
        socket.connectToHost(address, endpoint_.port);
        if (socket.waitForConnected(left)) {
            return true;
        }
    }
    return false;
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
    // A lookup on a thread of its own: Qt's socket would look a name up on ours, for as long
    // as the resolver takes. Done first, since a server that we start is reached at the same
    // addresses.
    addresses_ =
        LookUp(QString::fromStdString(endpoint_.host), resolver_, Deadline(timings_.exchange));
    hostNotFound_ = addresses_.isEmpty();
    // Each server offers exactly the contract's service and topic.
    if (hostNotFound_ || service != contract::Service || topic != contract::Topic) {
        return false;
    }
    heardAt_ = waitingSince_ = Clock::now();
    if (!OpenSocket() || !Greet()) {
        DropConnection();
        return false;
    }
    // Runs for as long as the conversation: it also watches for a server gone silent.
    pollTimer_.start();
    return true;
}

bool LineConversation::StartAdvise(const std::string& item) {
    const std::optional<Query> query = QueryForItem(item);
    if (!query || !Usable()) {
        return false;
    }
    // A failure, a value the radio cannot give yet (no mode set) or a late answer pass: a
    // serial radio gives them now and then. Only a server that does not know the query will
    // never answer it.
    const std::optional<Reply> reply = Exchange(QueryLine(*query));
    if (reply && Unknown(*reply)) {
        return false;
    }
    if (Advised(item) == nullptr) {
        advised_.push_back({item, *query, std::nullopt});
    }
    return true;
}

std::optional<std::string> LineConversation::Request(const std::string& item) {
    const std::optional<Query> query = QueryForItem(item);
    if (!query || !Usable()) {
        return std::nullopt;
    }
    const std::optional<Reply> reply = Exchange(QueryLine(*query));
    if (!reply) {
        return std::nullopt; // late is no failure: its reply may still come to a poll
    }
    std::optional<std::string> text = ItemText(*query, *reply);
    if (!text) {
        Notify({generation_, Notice::Kind::Failure, item, {}, {}});
        return std::nullopt;
    }
    // The caller now holds this text: the polls announce only what differs from it.
    if (AdvisedQuery* advised = Advised(item)) {
        advised->delivered = text;
    }
    if (*query == Query::SMeter) {
        sMeterLevel_ = ItemLevelDb(*query, *reply);
    }
    return text;
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
    const Clock::time_point deadline = Deadline(timings_.exchange);
    // With no time left nothing is written: it would only wait at a slow radio in front of
    // the lines that follow.
    if (!Usable() || Milliseconds(deadline - Clock::now()) <= 1) {
        return std::nullopt;
    }
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
    CheckSilence();
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
    // A poll that got no reply (given up, or its connection replaced) tells nothing.
    if (pollIndex_ < advised_.size() && reply != nullptr) {
        const AdvisedQuery& advised = advised_[pollIndex_];
        // Through the queue, so that the level always belongs to the text the listener holds.
        if (std::optional<std::string> text = ItemText(advised.query, *reply)) {
            Notify({generation_, Notice::Kind::Value, advised.item, std::move(*text),
                    ItemLevelDb(advised.query, *reply)});
        } else {
            Notify({generation_, Notice::Kind::Failure, advised.item, {}, {}});
        }
    }
    ++pollIndex_;
    SendNextPoll();
}

LineConversation::AdvisedQuery* LineConversation::Advised(const std::string& item) {
    const auto found =
        std::find_if(advised_.begin(), advised_.end(),
                     [&](const AdvisedQuery& advised) { return advised.item == item; });
    return found == advised_.end() ? nullptr : &*found;
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
    for (Notice& notice : notices) {
        // A listener may end the conversation, or start a new one, from any of these calls.
        if (notice.generation != generation_ || listener_ == nullptr) {
            continue;
        }
        const bool sMeter = QueryForItem(notice.item) == Query::SMeter;
        AdvisedQuery* advised = Advised(notice.item);
        switch (notice.kind) {
        case Notice::Kind::Ended:
            listener_->ConversationEnded();
            break;
        case Notice::Kind::Failure:
            // The next value is announced, whatever it is: the listener may have let its
            // text go.
            if (advised != nullptr) {
                advised->delivered.reset();
            }
            if (sMeter) {
                sMeterLevel_.reset();
            }
            listener_->ItemFailed(notice.item);
            break;
        case Notice::Kind::Value:
            if (sMeter) {
                sMeterLevel_ = notice.level;
            }
            // Only the level behind an unchanged text moved: the listener hears nothing.
            if (advised != nullptr && advised->delivered == notice.text) {
                break;
            }
            if (advised != nullptr) {
                advised->delivered = notice.text;
            }
            listener_->ItemChanged(notice.item, notice.text);
            break;
        }
    }
}

} // namespace skedula::wire
