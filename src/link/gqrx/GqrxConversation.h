// The conversation port spoken over gqrx's remote control (its rigctl-like TCP server), on
// the GUI thread's event loop. Service "HRD_RADIO_000" and topic "HRD_CAT" are gqrx's
// remote-control port; the three items are its plain frequency, mode and level queries, the
// level turned into an S-meter text with the listener's calibration. The composition root
// creates one for the "gqrx" radio choice; the radio dialog's test shows its raw level.
#pragma once

#include "link/gqrx/GqrxProtocol.h"
#include "link/wire/LineConversation.h"

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace skedula {

class GqrxConversation final : public wire::LineConversation {
public:
    // s9Dbfs: the level in dBFS that reads S9.
    GqrxConversation(Endpoint endpoint, double s9Dbfs, wire::Timings timings = {},
                     wire::Resolver resolver = wire::SystemResolver());
    ~GqrxConversation() override;

    // The level of the last S-meter reading as gqrx gave it, in dBFS; nothing before the
    // first reading of this conversation.
    std::optional<double> LastLevelDbfs() const;
    // When this conversation switched gqrx's stopped DSP on; nothing when it ran already. For
    // a moment after that the level is not yet the signal's: -200.0, then 0.0.
    std::optional<std::chrono::steady_clock::time_point> DspStartedAt() const {
        return dspStartedAt_;
    }

    // gqrx is the listener's own program, with its receiver set up by hand: Skedula never
    // starts it, so a gqrx that does not answer fails the open.
    bool StartServer(const std::vector<std::string>& arguments) override;

private:
    wire::OutLine QueryLine(wire::Query query) const override;
    std::optional<wire::OutLine> CommandLine(const std::string& command) const override;
    std::optional<std::string> ItemText(wire::Query query, const wire::Reply& reply) override;
    std::optional<double> ItemLevelDb(wire::Query query, const wire::Reply& reply) const override;
    // gqrx knows the three queries; its one error, "RPRT 1", is a failure.
    bool Unknown(const wire::Reply&) const override { return false; }
    void TakeLine(const wire::Line& line) override;
    void ForgetReplies() override;
    bool Greet() override;

    double s9Dbfs_;
    // The lines received so far of the reply to the oldest unanswered line.
    std::vector<std::string> collected_;
    std::optional<long long> lastLevel_;
    std::optional<std::chrono::steady_clock::time_point> dspStartedAt_;
};

} // namespace skedula
