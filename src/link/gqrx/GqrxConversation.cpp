#include "link/gqrx/GqrxConversation.h"

#include <utility>

namespace skedula {

namespace {

wire::OutLine Out(const gqrx::WireLine& line) {
    return {line.line, line.form};
}

} // namespace

GqrxConversation::GqrxConversation(Endpoint endpoint, double s9Dbfs, wire::Timings timings,
                                   wire::Resolver resolver)
    // gqrx takes one line per arrival of data: two lines that reach it together would leave
    // the second unanswered until a third comes, and every reply one line late from then on.
    : LineConversation(std::move(endpoint), timings, wire::Pacing::OneLineAtATime,
                       std::move(resolver)),
      s9Dbfs_(s9Dbfs) {}

GqrxConversation::~GqrxConversation() {
    Disconnect();
}

std::optional<double> GqrxConversation::LastLevelDbfs() const {
    if (!lastLevel_) {
        return std::nullopt;
    }
    return static_cast<double>(*lastLevel_) / 1000.0;
}

bool GqrxConversation::StartServer(const std::vector<std::string>&) {
    return false;
}

wire::OutLine GqrxConversation::QueryLine(wire::Query query) const {
    return Out(gqrx::QueryLine(query));
}

std::optional<wire::OutLine> GqrxConversation::CommandLine(const std::string& command) const {
    const std::optional<gqrx::WireLine> line = gqrx::CommandLine(command);
    return line ? std::optional(Out(*line)) : std::nullopt;
}

std::optional<std::string> GqrxConversation::ItemText(wire::Query query, const wire::Reply& reply) {
    if (query == wire::Query::SMeter && reply.Succeeded() && !reply.values.empty()) {
        if (const std::optional<long long> level = gqrx::LevelThousandths(reply.values.front())) {
            lastLevel_ = level;
        }
    }
    return gqrx::ItemText(query, reply, s9Dbfs_);
}

std::optional<double> GqrxConversation::ItemLevelDb(wire::Query query,
                                                    const wire::Reply& reply) const {
    return gqrx::LevelDb(query, reply, s9Dbfs_);
}

void GqrxConversation::TakeLine(const wire::Line& line) {
    const auto& unanswered = Unanswered();
    if (unanswered.empty()) {
        // gqrx says nothing unasked; a line after a complete reply cannot be placed, and
        // with nothing written there is no reply it could be mistaken for.
        collected_.clear();
        return;
    }
    gqrx::Fit fit = gqrx::Fit::Misfit;
    if (!line.overlong) {
        collected_.push_back(line.text);
        fit = gqrx::FitOf(unanswered.front().expect, collected_);
    }
    switch (fit) {
    case gqrx::Fit::Incomplete:
        return;
    case gqrx::Fit::Complete: {
        const wire::Reply reply = gqrx::ReplyOf(collected_);
        collected_.clear();
        Answer(0, reply);
        return;
    }
    case gqrx::Fit::Misfit:
        // Without echoes there is nothing in the stream to find our place again by: the
        // next line could belong to any reply. A new connection starts the stream afresh
        // (gqrx drops the old one itself when it arrives): the line in hand fails, and the
        // lines waiting behind it are written on the new connection.
        collected_.clear();
        Resynchronise();
        return;
    }
}

void GqrxConversation::ForgetReplies() {
    collected_.clear();
}

bool GqrxConversation::Greet() {
    lastLevel_.reset();
    dspStartedAt_.reset();
    // Only an answer shows that gqrx's remote control serves us: it accepts connections
    // from every address and may still refuse to talk.
    const std::optional<wire::Reply> state = Exchange(Out(gqrx::DspStateLine()));
    if (!state) {
        return false;
    }
    // A stopped receiver reads -200.0 dBFS and cannot be watched.
    if (state->Succeeded() && state->values == std::vector<std::string>{"0"}) {
        Exchange(Out(gqrx::DspStartLine()));
        dspStartedAt_ = std::chrono::steady_clock::now();
    }
    return true;
}

} // namespace skedula
