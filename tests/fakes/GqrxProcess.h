// A real gqrx for the tests and benchmarks that need one: a PulseAudio server with a null
// sink, and a headless gqrx whose input is a short IQ file written here (a carrier a known
// offset above the centre frequency, over weak noise, AM-modulated with a tone if asked for)
// with its remote control on a free loopback port. gqrx plays into the null sink, so the
// sink's monitor, "null.monitor", carries what gqrx demodulates. Everything lives in a private
// folder; every process started here ends with the object, and with the test program should that
// die first.
#pragma once

#include <QProcess>
#include <QTemporaryDir>

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

namespace skedula {

class GqrxProcess {
public:
    // The receiver as the IQ file makes it: the file is centred on CentreHz and holds one
    // carrier at CarrierHz. Tuned onto the carrier in AM or FM gqrx reads about -20 dBFS,
    // tuned 25 kHz off it about -71 dBFS (gqrx starts in AM). Keep tunings off the centre:
    // gqrx's file source loses the carrier after a tune to exactly the centre.
    static constexpr long long CentreHz = 7100000;
    static constexpr long long CarrierHz = 7150000;
    static constexpr long long OffCarrierHz = 7125000;

    // Starts both programs and waits, at most the limit, until gqrx's remote control
    // accepts connections.
    explicit GqrxProcess(std::chrono::milliseconds limit = std::chrono::seconds(30),
                         int amToneHz = 0);
    ~GqrxProcess();
    GqrxProcess(const GqrxProcess&) = delete;
    GqrxProcess& operator=(const GqrxProcess&) = delete;

    // True when gqrx listens; otherwise Failure() says why.
    bool Started() const { return failure_.empty(); }
    const std::string& Failure() const { return failure_; }

    std::string Host() const { return "127.0.0.1"; }
    // The PulseAudio's XDG_RUNTIME_DIR, for a client of gqrx's sound server.
    std::string PulseRuntimeFolder() const { return Path("runtime").toStdString(); }
    std::uint16_t Port() const { return port_; }
    // From gqrx's start until its remote control accepted a connection.
    std::chrono::milliseconds ListenTime() const { return listenTime_; }

    bool Running() const;
    // Ends gqrx at once, as a crash would; PulseAudio stays until the object goes.
    void Kill();

private:
    bool StartPulseAudio(std::chrono::steady_clock::time_point deadline);
    bool StartGqrx(std::chrono::steady_clock::time_point deadline);
    bool WriteFiles(int amToneHz);
    // The reason, with the last lines the program wrote to its log, if any.
    void Fail(const std::string& why, const QString& log);
    QProcessEnvironment Environment() const;
    QString Path(const char* name) const;

    QTemporaryDir folder_;
    std::uint16_t port_ = 0;
    std::unique_ptr<QProcess> pulseAudio_;
    std::unique_ptr<QProcess> gqrx_;
    std::chrono::milliseconds listenTime_{0};
    std::string failure_;
};

} // namespace skedula
