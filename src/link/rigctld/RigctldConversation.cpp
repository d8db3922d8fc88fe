#include "link/rigctld/RigctldConversation.h"

#include <QTcpSocket>

#include <algorithm>
#include <utility>

namespace skedula {

namespace {

using Clock = std::chrono::steady_clock;
using wire::Reply;

// Between two probes of a starting server's port.
constexpr std::chrono::milliseconds ProbePause{20};

wire::OutLine Out(const rigctld::WireLine& line) {
    return {line.line, line.echoName};
}

} // namespace

RigctldConversation::RigctldConversation(RigctldEndpoint endpoint, RigctldTimings timings)
    : LineConversation({std::move(endpoint.host), endpoint.port},
                       {timings.exchange, timings.pollInterval}, wire::Pacing::Pipelined),
      serverStart_(timings.serverStart) {}

RigctldConversation::~RigctldConversation() {
    Disconnect();
    server_.Stop();
}

std::vector<std::string> RigctldConversation::ServerArguments(const RigctldEndpoint& endpoint) {
    return {"rigctld", "-T", endpoint.host, "-t", std::to_string(endpoint.port)};
}

bool RigctldConversation::StartServer(const std::vector<std::string>& arguments) {
    if (!serverStartAllowed_) {
        return false;
    }
    // One bound for starting the program and for its port to accept.
    const Clock::time_point deadline = Clock::now() + serverStart_;
    return server_.Start(arguments, serverStart_) && WaitForPort(deadline);
}

wire::OutLine RigctldConversation::QueryLine(wire::Query query) const {
    return Out(rigctld::QueryLine(query));
}

std::optional<wire::OutLine> RigctldConversation::CommandLine(const std::string& command) const {
    const std::optional<rigctld::WireLine> line = rigctld::CommandLine(command);
    return line ? std::optional(Out(*line)) : std::nullopt;
}

std::optional<std::string> RigctldConversation::ItemText(wire::Query query, const Reply& reply) {
    return rigctld::ItemText(query, reply);
}

void RigctldConversation::TakeLine(const wire::Line& line) {
    if (std::optional<Reply> reply = reader_.Take(line)) {
        Match(*reply);
    }
}

void RigctldConversation::ForgetReplies() {
    reader_.Reset();
}

void RigctldConversation::Match(const Reply& reply) {
    const auto& unanswered = Unanswered();
    if (reply.echoName.empty()) {
        // A bare "RPRT n" answers the oldest line; anything else without an echo is noise.
        if (reply.result != Reply::Broken && reply.values.empty() && !unanswered.empty()) {
            Answer(0, reply);
        }
        return;
    }
    // Lines before the one whose echo came will never get their answer: they fail, and the
    // stream stays in step.
    const auto match =
        std::find_if(unanswered.begin(), unanswered.end(),
                     [&](const Pending& pending) { return pending.expect == reply.echoName; });
    if (match != unanswered.end()) {
        Answer(static_cast<std::size_t>(match - unanswered.begin()), reply);
    }
}

bool RigctldConversation::WaitForPort(std::chrono::steady_clock::time_point deadline) {
    while (true) {
        QTcpSocket probe;
        ConnectTo(probe, Where());
        const Clock::duration left = deadline - Clock::now();
        if (probe.waitForConnected(std::max(1, Milliseconds(left)))) {
            probe.abort();
            return true;
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
