// LineConversation, continued: the connection and the lines on it. Writing, paced as the
// protocol asks; reading and handing lines to the protocol; renewing a stream that went out
// of step or stalled; a server gone silent; and the end of the connection.
#include "link/wire/LineConversation.h"

#include <QTcpSocket>

#include <algorithm>
#include <utility>

namespace skedula::wire {

namespace {

// Lines whose replies are this far behind are given up: the server is not answering.
constexpr std::size_t MaxPending = 64;

} // namespace

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

void LineConversation::CheckSilence() {
    if (!Usable() || (pending_.empty() && waiting_.empty()) ||
        Clock::now() - std::max(heardAt_, waitingSince_) < timings_.silence) {
        return;
    }
    // As when the server quits. The connection goes too, so that a server that wakes up
    // again finds it closed rather than answering lines nobody waits for.
    std::deque<Pending> unanswered;
    unanswered.swap(pending_);
    RetireSocket();
    EndConversation(std::move(unanswered));
}

bool LineConversation::Usable() const {
    return socket_ != nullptr && !lost_ && socket_->state() == QAbstractSocket::ConnectedState;
}

bool LineConversation::OpenSocket() {
    ForgetReplies();
    lines_.Reset();
    auto socket = std::make_unique<QTcpSocket>();
    if (!ConnectSocket(*socket, Deadline(timings_.exchange))) {
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
        // A wait that began before and has heard nothing since goes on: a stream renewed
        // for its silence is no sign of life.
        if (heardAt_ >= waitingSince_) {
            waitingSince_ = oldestWrittenAt_;
        }
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

void LineConversation::ReadAvailable() {
    if (!socket_) {
        return;
    }
    const QByteArray bytes = socket_->readAll();
    if (bytes.isEmpty()) {
        return;
    }
    heardAt_ = Clock::now();
    const std::uint64_t epoch = socketEpoch_;
    for (const Line& line :
         lines_.Feed({bytes.constData(), static_cast<std::size_t>(bytes.size())})) {
        TakeLine(line);
        if (epoch != socketEpoch_) {
            return; // the rest belongs to a stream that is gone
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
    Notify({generation_, Notice::Kind::Ended, {}, {}, {}});
}

} // namespace skedula::wire
