#include "link/rigctld/RigctldConversation.h"

#include "link/RadioContract.h"

#include <QHostAddress>
#include <QTcpSocket>

#include <algorithm>
#include <utility>

namespace skedula {

namespace {

using Clock = std::chrono::steady_clock;
using rigctld::Reply;

// Lines whose replies are this far behind are given up: the server is not answering.
constexpr std::size_t MaxPending = 64;
// Commands are refused while this much is still unsent: the server stopped reading.
constexpr qint64 MaxUnsentBytes = 64 * 1024;
// The longest single wait on the socket inside an exchange.
constexpr int MaxWaitSliceMs = 100;
// Between two probes of a starting server's port.
constexpr std::chrono::milliseconds ProbePause{20};
// After the probe that found the server ready, before the conversation's own connect.
constexpr std::chrono::milliseconds ProbeSettle{50};

// Whole milliseconds, rounded down: a wait must end by its deadline, not just after it.
int Milliseconds(Clock::duration duration) {
    return static_cast<int>(
        std::max<long long>(0, std::chrono::floor<std::chrono::milliseconds>(duration).count()));
}

// rigctld listens before it has opened the radio and serves only once that is done (or
// leaves when it fails, a few seconds later): a server is ready when it answers a command
// that does not reach the radio, not when its port accepts.
bool Answers(QTcpSocket& probe, Clock::time_point deadline) {
    probe.write("\\chk_vfo\n");
    probe.flush();
    while (probe.state() == QAbstractSocket::ConnectedState) {
        const int left = Milliseconds(deadline - Clock::now());
        if (left <= 0) {
            return false;
        }
        if (probe.waitForReadyRead(std::min(left, MaxWaitSliceMs))) {
            return true;
        }
    }
    return false;
}

void ConnectTo(QTcpSocket& socket, const RigctldEndpoint& endpoint) {
    // An address literal needs no name lookup, which could take longer than our bound.
    const QString host = QString::fromStdString(endpoint.host);
    const QHostAddress address(host);
    if (address.isNull()) {
        socket.connectToHost(host, endpoint.port);
    } else {
        socket.connectToHost(address, endpoint.port);
    }
}

} // namespace

RigctldConversation::RigctldConversation(RigctldEndpoint endpoint, RigctldTimings timings)
    : endpoint_(std::move(endpoint)), timings_(timings) {
    pollTimer_.setInterval(timings_.pollInterval);
    QObject::connect(&pollTimer_, &QTimer::timeout, [this] { PollTick(); });
    flushTimer_.setSingleShot(true);
    flushTimer_.setInterval(0);
    QObject::connect(&flushTimer_, &QTimer::timeout, [this] { FlushNotices(); });
}

RigctldConversation::~RigctldConversation() {
    DropConnection();
    server_.Stop();
}

std::vector<std::string> RigctldConversation::ServerArguments(const RigctldEndpoint& endpoint) {
    return {"rigctld", "-T", endpoint.host, "-t", std::to_string(endpoint.port)};
}

void RigctldConversation::SetListener(ConversationListener* listener) {
    listener_ = listener;
}

bool RigctldConversation::Connect(const std::string& service, const std::string& topic) {
    DropConnection();
    // rigctld offers exactly one service and topic.
    if (service != contract::Service || topic != contract::Topic) {
        return false;
    }
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
    return true;
}

bool RigctldConversation::StartAdvise(const std::string& item) {
    return Ask(item, true).has_value();
}

std::optional<std::string> RigctldConversation::Request(const std::string& item) {
    return Ask(item, false);
}

bool RigctldConversation::Execute(const std::string& command) {
    const std::optional<rigctld::WireLine> wire = rigctld::CommandLine(command);
    if (!wire || !Usable() || socket_->bytesToWrite() > MaxUnsentBytes) {
        return false;
    }
    return Send(*wire, Purpose::Command).has_value();
}

void RigctldConversation::Disconnect() {
    DropConnection();
}

bool RigctldConversation::StartServer(const std::vector<std::string>& arguments) {
    if (!serverStartAllowed_) {
        return false;
    }
    // One bound for starting the program and for its port to accept.
    const Clock::time_point deadline = Clock::now() + timings_.serverStart;
    return server_.Start(arguments, timings_.serverStart) && WaitForPort(deadline);
}

bool RigctldConversation::Usable() const {
    return socket_ != nullptr && !lost_ && socket_->state() == QAbstractSocket::ConnectedState;
}

std::optional<std::uint64_t> RigctldConversation::Send(const rigctld::WireLine& wire,
                                                       Purpose purpose) {
    const auto size = static_cast<qint64>(wire.line.size());
    if (socket_->write(wire.line.data(), size) != size) {
        return std::nullopt;
    }
    // Hand the bytes to the kernel now rather than at the next turn of the event loop.
    socket_->flush();
    const std::uint64_t id = nextId_++;
    pending_.push_back({id, wire.echoName, purpose});
    while (pending_.size() > MaxPending) {
        const Pending oldest = pending_.front();
        pending_.pop_front();
        Deliver(oldest, nullptr);
    }
    return id;
}

std::optional<Reply> RigctldConversation::Exchange(const rigctld::WireLine& wire) {
    const Clock::time_point deadline = Clock::now() + timings_.exchange;
    const std::optional<std::uint64_t> id = Send(wire, Purpose::Exchange);
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
        return std::nullopt;
    }
    return std::exchange(exchangeReply_, std::nullopt);
}

