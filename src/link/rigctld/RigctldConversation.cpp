#include "link/rigctld/RigctldConversation.h"

#include <QTcpSocket>

#include <algorithm>
#include <utility>

namespace skedula {

namespace {

using wire::Reply;

// Between two probes of a starting server's port.
constexpr std::chrono::milliseconds ProbePause{20};
// After the probe that found the server ready, before the conversation's own connect.
constexpr std::chrono::milliseconds ProbeSettle{50};
// The longest single wait for the probe's answer.
constexpr int MaxProbeWaitMs = 100;

wire::OutLine Out(const rigctld::WireLine& line) {
    return {line.line, line.echoName};
}

} // namespace

RigctldConversation::RigctldConversation(Endpoint endpoint, wire::Timings timings,
                                         wire::Resolver resolver)
    : LineConversation(std::move(endpoint), timings, wire::Pacing::Pipelined, std::move(resolver)) {
}

RigctldConversation::~RigctldConversation() {
    Disconnect();
    server_.Stop();
}

bool RigctldConversation::StartServer(const std::vector<std::string>& arguments) {
    if (!serverStartAllowed_) {
        return false;
    }
    // One bound for starting the program and for its port to accept.
    const Clock::time_point deadline = Deadline(Bounds().serverStart);
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    return server_.Start(arguments, std::max(left, std::chrono::milliseconds(1))) &&
           WaitForPort(deadline);
}

bool RigctldConversation::Greet() {
    return Exchange(Out(rigctld::GreetLine())).has_value();
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

std::optional<double> RigctldConversation::ItemLevelDb(wire::Query query,
                                                       const Reply& reply) const {
    return rigctld::LevelDb(query, reply);
}

bool RigctldConversation::Unknown(const Reply& reply) const {
    return rigctld::Unknown(reply);
}

void RigctldConversation::TakeLine(const wire::Line& line) {
    const auto& unanswered = Unanswered();
    if (!unanswered.empty() && unanswered.front().expect == rigctld::GreetLine().echoName) {
        // The greeting is the first line of a connection, and its answer a bare value: any
        // line is that answer.
        Reply greeted;
        greeted.result = 0;
        greeted.values.push_back(line.text);
        Answer(0, greeted);
        return;
    }
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

bool RigctldConversation::ServerAnswers(QTcpSocket& probe, Clock::time_point deadline) {
    // rigctld listens before it has opened the radio and serves only once that is done (or
    // leaves when it fails, a few seconds later): a server is ready when it answers a command
    // that does not reach the radio, not when its port accepts.
    probe.write(rigctld::GreetLine().line.c_str());
    probe.flush();
    while (probe.state() == QAbstractSocket::ConnectedState) {
        const int left = Milliseconds(deadline - Clock::now());
        if (left <= 0) {
            return false;
        }
        if (probe.waitForReadyRead(std::min(left, MaxProbeWaitMs))) {
            return true;
        }
    }
    return false;
}

bool RigctldConversation::WaitForPort(Clock::time_point deadline) {
    while (true) {
        QTcpSocket probe;
        if (ConnectSocket(probe, deadline) && ServerAnswers(probe, deadline)) {
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
