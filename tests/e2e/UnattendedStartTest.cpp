// A watch started as the autostart entry starts it: the built program, `skedula --start LISTE`,
// with its own settings pointing at a real rigctld, writes the report into the report file
// without anyone at the window.
#include "e2e/RigctldProcess.h"
#include "fakes/EventLoop.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace skedula {
namespace {

using e2e::RigctldProcess;

// The program as a child with a home, settings and data folders of its own, ended when the
// object goes, also when the test has failed.
class ProgramProcess {
public:
    ProgramProcess(const QString& home, const QStringList& arguments) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("HOME", home + "/home");
        environment.insert("XDG_CONFIG_HOME", home + "/config");
        environment.insert("XDG_DATA_HOME", home + "/data");
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        environment.insert("SDL_AUDIODRIVER", "dummy");
        process_.setProcessEnvironment(environment);
        process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process_.start(qEnvironmentVariable("SKEDULA_BINARY"), arguments);
        process_.waitForStarted(5000);
    }
    ~ProgramProcess() {
        process_.terminate();
        if (!process_.waitForFinished(5000)) {
            process_.kill();
            process_.waitForFinished(5000);
        }
    }
    ProgramProcess(const ProgramProcess&) = delete;
    ProgramProcess& operator=(const ProgramProcess&) = delete;

    bool running() const { return process_.state() == QProcess::Running; }

private:
    QProcess process_;
};

void Write(const QString& path, const QByteArray& content) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content);
}

QString Read(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

TEST(UnattendedStart, StartWithAListWritesTheReportIntoTheFile) {
    ASSERT_FALSE(qEnvironmentVariable("SKEDULA_BINARY").isEmpty());
    RigctldProcess radio;
    ASSERT_TRUE(radio.running());
    QTemporaryDir home;
    Write(home.filePath("config/Skedula/Skedula.conf"),
          "[Radio]\nProgram=network\nPort=" + QByteArray::number(radio.port()) + "\n");
    const QString list = home.filePath("Meine Listen/nacht.txt");
    Write(list, "??:??\r\n7100000\r\nAM\r\nS5\r\n\r\n");

    ProgramProcess program(home.path(), {"--start", list});
    ASSERT_TRUE(program.running());
    const QString reports = home.filePath("data/Skedula/berichte.csv");
    ASSERT_TRUE(
        test::WaitUntil([&] { return Read(reports).count("\r\n") >= 2 || !program.running(); },
                        std::chrono::seconds(60)))
        << Read(reports).toStdString();
    EXPECT_TRUE(program.running());
    const QString file = Read(reports);
    EXPECT_TRUE(QRegularExpression(R"(^Zeit;Frequenz;Mode;S1;S2;S3;Schwelle;Alarm;Aufnahme\r\n)"
                                   R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d[+-]\d\d:\d\d;)"
                                   R"(7100000;AM;7;7;7;5;;\r\n)")
                    .match(file)
                    .hasMatch())
        << file.toStdString();
    EXPECT_EQ(radio.ask("f"), "7100000\n"); // the real radio was tuned
}

} // namespace
} // namespace skedula
