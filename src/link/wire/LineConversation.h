// The common part of the conversation ports for radio-control servers that speak a line
// protocol over TCP (rigctld, gqrx), on the GUI thread's event loop: one connection; replies
// matched to the lines in the order they were written; exchanges bounded by the contract's
// 1000 ms; advise loops kept by polling, with one poll unanswered at a time; notices handed
// to the listener from the event loop. RigctldConversation and GqrxConversation derive from
// it: they write their protocol's lines, recognise its replies and say how lines may be
// paced. The connection and its lines are kept in LineStream.cpp.
#pragma once

#include "link/ConversationPort.h"
#include "link/wire/LineReader.h"
#include "link/wire/ProtocolText.h"
#include "link/wire/Reply.h"

#include <QTimer>

#include <chrono>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class QTcpSocket;

namespace skedula::wire {

struct Endpoint {
    std::string host;
    std::uint16_t port = 0;
};

struct Timings {
    std::chrono::milliseconds exchange{1000};    // connect, advise start, request
    std::chrono::milliseconds pollInterval{250}; // one round over the advised items
};

// A line to write, and what the protocol recognises its reply by (rigctld's echo name, the
// form of gqrx's reply).
struct OutLine {
    std::string text; // ends in "\n", never "\r\n"
    std::string_view expect;
};

enum class Pacing {
    // Every line is written at once; the server reads them all in turn (rigctld).
    Pipelined,
    // A line is written only once the one before it was answered, since the server takes
    // one line per arrival of data and leaves a second one that came with it unread until
    // more data comes (gqrx). A line left unanswered for the exchange bound means a stream
    // stalled or out of step: it is renewed as for a reply that does not fit, and a command
    // in flight is written again.
    OneLineAtATime,
};

class LineConversation : public ConversationPort {
public:
    ~LineConversation() override;
    LineConversation(const LineConversation&) = delete;
    LineConversation& operator=(const LineConversation&) = delete;

    void SetListener(ConversationListener* listener) final;
    // Only the contract's service and topic have a server; then the socket opens and the
    // protocol greets the server.
    bool Connect(const std::string& service, const std::string& topic) final;
    bool StartAdvise(const std::string& item) final;
    std::optional<std::string> Request(const std::string& item) final;
    bool Execute(const std::string& command) final;
    void Disconnect() final;
    std::optional<double> LevelDb(const std::string& item) const final;

protected:
    enum class Purpose { Exchange, Poll, Command };
    // A line written whose reply is still to come.
    struct Pending {
        std::uint64_t id;
        Purpose purpose;
        std::string_view expect;
        std::string text;
    };

    LineConversation(Endpoint endpoint, Timings timings, Pacing pacing);

    // The protocol's part.
    virtual OutLine QueryLine(Query query) const = 0;
    // Nothing when the command must not reach the server.
    virtual std::optional<OutLine> CommandLine(const std::string& command) const = 0;
    // The item text in a reply to the query; nothing when the reply does not give one.
    virtual std::optional<std::string> ItemText(Query query, const Reply& reply) = 0;
    // The level in dB relative to S9 behind the S-meter text of a reply.
    virtual std::optional<double> ItemLevelDb(Query query, const Reply& reply) const = 0;
    // Every line received, in order. The protocol matches it against Unanswered() and hands
    // completed replies to Answer().
    virtual void TakeLine(const Line& line) = 0;
    // A new connection begins: a reply in progress on the old one is gone.
    virtual void ForgetReplies() = 0;
    // Runs once the socket of a new conversation is open; false fails the connect.
    virtual bool Greet() { return true; }

    const std::deque<Pending>& Unanswered() const { return pending_; }
    // The reply to the line at this place; the lines before it will never get theirs and
    // fail.
    void Answer(std::size_t index, const Reply& reply);
    // Writes a line and waits for its reply, never longer than the exchange bound.
    std::optional<Reply> Exchange(const OutLine& line);
    // Replaces the connection by a new one to the same server, for a stream that can no
    // longer be matched to our lines: the oldest unanswered line got a reply that does not
    // fit. That line fails, and so does every later one written except the commands, which
    // are written again on the new connection, since the old one may have dropped them
    // unread; lines not yet written follow them. The listener learns nothing unless the new
    // connection cannot be made.
    void Resynchronise();

    const Endpoint& Where() const { return endpoint_; }
    const Timings& Bounds() const { return timings_; }
    // Connects without a name lookup when the host is an address, since a lookup could take
    // longer than our bound.
    static void ConnectTo(QTcpSocket& socket, const Endpoint& endpoint);
    // Whole milliseconds, rounded down: a wait must end by its deadline, not just after it.
    static int Milliseconds(std::chrono::steady_clock::duration duration);

private:
    struct AdvisedQuery {
        std::string item;
        Query query;
        std::optional<std::string> lastText;
    };
    struct Notice {
        std::uint64_t generation;
        bool ended;
        std::string item;
        std::string text;
        std::optional<double> level;
        // Only the level behind an unchanged text moved: the listener hears nothing.
        bool levelOnly = false;
    };

    bool Usable() const;
    bool OpenSocket();
    void RetireSocket();
    // oldestAnswered: the oldest line got its reply, however bad, and is not written again.
    void Renew(bool oldestAnswered);
    // Renews a stream whose line in flight has gone unanswered for the exchange bound.
    void CheckStall();
    std::optional<std::uint64_t> Send(const OutLine& line, Purpose purpose);
    bool Write(const Pending& pending);
    void WriteWaiting();
    void LimitUnanswered();
    std::optional<std::string> Ask(const std::string& item, bool advise);
    void ReadAvailable();
    void Deliver(const Pending& pending, const Reply* reply);
    void PollTick();
    void SendNextPoll();
    void PollAnswered(const Reply* reply);
    void RememberText(const std::string& item, const std::string& text);
    void ConnectionLost();
    void EndConversation(std::deque<Pending> unanswered);
    void DropConnection();
    void Notify(Notice notice);
    void FlushNotices();

    Endpoint endpoint_;
    Timings timings_;
    ConversationListener* listener_ = nullptr;

    Pacing pacing_;
    std::unique_ptr<QTcpSocket> socket_;
    // A socket replaced from inside one of its own signals lives until the next replacement.
    std::unique_ptr<QTcpSocket> retired_;
    bool lost_ = false;
    LineReader lines_;
    std::deque<Pending> pending_; // written, in order
    std::deque<Pending> waiting_; // not yet written, one line at a time
    std::chrono::steady_clock::time_point oldestWrittenAt_;
    std::uint64_t nextId_ = 1;
    std::uint64_t exchangeId_ = 0;
    std::optional<Reply> exchangeReply_;
    bool exchangeDone_ = false;

    std::vector<AdvisedQuery> advised_;
    // The level behind the S-meter text the listener holds.
    std::optional<double> sMeterLevel_;
    std::size_t pollIndex_ = 0;
    std::uint64_t pollId_ = 0;
    QTimer pollTimer_;

    // Bumped whenever a socket is replaced: bytes read from an old one are dropped.
    std::uint64_t socketEpoch_ = 0;
    // Bumped whenever the conversation ends, so that notices of an old one are dropped.
    std::uint64_t generation_ = 0;
    std::vector<Notice> notices_;
    QTimer flushTimer_;
};

} // namespace skedula::wire
