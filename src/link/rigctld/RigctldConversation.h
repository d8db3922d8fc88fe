// The conversation port spoken over Hamlib's rigctld network protocol, on the GUI thread's
// event loop. Service "HRD_RADIO_000" and topic "HRD_CAT" are rigctld's TCP port; the three
// items are its frequency, mode and S-meter queries; advise loops are kept by polling.
// The composition root creates one and hands it to the receiver link.
#pragma once

#include "link/rigctld/ReplyReader.h"
#include "link/rigctld/RigctldProtocol.h"
#include "link/rigctld/ServerProcess.h"
#include "link/wire/LineConversation.h"

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

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

class RigctldConversation final : public wire::LineConversation {
public:
    explicit RigctldConversation(RigctldEndpoint endpoint = {}, RigctldTimings timings = {});
    // Closes the connection and ends a server that this object started.
    ~RigctldConversation() override;

    // The link's ServiceApplication for Hamlib's dummy radio at this endpoint:
    // {"rigctld", "-T", "127.0.0.1", "-t", "4532"}. Listening on loopback only keeps the radio
    // off the network.
    static std::vector<std::string> ServerArguments(const RigctldEndpoint& endpoint);

    // The server this object started, to tell why a start or an open failed.
    const ServerProcess& Server() const { return server_; }
    // With false, StartServer starts nothing and fails: for a rigctld on another computer.
    void SetServerStartAllowed(bool allowed) { serverStartAllowed_ = allowed; }

    bool StartServer(const std::vector<std::string>& arguments) override;

private:
    wire::OutLine QueryLine(wire::Query query) const override;
    std::optional<wire::OutLine> CommandLine(const std::string& command) const override;
    std::optional<std::string> ItemText(wire::Query query, const wire::Reply& reply) override;
    std::optional<double> ItemLevelDb(wire::Query query, const wire::Reply& reply) const override;
    void TakeLine(const wire::Line& line) override;
    void ForgetReplies() override;

    void Match(const wire::Reply& reply);
    bool WaitForPort(std::chrono::steady_clock::time_point deadline);
    static bool ServerAnswers(QTcpSocket& probe, std::chrono::steady_clock::time_point deadline);

    std::chrono::milliseconds serverStart_;
    rigctld::ReplyReader reader_;
    ServerProcess server_;
    bool serverStartAllowed_ = true;
};

} // namespace skedula
