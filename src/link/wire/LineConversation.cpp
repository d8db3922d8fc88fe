#include "link/wire/LineConversation.h"

#include "link/RadioContract.h"

#include <QHostAddress>
#include <QTcpSocket>

#include <algorithm>
#include <utility>

namespace skedula::wire {

namespace {

using Clock = std::chrono::steady_clock;

// Lines whose replies are this far behind are given up: the server is not answering.
constexpr std::size_t MaxPending = 64;
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

void LineConversation::Answer(std::size_t index, const Reply& reply) {
    for (std::size_t i = 0; i < index && !pending_.empty(); ++i) {
        const Pending lost = pending_.front();
        pending_.pop_front();
        Deliver(lost, nullptr);
    }
    if (!pending_.empty()) {
        const Pending answered = pending_.front();
        pending_.pop_front();
        Deliver(answered, &reply);
    }
    WriteWaiting();
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

void LineConversation::Resynchronise() {
    Renew(true);
}

void LineConversation::Renew(bool oldestAnswered) {
    std::deque<Pending> written;
    written.swap(pending_);
    RetireSocket();
    if (!OpenSocket()) {
        EndConversation(std::move(written));
        return;
    }
    // An answered line written again could earn the same reply, and so on for ever.
    std::deque<Pending> again;
    std::vector<Pending> failed;
    for (std::size_t i = 0; i < written.size(); ++i) {
        const bool answered = i == 0 && oldestAnswered;
        if (written[i].purpose == Purpose::Command && !answered) {
            again.push_back(written[i]);
        } else {
            failed.push_back(written[i]);
        }
    }
    waiting_.insert(waiting_.begin(), again.begin(), again.end());
    for (const Pending& pending : failed) {
        Deliver(pending, nullptr);
    }
    WriteWaiting();
}

void LineConversation::CheckStall() {
    if (pacing_ == Pacing::OneLineAtATime && !pending_.empty() && Usable() &&
        Clock::now() - oldestWrittenAt_ >= timings_.exchange) {
        Renew(false);
    }
}

bool LineConversation::Usable() const {
    return socket_ != nullptr && !lost_ && socket_->state() == QAbstractSocket::ConnectedState;
}

bool LineConversation::OpenSocket() {
    ForgetReplies();
    lines_.Reset();
    auto socket = std::make_unique<QTcpSocket>();
    ConnectTo(*socket, endpoint_);
    if (!socket->waitForConnected(Milliseconds(timings_.exchange))) {
        return false;
    }
    // Our lines are small and answered at once: Nagle's delay would dominate every exchange.
    socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    QObject::connect(socket.get(), &QTcpSocket::readyRead, [this] { ReadAvailable(); });
    QObject::connect(socket.get(), &QTcpSocket::disconnected, [this] { ConnectionLost(); });
    QObject::connect(socket.get(), &QTcpSocket::errorOccurred, [this] {
        if (socket_ && socket_->state() != QAbstractSocket::ConnectedState) {
            ConnectionLost();
        }
    });
    socket_ = std::move(socket);
    lost_ = false;
    ++socketEpoch_;
    return true;
}

void LineConversation::RetireSocket() {
    ++socketEpoch_;
    if (socket_) {
        // Our own close is no news to the listener.
        QObject::disconnect(socket_.get(), nullptr, nullptr, nullptr);
        socket_->abort();
        retired_ = std::move(socket_);
    }
}

std::optional<std::uint64_t> LineConversation::Send(const OutLine& line, Purpose purpose) {
    CheckStall();
    if (!Usable()) {
        return std::nullopt;
    }
    const Pending pending{nextId_++, purpose, line.expect, line.text};
    if (pacing_ == Pacing::OneLineAtATime && (!pending_.empty() || !waiting_.empty())) {
        waiting_.push_back(pending);
    } else if (!Write(pending)) {
        return std::nullopt;
    }
    LimitUnanswered();
    return pending.id;
}

bool LineConversation::Write(const Pending& pending) {
    const auto size = static_cast<qint64>(pending.text.size());
    if (socket_->write(pending.text.data(), size) != size) {
        return false;
    }
    // Hand the bytes to the kernel now rather than at the next turn of the event loop.
    socket_->flush();
    if (pending_.empty()) {
        oldestWrittenAt_ = Clock::now();
    }
    pending_.push_back(pending);
    return true;
}

void LineConversation::WriteWaiting() {
    while (!waiting_.empty() && Usable() && (pacing_ == Pacing::Pipelined || pending_.empty())) {
        const Pending next = waiting_.front();
        waiting_.pop_front();
        if (!Write(next)) {
            Deliver(next, nullptr);
        }
    }
}

void LineConversation::LimitUnanswered() {
    // A line not yet written is given up first: one in flight still has its reply to come.
    while (pending_.size() + waiting_.size() > MaxPending) {
        std::deque<Pending>& from = waiting_.empty() ? pending_ : waiting_;
        const Pending oldest = from.front();
        from.pop_front();
        Deliver(oldest, nullptr);
    }
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
    return text;
}

void LineConversation::ReadAvailable() {
    if (!socket_) {
        return;
    }
    const QByteArray bytes = socket_->readAll();
    if (bytes.isEmpty()) {
        return;
    }
    const std::uint64_t epoch = socketEpoch_;
    for (const Line& line :
         lines_.Feed({bytes.constData(), static_cast<std::size_t>(bytes.size())})) {
        TakeLine(line);
        if (epoch != socketEpoch_) {
            return; // the rest belongs to a stream that is gone
        }
    }
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
        if (text && text != advised.lastText) {
            advised.lastText = text;
            Notify({generation_, false, advised.item, *text});
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

void LineConversation::ConnectionLost() {
    if (!socket_ || lost_) {
        return;
    }
    std::deque<Pending> unanswered;
    unanswered.swap(pending_);
    EndConversation(std::move(unanswered));
}

void LineConversation::EndConversation(std::deque<Pending> unanswered) {
    unanswered.insert(unanswered.end(), waiting_.begin(), waiting_.end());
    waiting_.clear();
    lost_ = true;
    pollTimer_.stop();
    for (const Pending& pending : unanswered) {
        Deliver(pending, nullptr);
    }
    Notify({generation_, true, {}, {}});
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
        } else {
            listener_->ItemChanged(notice.item, notice.text);
        }
    }
}

} // namespace skedula::wire
