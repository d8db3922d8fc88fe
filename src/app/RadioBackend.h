// A radio-control program as the watch and "Testen" reach it: the conversation port to it,
// and why the last connect or server start failed, in the words "Testen" and the status
// field's tooltip use. Made from a radio choice by the one factory below, where each program
// is one case.
#pragma once

#include "link/ConversationPort.h"
#include "link/RadioChoice.h"
#include "link/gqrx/GqrxConversation.h"
#include "link/rigctld/RigctldConversation.h"

#include <chrono>
#include <memory>
#include <optional>
#include <string>

namespace skedula {

class RadioBackend : public ConversationPort {
public:
    // German, without a closing period; empty while nothing failed.
    virtual std::string FailureReason() const = 0;
    // The level in dBFS behind the last S-meter text, for a program whose S-meter Skedula
    // computes from it with the listener's calibration (gqrx); nothing for the others.
    virtual std::optional<double> LevelDbfs() const { return std::nullopt; }
    // The S-meter as "Testen" shows it: for a receiver that the connect has only just
    // switched on (gqrx with its DSP stopped), read once its level is the signal's.
    virtual std::optional<std::string> SettledSMeter();
    // Until cleared, no wait (a lookup, a connect, an exchange, a server's start) goes past
    // this moment: for a try to reconnect.
    virtual void LimitWaits(std::optional<std::chrono::steady_clock::time_point> until) {
        (void)until;
    }
    // Whether a server that this backend started runs.
    virtual bool ServerRuns() const { return false; }
};

// The bounds of the conversations a backend holds, and how it finds a host by its name;
// tests shorten the one and replace the other.
struct RadioTimings {
    wire::Timings link{};
    // How long gqrx's level is still not the signal's after its DSP was switched on: about
    // 200 ms measured with gqrx 2.15.9, and a margin for a busy machine.
    std::chrono::milliseconds gqrxDspSettle{1000};
    wire::Resolver resolver = wire::SystemResolver();
};

std::unique_ptr<RadioBackend> MakeRadioBackend(const RadioChoice& choice,
                                               const RadioTimings& timings);

// Stands for a program that cannot be reached at all (settings that are not valid, a program
// this build does not speak): nothing connects, nothing starts, and the reason is fixed.
std::unique_ptr<RadioBackend> MakeNoRadio(std::string reason);

} // namespace skedula
