#include "fakes/GqrxProcess.h"

#include "fakes/FreePort.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <sys/prctl.h>

#include <cmath>
#include <csignal>
#include <numbers>
#include <random>
#include <vector>

namespace skedula {

namespace {

using Clock = std::chrono::steady_clock;

// A quarter of gqrx's usual rate keeps its DSP light on a busy test machine.
constexpr int SampleRate = 240000;
// A tenth of a second, looped by gqrx. The carrier makes whole cycles in it, so that the
// loop has no seam.
constexpr int Samples = SampleRate / 10;
constexpr double CarrierAmplitude = 0.1;
constexpr double NoiseDeviation = 0.001;

int MillisecondsUntil(Clock::time_point deadline) {
    return static_cast<int>(std::max<long long>(
        0, std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count()));
}

void Prepare(QProcess& process, const QProcessEnvironment& environment, const QString& log) {
    process.setProcessEnvironment(environment);
    // To a file, not a pipe: a pipe nobody reads would stop the program once it is full.
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setStandardOutputFile(log);
    // Killed with the test program, even when that dies without running a destructor.
    process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
}

void End(std::unique_ptr<QProcess>& process) {
    if (!process || process->state() == QProcess::NotRunning) {
        return;
    }
    process->terminate();
    if (!process->waitForFinished(3000)) {
        process->kill();
        process->waitForFinished(3000);
    }
}

std::string LastLines(const QString& log) {
    QFile file(log);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    const QList<QByteArray> lines = file.readAll().trimmed().split('\n');
    std::string tail;
    for (qsizetype i = std::max<qsizetype>(0, lines.size() - 5); i < lines.size(); ++i) {
        tail += "\n  " + lines[i].toStdString();
    }
    return tail;
}

} // namespace

GqrxProcess::GqrxProcess(std::chrono::milliseconds limit, int amToneHz)
    : port_(FreeLoopbackPort()) {
    const Clock::time_point deadline = Clock::now() + limit;
    if (!folder_.isValid()) {
        failure_ = "no private folder for gqrx";
        return;
    }
    if (WriteFiles(amToneHz) && StartPulseAudio(deadline)) {
        StartGqrx(deadline);
    }
}

GqrxProcess::~GqrxProcess() {
    End(gqrx_);
    End(pulseAudio_);
}

bool GqrxProcess::Running() const {
    return gqrx_ && gqrx_->state() == QProcess::Running;
}

void GqrxProcess::Kill() {
    if (Running()) {
        gqrx_->kill();
        gqrx_->waitForFinished(3000);
    }
}

QString GqrxProcess::Path(const char* name) const {
    return folder_.filePath(QString::fromLatin1(name));
}

QProcessEnvironment GqrxProcess::Environment() const {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    // PulseAudio's socket and cookie, and gqrx's band plan and bookmarks, go to our folder.
    environment.insert("XDG_RUNTIME_DIR", Path("runtime"));
    environment.insert("HOME", Path("home"));
    environment.insert("XDG_CONFIG_HOME", Path("home/.config"));
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    // A developer's own sound server must not receive the test's gqrx.
    environment.remove("PULSE_SERVER");
    environment.remove("PULSE_RUNTIME_PATH");
    return environment;
}

bool GqrxProcess::WriteFiles(int amToneHz) {
    // PulseAudio insists on a runtime folder that only its owner may enter.
    if (!QDir().mkpath(Path("runtime")) || !QDir().mkpath(Path("home/.config")) ||
        !QFile::setPermissions(Path("runtime"),
                               QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner)) {
        failure_ = "cannot make gqrx's folders";
        return false;
    }
    // Complex float32 samples: the carrier at CarrierHz - CentreHz over Gaussian noise, its
    // amplitude swinging by half with the tone (a tone of whole cycles in the file's tenth
    // of a second, such as 1000 Hz, loops without a seam).
    std::vector<float> iq;
    iq.reserve(2 * Samples);
    std::mt19937 random(1);
    std::normal_distribution<double> noise(0.0, NoiseDeviation);
    for (int i = 0; i < Samples; ++i) {
        const double phase =
            2 * std::numbers::pi * static_cast<double>(CarrierHz - CentreHz) * i / SampleRate;
        const double swing =
            amToneHz > 0 ? 0.5 * std::cos(2 * std::numbers::pi * amToneHz * i / SampleRate) : 0;
        const double amplitude = CarrierAmplitude * (1 + swing);
        iq.push_back(static_cast<float>(amplitude * std::cos(phase) + noise(random)));
        iq.push_back(static_cast<float>(amplitude * std::sin(phase) + noise(random)));
    }
    QFile samples(Path("carrier.cf32"));
    const auto bytes = static_cast<qint64>(iq.size() * sizeof(float));
    if (!samples.open(QIODevice::WriteOnly) ||
        samples.write(reinterpret_cast<const char*>(iq.data()), bytes) != bytes) {
        failure_ = "cannot write the IQ file";
        return false;
    }
    samples.close();

    // Written afresh for every run: gqrx leaves "crashed=true" behind when it is killed and
    // then opens a question box instead of serving.
    const QString rate = QString::number(SampleRate);
    const QString centre = QString::number(CentreHz);
    const QString config =
        QStringLiteral("[General]\nconfigversion=3\ncrashed=false\n\n[input]\n"
                       "device=\"file=%1,rate=%2,repeat=true,throttle=true,freq=%3\"\n"
                       "frequency=%3\nsample_rate=%2\n\n[remote_control]\nenabled=true\n"
                       "port=%4\nallowed_hosts=127.0.0.1\n")
            .arg(Path("carrier.cf32"), rate, centre, QString::number(port_));
    QFile file(Path("gqrx.conf"));
    if (!file.open(QIODevice::WriteOnly) || file.write(config.toUtf8()) < 0) {
        failure_ = "cannot write gqrx's configuration";
        return false;
    }
    return true;
}

bool GqrxProcess::StartPulseAudio(Clock::time_point deadline) {
    pulseAudio_ = std::make_unique<QProcess>();
    Prepare(*pulseAudio_, Environment(), Path("pulseaudio.log"));
    // Not daemonised, so that it stays our child and ends with us; no default script, only a
    // null sink and the local socket.
    pulseAudio_->start("pulseaudio",
                       {"--daemonize=no", "--exit-idle-time=-1", "-n", "--load=module-null-sink",
                        "--load=module-native-protocol-unix"});
    if (!pulseAudio_->waitForStarted(MillisecondsUntil(deadline))) {
        Fail("pulseaudio did not start (is the package pulseaudio installed?)", {});
        return false;
    }
    const QString socket = Path("runtime/pulse/native");
    while (!QFileInfo::exists(socket)) {
        if (pulseAudio_->state() != QProcess::Running || Clock::now() >= deadline) {
            Fail("pulseaudio did not open its socket", Path("pulseaudio.log"));
            return false;
        }
        QThread::msleep(10);
    }
    return true;
}

bool GqrxProcess::StartGqrx(Clock::time_point deadline) {
    gqrx_ = std::make_unique<QProcess>();
    Prepare(*gqrx_, Environment(), Path("gqrx.log"));
    const Clock::time_point started = Clock::now();
    gqrx_->start("gqrx", {"-c", Path("gqrx.conf")});
    if (!gqrx_->waitForStarted(MillisecondsUntil(deadline))) {
        Fail("gqrx did not start (is the package gqrx-sdr installed?)", {});
        return false;
    }
    while (!LoopbackAccepts(port_)) {
        if (gqrx_->state() != QProcess::Running || Clock::now() >= deadline) {
            Fail("gqrx did not open its remote control", Path("gqrx.log"));
            return false;
        }
        QThread::msleep(10);
    }
    listenTime_ = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - started);
    return true;
}

void GqrxProcess::Fail(const std::string& why, const QString& log) {
    failure_ = why + (log.isEmpty() ? std::string() : LastLines(log));
}

} // namespace skedula
