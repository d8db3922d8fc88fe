// The conversation port spoken over Hamlib's rigctld network protocol, on the GUI thread's
// event loop. Service "HRD_RADIO_000" and topic "HRD_CAT" are rigctld's TCP port; the three
// items are its frequency, mode and S-meter queries; advise loops are kept by polling.
// The composition root creates one and hands it to the receiver link.
#pragma once

#include "link/rigctld/ReplyReader.h"
#include "link/rigctld/RigctldProtocol.h"
#include "link/rigctld/ServerProcess.h"
#include "link/wire/LineConversation.h"

#include <string>
#include <vector>

namespace skedula {

class RigctldConversation final : public wire::LineConversation {
public:
    explicit RigctldConversation(Endpoint endpoint = {"127.0.0.1", 4532},
                                 wire::Timings timings = {},
                                 wire::Resolver resolver = wire::SystemResolver());
    // Closes the connection and ends a server that this object started.
    ~RigctldConversation() override;

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
    bool Unknown(const wire::Reply& reply) const override;
    void TakeLine(const wire::Line& line) override;
    void ForgetReplies() override;
    // A rigctld that accepts connections but answers nothing (hung, or stopped) is no server.
    bool Greet() override;

    void Match(const wire::Reply& reply);
    bool WaitForPort(Clock::time_point deadline);
    static bool ServerAnswers(QTcpSocket& probe, Clock::time_point deadline);

    rigctld::ReplyReader reader_;
    ServerProcess server_;
    bool serverStartAllowed_ = true;
};

} // namespace skedula
