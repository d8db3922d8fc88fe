// The conversation port spoken over Hamlib's rigctld network protocol, on the GUI thread's
// event loop. Service "HRD_RADIO_000" and topic "HRD_CAT" are rigctld's TCP port; the three
// items are its frequency, mode and S-meter queries; advise loops are kept by polling.
// The composition root creates one and hands it to the receiver link.
#pragma once

#include "link/ConversationPort.h"
#include "link/rigctld/ReplyReader.h"
#include "link/rigctld/RigctldProtocol.h"
#include "link/rigctld/ServerProcess.h"

#include <QTimer>

#include <chrono>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QTcpSocket;

namespace skedula {

struct RigctldEndpoint {
    std::string host = "127.0.0.1";
    std::uint16_t port = 4532;
};

// The contract's bounds; tests shorten them to keep a silent server from slowing the run.
struct RigctldTimings {
    std::chrono::milliseconds exchange{1000};    // connect, advise start, request
    std::chrono::milliseconds pollInterval{250}; // one round over the advised items
    std::chrono::milliseconds serverStart{3000}; // until a started server answers
};

class RigctldConversation final : public ConversationPort {
public:
    explicit RigctldConversation(RigctldEndpoint endpoint = {}, RigctldTimings timings = {});
    // Closes the connection and ends a server that this object started.
    ~RigctldConversation() override;
    RigctldConversation(const RigctldConversation&) = delete;
    RigctldConversation& operator=(const RigctldConversation&) = delete;

    // The link's ServiceApplication for Hamlib's dummy radio at this endpoint:
    // {"rigctld", "-T", "127.0.0.1", "-t", "4532"}. Listening on loopback only keeps the radio
    // off the network.
    static std::vector<std::string> ServerArguments(const RigctldEndpoint& endpoint);

    // The server this object started, to tell why a start or an open failed.
    const ServerProcess& Server() const { return server_; }
    // With false, StartServer starts nothing and fails: for a rigctld on another computer.
    void SetServerStartAllowed(bool allowed) { serverStartAllowed_ = allowed; }

    void SetListener(ConversationListener* listener) override;
    bool Connect(const std::string& service, const std::string& topic) override;
    bool StartAdvise(const std::string& item) override;
    std::optional<std::string> Request(const std::string& item) override;
    bool Execute(const std::string& command) override;
    void Disconnect() override;
    bool StartServer(const std::vector<std::string>& arguments) override;

private:
    enum class Purpose { Exchange, Poll, Command };
    // A line written whose reply is still to come; replies arrive in the order of the lines.
    struct Pending {
        std::uint64_t id;
        std::string_view echoName;
        Purpose purpose;
    };
    struct AdvisedQuery {
        std::string item;
        rigctld::Query query;
        std::optional<std::string> lastText;
    };
    struct Notice {
        std::uint64_t generation;
        bool ended;
        std::string item;
        std::string text;
    };

    bool Usable() const;
    std::optional<std::uint64_t> Send(const rigctld::WireLine& wire, Purpose purpose);
    std::optional<rigctld::Reply> Exchange(const rigctld::WireLine& wire);
    std::optional<std::string> Ask(const std::string& item, bool advise);
    void ReadAvailable();
    void Match(const rigctld::Reply& reply);
    void Deliver(const Pending& pending, const rigctld::Reply* reply);
    void PollTick();
    void SendNextPoll();
    void PollAnswered(const rigctld::Reply* reply);
    void RememberText(const std::string& item, const std::string& text);
    void ConnectionLost();
    void DropConnection();
    void Notify(Notice notice);
    void FlushNotices();
    bool WaitForPort(std::chrono::steady_clock::time_point deadline);

    RigctldEndpoint endpoint_;
    RigctldTimings timings_;
    ConversationListener* listener_ = nullptr;

    std::unique_ptr<QTcpSocket> socket_;
    bool lost_ = false;
    rigctld::ReplyReader reader_;
    std::deque<Pending> pending_;
    std::uint64_t nextId_ = 1;
    std::uint64_t exchangeId_ = 0;
    std::optional<rigctld::Reply> exchangeReply_;
    bool exchangeDone_ = false;

    std::vector<AdvisedQuery> advised_;
    std::size_t pollIndex_ = 0;
    std::uint64_t pollId_ = 0;
    std::chrono::steady_clock::time_point pollSentAt_;
    QTimer pollTimer_;

    // Bumped whenever the connection is replaced, so that notices of an old one are dropped.
    std::uint64_t generation_ = 0;
    std::vector<Notice> notices_;
    QTimer flushTimer_;

    ServerProcess server_;
    bool serverStartAllowed_ = true;
};

} // namespace skedula