std::optional<std::string> RigctldConversation::Ask(const std::string& item, bool advise) {
    const std::optional<rigctld::Query> query = rigctld::QueryForItem(item);
    if (!query || !Usable()) {
        return std::nullopt;
    }
    const std::optional<Reply> reply = Exchange(rigctld::QueryLine(*query));
    if (!reply) {
        return std::nullopt;
    }
    // A server that answers with an error or something unreadable does not serve the item.
    std::optional<std::string> text = rigctld::ItemText(*query, *reply);
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

void RigctldConversation::ReadAvailable() {
    if (!socket_) {
        return;
    }
    const QByteArray bytes = socket_->readAll();
    if (bytes.isEmpty()) {
        return;
    }
    const std::uint64_t generation = generation_;
    for (const Reply& reply :
         reader_.Feed({bytes.constData(), static_cast<std::size_t>(bytes.size())})) {
        if (generation != generation_) {
            return;
        }
        Match(reply);
    }
}

void RigctldConversation::Match(const Reply& reply) {
    if (reply.echoName.empty()) {
        // A bare "RPRT n" answers the oldest line; anything else without an echo is noise.
        if (reply.result == Reply::Broken || !reply.values.empty() || pending_.empty()) {
            return;
        }
        const Pending head = pending_.front();
        pending_.pop_front();
        Deliver(head, &reply);
        return;
    }
    const auto match = std::find_if(pending_.begin(), pending_.end(), [&](const Pending& pending) {
        return pending.echoName == reply.echoName;
    });
    if (match == pending_.end()) {
        return; // an answer to nothing we asked
    }
    // Lines before the matching one will never get their answer: fail them and stay in step.
    const auto skipped = static_cast<std::size_t>(match - pending_.begin());
    for (std::size_t i = 0; i < skipped; ++i) {
        const Pending lost = pending_.front();
        pending_.pop_front();
        Deliver(lost, nullptr);
    }
    const Pending matched = pending_.front();
    pending_.pop_front();
    Deliver(matched, &reply);
}

void RigctldConversation::Deliver(const Pending& pending, const Reply* reply) {
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

void RigctldConversation::PollTick() {
    if (!Usable()) {
        return;
    }
    if (pollId_ != 0) {
        // One line in flight: wait for it, but not longer than any exchange may take.
        if (Clock::now() - pollSentAt_ < timings_.exchange) {
            return;
        }
        PollAnswered(nullptr);
        return;
    }
    pollIndex_ = 0;
    SendNextPoll();
}

void RigctldConversation::SendNextPoll() {
    pollId_ = 0;
    if (pollIndex_ >= advised_.size() || !Usable()) {
        return;
    }
    pollSentAt_ = Clock::now();
    pollId_ = Send(rigctld::QueryLine(advised_[pollIndex_].query), Purpose::Poll).value_or(0);
}

void RigctldConversation::PollAnswered(const Reply* reply) {
    if (pollIndex_ < advised_.size() && reply != nullptr) {
        AdvisedQuery& advised = advised_[pollIndex_];
        std::optional<std::string> text = rigctld::ItemText(advised.query, *reply);
        if (text && text != advised.lastText) {
            advised.lastText = text;
            Notify({generation_, false, advised.item, *text});
        }
    }
    ++pollIndex_;
    SendNextPoll();
}

void RigctldConversation::RememberText(const std::string& item, const std::string& text) {
    for (AdvisedQuery& advised : advised_) {
        if (advised.item == item) {
            advised.lastText = text;
        }
    }
}

void RigctldConversation::ConnectionLost() {
    if (!socket_ || lost_) {
        return;
    }
    lost_ = true;
    pollTimer_.stop();
    std::deque<Pending> unanswered;
    unanswered.swap(pending_);
    for (const Pending& pending : unanswered) {
        Deliver(pending, nullptr);
    }
    Notify({generation_, true, {}, {}});
}

void RigctldConversation::DropConnection() {
    ++generation_;
    pollTimer_.stop();
    if (socket_) {
        // Our own close is no news to the listener.
        QObject::disconnect(socket_.get(), nullptr, nullptr, nullptr);
        socket_->abort();
        socket_.reset();
    }
    lost_ = false;
    reader_.Reset();
    pending_.clear();
    exchangeId_ = 0;
    exchangeReply_.reset();
    exchangeDone_ = false;
    advised_.clear();
    pollIndex_ = 0;
    pollId_ = 0;
}

void RigctldConversation::Notify(Notice notice) {
    // Delivered from the event loop, never from inside a socket signal or one of our calls.
    notices_.push_back(std::move(notice));
    if (!flushTimer_.isActive()) {
        flushTimer_.start();
    }
}

void RigctldConversation::FlushNotices() {
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

bool RigctldConversation::WaitForPort(std::chrono::steady_clock::time_point deadline) {
    while (true) {
        QTcpSocket probe;
        ConnectTo(probe, endpoint_);
        const Clock::duration left = deadline - Clock::now();
        if (probe.waitForConnected(std::max(1, Milliseconds(left))) && Answers(probe, deadline)) {
            probe.abort();
            // rigctld (Hamlib 4.5) now and then resets a connection that arrives while it is
            // still ending the one before: let it end the probe's first.
            server_.WaitForExit(std::min(
                ProbeSettle,
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now())));
            return server_.Running();
        }
        probe.abort();
        const int pause =
            std::min(Milliseconds(deadline - Clock::now()), static_cast<int>(ProbePause.count()));
        if (!server_.Running() || pause <= 0) {
            return false;
        }
        server_.WaitForExit(std::chrono::milliseconds(pause));
    }
}

} // namespace skedula
