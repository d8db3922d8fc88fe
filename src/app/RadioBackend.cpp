#include "app/RadioBackend.h"

#include "app/SerialPorts.h"

namespace skedula {

namespace {

std::string Endpoint(const RadioEndpoint& endpoint) {
    return endpoint.host + ":" + std::to_string(endpoint.port);
}

// rigctld, started by Skedula for the dummy and for a radio, or reached on another computer.
class RigctldBackend final : public RadioBackend {
public:
    RigctldBackend(const RadioChoice& choice, const RadioTimings& timings)
        : choice_(choice), endpoint_(EndpointOf(choice)),
          conversation_(RigctldEndpoint{endpoint_.host, endpoint_.port}, timings.rigctld) {
        conversation_.SetServerStartAllowed(StartsServer());
    }

    std::string FailureReason() const override { return reason_; }

    void SetListener(ConversationListener* listener) override {
        conversation_.SetListener(listener);
    }
    bool Connect(const std::string& service, const std::string& topic) override {
        const bool connected = conversation_.Connect(service, topic);
        reason_ = connected ? "" : "Auf " + Endpoint(endpoint_) + " antwortet kein rigctld";
        return connected;
    }
    bool StartAdvise(const std::string& item) override { return conversation_.StartAdvise(item); }
    std::optional<std::string> Request(const std::string& item) override {
        return conversation_.Request(item);
    }
    bool Execute(const std::string& command) override { return conversation_.Execute(command); }
    void Disconnect() override { conversation_.Disconnect(); }

    bool StartServer(const std::vector<std::string>& arguments) override {
        if (!StartsServer())
            return false; // a rigctld on another computer is the listener's to start
        // A device that rigctld cannot open would only make it retry for seconds and leave
        // with a terse complaint.
        if (const std::optional<std::string> problem = DeviceProblem(choice_.device)) {
            reason_ = *problem;
            return false;
        }
        if (conversation_.StartServer(arguments))
            return true;
        reason_ = ServerFailure();
        return false;
    }

private:
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
            return "rigctld antwortet nicht auf " + Endpoint(endpoint_) +
                   (complaint.empty() ? "" : ": " + complaint);
        return "rigctld wurde beendet" + (complaint.empty() ? "" : ": " + complaint);
    }

    RadioChoice choice_;
    RadioEndpoint endpoint_;
    RigctldConversation conversation_;
    std::string reason_;
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

std::unique_ptr<RadioBackend> MakeRadioBackend(const RadioChoice& choice,
                                               const RadioTimings& timings) {
    switch (choice.program) {
    case RadioProgram::Dummy:
    case RadioProgram::Hamlib:
    case RadioProgram::Network:
        return std::make_unique<RigctldBackend>(choice, timings);
    case RadioProgram::Gqrx:
        // gqrx's remote control needs a conversation of its own, which this build lacks.
        return MakeNoRadio("Die Anbindung an gqrx fehlt in dieser Ausgabe von Skedula");
    }
    return MakeNoRadio("Unbekanntes Programm");
}

std::unique_ptr<RadioBackend> MakeNoRadio(std::string reason) {
    return std::make_unique<NoRadio>(std::move(reason));
}

} // namespace skedula
