// The common part of the conversation ports for radio-control servers that speak a line
// protocol over TCP (rigctld, gqrx), on the GUI thread's event loop: one connection; replies
// matched to the lines in the order they were written; exchanges bounded by the contract's
// 1000 ms; advise loops kept by polling, with one poll unanswered at a time, for as long as
// the conversation is open; a server silent for too long taken as gone; notices handed to the
// listener from the event loop. RigctldConversation and GqrxConversation derive from it: they
// write their protocol's lines, recognise its replies and say how lines may be paced. The
// connection and its lines are kept in LineStream.cpp.
#pragma once

#include "link/ConversationPort.h"
#include "link/Endpoint.h"
#include "link/wire/HostLookup.h"
#include "link/wire/LineReader.h"
#include "link/wire/ProtocolText.h"
#include "link/wire/Reply.h"

#include <QHostAddress>
#include <QList>
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

// The contract's bounds and the program's own; tests shorten them to keep a silent server from
// slowing the run.
struct Timings {
    // A name lookup, a connect, an advise start, a request.
    std::chrono::milliseconds exchange{1000};
    // One round over the advised items.
    std::chrono::milliseconds pollInterval{250};
    // A server that answers nothing this long while a line waits for its reply has gone (a
    // computer without power, a hung process): the kernel would take many minutes to say so.
    // A slow radio, or rigctld retrying it for a few seconds, stays well below.
    std::chrono::milliseconds silence{10000};
    // Until a server that we started answers (rigctld).
    std::chrono::milliseconds serverStart{3000};
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
    using Clock = std::chrono::steady_clock;

    ~LineConversation() override;
    LineConversation(const LineConversation&) = delete;
    LineConversation& operator=(const LineConversation&) = delete;

    void SetListener(ConversationListener* listener) final;
    // Only the contract's service and topic have a server; then the host is looked up, the
    // socket opens and the protocol greets the server.
    bool Connect(const std::string& service, const std::string& topic) final;
    // The item is polled from now on, for as long as the conversation is open, whatever the
    // server answers now: only a server that does not know the query at all refuses it.
    bool StartAdvise(const std::string& item) final;
    // Nothing when the answer is late or lost; when the server failed the query, the listener
    // is also told so.
    std::optional<std::string> Request(const std::string& item) final;
    bool Execute(const std::string& command) final;
    void Disconnect() final;
    std::optional<double> LevelDb(const std::string& item) const final;

    // Whether the last Connect failed because the host name was not found in time.
    bool HostNotFound() const { return hostNotFound_; }
    // Until cleared, no wait of this conversation (a lookup, a connect, an exchange, a started
    // server's first answer) goes past this moment: a try to reconnect then holds the window
    // no longer than it allows.
    void LimitWaits(std::optional<Clock::time_point> until) { waitLimit_ = until; }

protected:
    enum class Purpose { Exchange, Poll, Command };
    // A line written whose reply is still to come.
    struct Pending {
        std::uint64_t id;
        Purpose purpose;
        std::string_view expect;
        std::string text;
    };

    LineConversation(Endpoint endpoint, Timings timings, Pacing pacing, Resolver resolver);

    // The protocol's part.
    virtual OutLine QueryLine(Query query) const = 0;
    // Nothing when the command must not reach the server.
    virtual std::optional<OutLine> CommandLine(const std::string& command) const = 0;
    // The item text in a reply to the query; nothing when the reply does not give one.
    virtual std::optional<std::string> ItemText(Query query, const Reply& reply) = 0;
    // The level in dB relative to S9 behind the S-meter text of a reply.
    virtual std::optional<double> ItemLevelDb(Query query, const Reply& reply) const = 0;
    // Whether the reply says that the server does not know the query at all (rather than
    // failing it this time).
    virtual bool Unknown(const Reply& reply) const = 0;
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

    // Now plus the bound, or the limit of LimitWaits when that comes first.
    Clock::time_point Deadline(std::chrono::milliseconds bound) const;
    const Timings& Bounds() const { return timings_; }
    // Connects the socket to the host found by the last Connect, trying its addresses in
    // turn until one accepts or the deadline passes.
    bool ConnectSocket(QTcpSocket& socket, Clock::time_point deadline) const;
    // Whole milliseconds, rounded down: a wait must end by its deadline, not just after it.
    static int Milliseconds(Clock::duration duration);

private:
    struct AdvisedQuery {
        std::string item;
        Query query;
        // The text the listener holds from this conversation: announced or handed back by
        // Request. Nothing before the first, and after a failure.
        std::optional<std::string> delivered;
    };
    struct Notice {
        enum class Kind { Value, Failure, Ended };
        std::uint64_t generation;
        Kind kind;
        std::string item;
        std::string text;
        std::optional<double> level;
    };

    bool Usable() const;
    bool OpenSocket();
    void RetireSocket();
    // oldestAnswered: the oldest line got its reply, however bad, and is not written again.
    void Renew(bool oldestAnswered);
    // Renews a stream whose line in flight has gone unanswered for the exchange bound.
    void CheckStall();
    // Ends the conversation when the server has said nothing for the silence bound while a
    // line waits for its reply.
    void CheckSilence();
    std::optional<std::uint64_t> Send(const OutLine& line, Purpose purpose);
    bool Write(const Pending& pending);
    void WriteWaiting();
    void LimitUnanswered();
    void ReadAvailable();
    void Deliver(const Pending& pending, const Reply* reply);
    void PollTick();
    void SendNextPoll();
    void PollAnswered(const Reply* reply);
    AdvisedQuery* Advised(const std::string& item);
    void ConnectionLost();
    void EndConversation(std::deque<Pending> unanswered);
    void DropConnection();
    void Notify(Notice notice);
    void FlushNotices();

    Endpoint endpoint_;
    Timings timings_;
    Resolver resolver_;
    ConversationListener* listener_ = nullptr;
    // The host's addresses, as the last Connect found them.
    QList<QHostAddress> addresses_;
    bool hostNotFound_ = false;
    std::optional<Clock::time_point> waitLimit_;

    Pacing pacing_;
    std::unique_ptr<QTcpSocket> socket_;
    // A socket replaced from inside one of its own signals lives until the next replacement.
    std::unique_ptr<QTcpSocket> retired_;
    bool lost_ = false;
    LineReader lines_;
    std::deque<Pending> pending_; // written, in order
    std::deque<Pending> waiting_; // not yet written, one line at a time
    Clock::time_point oldestWrittenAt_;
    // When the server last sent us anything, and since when a line has been waiting for a
    // reply with nothing heard before it: the server's silence counts from the later one.
    Clock::time_point heardAt_;
    Clock::time_point waitingSince_;
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
