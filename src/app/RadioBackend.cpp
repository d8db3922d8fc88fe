#include "app/RadioBackend.h"

#include "app/SerialPorts.h"
#include "link/RadioContract.h"

#include <thread>

namespace skedula {

namespace {

// A backend over a conversation port of its own: the calls go to the port as they are, and a
// failed connect is told in the words of the program at hand.
class ForwardingBackend : public RadioBackend {
public:
    std::string FailureReason() const override { return reason_; }

    void SetListener(ConversationListener* listener) override { port_.SetListener(listener); }
    bool Connect(const std::string& service, const std::string& topic) override {
        const bool connected = port_.Connect(service, topic);
        reason_ = connected              ? ""
                  : port_.HostNotFound() ? "Rechnername " + host_ + " nicht gefunden"
                                         : NotAnswering();
        return connected;
    }
    bool StartAdvise(const std::string& item) override { return port_.StartAdvise(item); }
    std::optional<std::string> Request(const std::string& item) override {
        return port_.Request(item);
    }
    bool Execute(const std::string& command) override { return port_.Execute(command); }
    void Disconnect() override { port_.Disconnect(); }
    std::optional<double> LevelDb(const std::string& item) const override {
        return port_.LevelDb(item);
    }
    void LimitWaits(std::optional<std::chrono::steady_clock::time_point> until) override {
        port_.LimitWaits(until);
    }

protected:
    // The port is a member of the derived backend, not yet made when this runs: it is only
    // kept here, and used once the whole backend exists.
    ForwardingBackend(wire::LineConversation& port, std::string host)
        : port_(port), host_(std::move(host)) {}
    virtual std::string NotAnswering() const = 0;

    std::string reason_;

private:
    wire::LineConversation& port_;
    std::string host_;
};

// rigctld, started by Skedula for the dummy and for a radio, or reached on another computer.
class RigctldBackend final : public ForwardingBackend {
public:
    RigctldBackend(const RadioChoice& choice, const RadioTimings& timings)
        : ForwardingBackend(conversation_, EndpointOf(choice).host), choice_(choice),
          endpoint_(EndpointOf(choice)), conversation_(endpoint_, timings.link, timings.resolver) {
        conversation_.SetServerStartAllowed(StartsServer());
    }

    bool ServerRuns() const override { return conversation_.Server().Running(); }

    bool StartServer(const std::vector<std::string>& arguments) override {
        if (!StartsServer())
            return false; // a rigctld on another computer is the listener's to start
        // A device that rigctld cannot open would only make it retry for seconds and leave
        // with a terse complaint. The dummy opens none.
        if (const std::optional<std::string> problem = choice_.program == RadioProgram::Hamlib
                                                           ? DeviceProblem(choice_.device)
                                                           : std::nullopt) {
            reason_ = *problem;
            return false;
        }
        if (conversation_.StartServer(arguments))
            return true;
        reason_ = ServerFailure();
        return false;
    }

private:
    std::string NotAnswering() const override {
        return "Auf " + HostAndPort(endpoint_) + " antwortet kein rigctld";
    }

    bool StartsServer() const {
        return choice_.program == RadioProgram::Dummy || choice_.program == RadioProgram::Hamlib;
    }

    std::string ServerFailure() const {
        const ServerProcess& server = conversation_.Server();
        if (!server.StartFailure().empty())
            return "rigctld lässt sich nicht starten (ist libhamlib-utils installiert?): " +
                   server.StartFailure();
        const std::string complaint = server.LastErrorLine();
        if (const std::optional<int> code = server.ExitCode())
            return "rigctld hat sich mit Fehler " + std::to_string(*code) + " beendet" +
                   (complaint.empty() ? "" : ": " + complaint);
        if (server.Running())
            return "rigctld antwortet nicht auf " + HostAndPort(endpoint_) +
                   (complaint.empty() ? "" : ": " + complaint);
        return "rigctld wurde beendet" + (complaint.empty() ? "" : ": " + complaint);
    }

    RadioChoice choice_;
    Endpoint endpoint_;
    RigctldConversation conversation_;
};

// gqrx, the listener's SDR receiver, reached through its remote control. Skedula never starts
// it: gqrx holds the receiver's whole setup, which only the listener can make.
class GqrxBackend final : public ForwardingBackend {
public:
    GqrxBackend(const RadioChoice& choice, const RadioTimings& timings)
        : ForwardingBackend(conversation_, EndpointOf(choice).host), endpoint_(EndpointOf(choice)),
          conversation_(endpoint_, choice.s9Dbfs, timings.link, timings.resolver),
          settle_(timings.gqrxDspSettle) {}

    std::optional<double> LevelDbfs() const override { return conversation_.LastLevelDbfs(); }
    bool StartServer(const std::vector<std::string>&) override { return false; }

    std::optional<std::string> SettledSMeter() override {
        // A blocking wait: "Testen" holds the dialog anyway, and nothing else may run meanwhile.
        if (const auto started = conversation_.DspStartedAt())
            std::this_thread::sleep_until(*started + settle_);
        return RadioBackend::SettledSMeter();
    }

private:
    // gqrx accepts a connection from any address and then serves only its allowed hosts, so
    // a refused connection and a silent one look alike from here; the hint names both steps.
    std::string NotAnswering() const override {
        const bool here = endpoint_.host == "127.0.0.1" || endpoint_.host == "localhost";
        return "Die Fernsteuerung von gqrx antwortet nicht auf " + HostAndPort(endpoint_) +
               (here ? " (ist sie in gqrx unter Tools > Remote control eingeschaltet?)"
                     : " (ist sie in gqrx eingeschaltet, und steht die Adresse dieses Rechners "
                       "dort unter Allowed hosts?)");
    }

    Endpoint endpoint_;
    GqrxConversation conversation_;
    std::chrono::milliseconds settle_;
};

class NoRadio final : public RadioBackend {
public:
    explicit NoRadio(std::string reason) : reason_(std::move(reason)) {}

    std::string FailureReason() const override { return reason_; }
    void SetListener(ConversationListener*) override {}
    bool Connect(const std::string&, const std::string&) override { return false; }
    bool StartAdvise(const std::string&) override { return false; }
    std::optional<std::string> Request(const std::string&) override { return std::nullopt; }
    bool Execute(const std::string&) override { return false; }
    void Disconnect() override {}
    bool StartServer(const std::vector<std::string>&) override { return false; }

private:
    std::string reason_;
};

} // namespace

std::optional<std::string> RadioBackend::SettledSMeter() {
    return Request(std::string(contract::SMeterItem));
}

std::unique_ptr<RadioBackend> MakeRadioBackend(const RadioChoice& choice,
                                               const RadioTimings& timings) {
    switch (choice.program) {
    case RadioProgram::Dummy:
    case RadioProgram::Hamlib:
    case RadioProgram::Network:
        return std::make_unique<RigctldBackend>(choice, timings);
    case RadioProgram::Gqrx:
        return std::make_unique<GqrxBackend>(choice, timings);
    }
    return MakeNoRadio("Unbekanntes Programm");
}

std::unique_ptr<RadioBackend> MakeNoRadio(std::string reason) {
    return std::make_unique<NoRadio>(std::move(reason));
}

} // namespace skedula
