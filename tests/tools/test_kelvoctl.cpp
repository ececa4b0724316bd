// kelvoctl as its users run it: one-shot commands, a script on one connection, help and usage
// errors, job files from its job folder, and the demo from start to end.

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStringList>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include "simprocess.h"

#include <signal.h>

#include <algorithm>

namespace {

struct Outcome {
    int exitCode = -1;
    QString out, errors;
};

Outcome kelvoctl(const QStringList& arguments, const QByteArray& input = QByteArray(),
                 const QString& workingDirectory = QString()) {
    QProcess program;
    program.setWorkingDirectory(workingDirectory);
    program.start(QStringLiteral(KELVOCTL_PROGRAM), arguments);
    program.write(input);
    program.closeWriteChannel();
    if (!program.waitForFinished(90000))
        return {};  // a hang: QProcess kills it on the way out
    return {program.exitStatus() == QProcess::NormalExit ? program.exitCode() : -1,
            QString::fromUtf8(program.readAllStandardOutput()),
            QString::fromUtf8(program.readAllStandardError())};
}

// A command line from its words, aimed at the controller on address.
QStringList at(const QString& address, const QString& words) {
    return QStringList{"--ip", address} + words.split(' ', Qt::SkipEmptyParts);
}

// What program has written by the time it writes expected, or after ten seconds.
void readUntil(QProcess& program, QString& out, const QString& expected) {
    QElapsedTimer timer;
    timer.start();
    while (!out.contains(expected) && timer.elapsed() < 10000) {
        program.waitForReadyRead(100);
        out += QString::fromUtf8(program.readAllStandardOutput());
    }
}

void writeJobFile(const QString& folder, const QString& robotAndName) {
    const QString path = folder + QStringLiteral("/robotJob/") + robotAndName;
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write("NOP\nEND\n") == 8);
}

bool arrives(const QString& path) {
    for (int waited = 0; waited < 10000 && !QFile::exists(path); waited += 50)
        QThread::msleep(50);
    return QFile::exists(path);
}

}  // namespace

// usage-errors.txt: the exit status, the arguments and what kelvoctl must say. Help and wrong
// arguments are told at once, before any connection is tried; a malformed address is a wrong
// argument too. Nothing listens on 127.0.8.99.
TEST(Kelvoctl, HelpAndUsageErrorsNeedNoControllerAndAFailedConnectSaysSo) {
    QFile table(QStringLiteral(KELVO_TOOLS_DATA "/usage-errors.txt"));
    ASSERT_TRUE(table.open(QIODevice::ReadOnly));
    int rows = 0;
    for (const QString& line : QString::fromUtf8(table.readAll()).split('\n')) {
        const int bar = line.indexOf(QStringLiteral(" | "));
        if (bar < 0)
            continue;
        QStringList arguments = line.left(bar).split(' ');
        const int exitCode = arguments.takeFirst().toInt();
        QElapsedTimer timer;
        timer.start();
        const Outcome run = kelvoctl(arguments, {}, QStringLiteral(KELVO_TOOLS_DATA));
        EXPECT_EQ(run.exitCode, exitCode) << line.toStdString();
        EXPECT_TRUE((run.out + run.errors).contains(line.mid(bar + 3))) << run.errors.toStdString();
        EXPECT_TRUE(exitCode != 2 || timer.elapsed() < 1000) << timer.elapsed();
        ++rows;
    }
    EXPECT_EQ(rows, 23);
}

// Each a new process: what one sets, the next reads back from the controller.
TEST(Kelvoctl, OneShotCommandsChangeTheControllerAndFailuresAreTold) {
    const QString address = QStringLiteral("127.0.8.1");
    SimProcess sim(address.toStdString(), {}, SimProcess::Controller::Simulated);
    ASSERT_TRUE(sim.listening());
    struct Step {
        const char* command;
        int exitCode;
        const char* out;                // the start of what it prints
        const char* error = "";         // a pattern in what it tells
        const char* console = nullptr;  // a line for kelvo-sim's console first
    };
    const Step steps[] = {
        {"mode remote", 0, "mode: remote (1)\n"},
        {"mode", 0, "mode: remote (1)\n"},
        // The servo state comes from the controller, where every robot starts stopped.
        {"status", 0, "servo      stopped (0)\nmode       remote (1)\n"},
        // Outside teach mode the library refuses to release the enabling switch.
        {"servo off", 1, "", "error: kelvo_servo_power_off: refused in the current state"},
        // The servo is off: the controller refuses the move with a warning naming the robot,
        // which the library logs.
        {"movj 10 0 0 0 0 0", 1, "", "机器人1: 伺服未就绪.*error: the robot did not move"},
        // A controller that keeps its old value: the setting fails.
        {"speed 50", 1, "speed: 10 %", "the controller did not take 50 %",
         R"(reply 2601 2603 {"robot":1,"speed":10})"},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.command);
        ASSERT_TRUE(!step.console || sim.command(step.console));
        const Outcome run = kelvoctl(at(address, QString::fromUtf8(step.command)));
        EXPECT_EQ(run.exitCode, step.exitCode);
        EXPECT_EQ(run.out.toStdString().rfind(step.out, 0), 0u) << run.out.toStdString();
        const QRegularExpression error(QString::fromUtf8(step.error),
                                       QRegularExpression::DotMatchesEverythingOption);
        EXPECT_TRUE(error.match(run.errors).hasMatch()) << run.errors.toStdString();
    }
    EXPECT_EQ(sim.accepted(), int(std::size(steps)));
}

TEST(Kelvoctl, AScriptRunsOnOneConnectionAndStopsAtItsFirstFailure) {
    const QString address = QStringLiteral("127.0.8.2");
    SimProcess sim(address.toStdString(), {}, SimProcess::Controller::Simulated);
    ASSERT_TRUE(sim.listening());
    const QByteArray script =
        "# teach mode, servo on, a jog and two moves\nservo on\nmode teach\ncoord joint\n"
        "speed 100\n\njog 1 + 500\nmovj --vel 100 0 0 0 0 0 0\nmovl 600 0 800 180 0 0\n"
        "pos cartesian\ndout 2 1\ndin\nmovl 2000 0 0 180 0 0\nstatus\n";
    const Outcome run = kelvoctl(at(address, ""), script);
    EXPECT_EQ(run.exitCode, 1);
    for (const char* expected :
         {"servo: on", "mode: teach (0)", "coord: joint (0)", "speed: 100 %", "jogged J1 +: J1 15.",
          "arrived after",
          "cartesian  X 600.000  Y 0.000  Z 800.000  RX 180.000  RY 0.000  RZ 0.000", "dout 2 = 1",
          "din 1-16   0 1 0 0 0 0 0 0"})
        EXPECT_TRUE(run.out.contains(QString::fromUtf8(expected))) << expected << "\n"
                                                                   << run.out.toStdString();
    EXPECT_TRUE(run.errors.contains("the robot did not move")) << run.errors.toStdString();
    EXPECT_FALSE(run.out.contains("running"));  // status came after the failure
    EXPECT_EQ(sim.accepted(), 1);
}

TEST(Kelvoctl, WatchPrintsWhatTheControllerPushesAsItComesUntilInterrupted) {
    const QString address = QStringLiteral("127.0.8.4");
    SimProcess sim(address.toStdString(), {}, SimProcess::Controller::Simulated);
    ASSERT_TRUE(sim.listening());
    QProcess watch;
    watch.start(QStringLiteral(KELVOCTL_PROGRAM), at(address, "watch"));
    QString out;
    // Events are queued from the connection on, its link coming up among the first.
    readUntil(watch, out, QStringLiteral(" link up\n"));
    sim.command("din 3 1");
    readUntil(watch, out, QStringLiteral("io din: "));
    ::kill(static_cast<pid_t>(watch.processId()), SIGINT);
    ASSERT_TRUE(watch.waitForFinished(5000));
    EXPECT_EQ(watch.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(watch.exitCode(), 0);
    out += QString::fromUtf8(watch.readAllStandardOutput());

    // Every line time-stamped, the events in the order they came.
    const QString stamp = QStringLiteral("\\d\\d:\\d\\d:\\d\\d\\.\\d{3} ");
    const QString others = "(" + stamp + ".*\n)*";
    const QStringList events = {"link up", "io din: 0 0 1 0 0 0 0 0   \\(120 more, all 0\\)"};
    const QRegularExpression lines("^" + others + stamp + events.join("\n" + others + stamp) +
                                   "\n" + others + "$");
    EXPECT_TRUE(lines.match(out).hasMatch()) << out.toStdString();

    // SECONDS bounds it.
    QElapsedTimer timer;
    timer.start();
    const Outcome run = kelvoctl(at(address, "watch 1"));
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.out.contains(" link up\n"));
    EXPECT_LT(timer.elapsed(), 8000);
}

// Installed, kelvoctl's own folder is /usr/bin: job files come from where it is started.
TEST(Kelvoctl, UploadTakesTheJobFilesOfTheCurrentDirectoryOrOfJobDir) {
    const QString address = QStringLiteral("127.0.8.3");
    QTemporaryDir simJobs;
    SimProcess sim(address.toStdString(), {"--job-dir", simJobs.path().toStdString()},
                   SimProcess::Controller::Simulated);
    ASSERT_TRUE(sim.listening());
    QTemporaryDir here, there;
    writeJobFile(here.path(), QStringLiteral("R1/HERE.JBR"));
    writeJobFile(there.path(), QStringLiteral("R2/THERE.JBR"));

    Outcome run = kelvoctl(at(address, "upload 500"), {}, here.path());
    EXPECT_EQ(run.exitCode, 0) << run.errors.toStdString();
    EXPECT_TRUE(run.out.contains(QDir(here.path()).canonicalPath() + "/robotJob"))
        << run.out.toStdString();
    EXPECT_TRUE(arrives(simJobs.filePath(QStringLiteral("R1/HERE.JBR"))));

    run = kelvoctl(at(address, "--job-dir " + there.path() + " upload 500"), {}, here.path());
    EXPECT_EQ(run.exitCode, 0) << run.errors.toStdString();
    EXPECT_TRUE(arrives(simJobs.filePath(QStringLiteral("R2/THERE.JBR"))));

    run =
        kelvoctl(at(address, "--job-dir " + here.filePath(QStringLiteral("missing")) + " upload"));
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.errors.contains("cannot use the job folder")) << run.errors.toStdString();
}

// A known dump, printed whole and filtered, line for line as expected; it needs no controller.
TEST(Kelvoctl, TracePrintsAKnownDumpAsExpected) {
    for (const auto& [arguments, golden] :
         {std::pair{"trace sample.jsonl", "/expected.txt"},
          {"trace --word QuerySpeed --since 2 sample.jsonl", "/expected-filtered.txt"}}) {
        const Outcome run = kelvoctl(QString::fromLatin1(arguments).split(QLatin1Char(' ')), {},
                                     QStringLiteral(KELVO_TRACE_SAMPLES));
        QFile expected(QStringLiteral(KELVO_TRACE_SAMPLES) + QLatin1String(golden));
        ASSERT_TRUE(expected.open(QIODevice::ReadOnly));
        EXPECT_EQ(run.exitCode, 0) << run.errors.toStdString();
        EXPECT_EQ(run.out, QString::fromUtf8(expected.readAll())) << arguments;
    }
}

TEST(Demo, RunsToCompletionAndShowsEveryStep) {
    QElapsedTimer timer;
    timer.start();
    const Outcome run = kelvoctl({"demo", "--address", "127.0.9.2"});
    EXPECT_EQ(run.exitCode, 0) << run.out.toStdString() << run.errors.toStdString();
    // Every step shows; the alarm kelvo-sim raises arrives as events, and the number they carry
    // clears it; the sample job files reach the simulator's job directory.
    for (const char* shown :
         {"\nconnected in ", "kelvo> run DEMO\nrunning: DEMO",
          "kelvo> stop\nrunning: stopped \\(0\\)", "din 1-16   1 0 1 0",
          "kelvo> status\nservo      ready \\(1\\)\n", "kelvo-sim stopped",
          "kelvo-sim> alarm 1\n.* alarm error: 机器人1: 伺服报警 \\(servo alarm\\) \\(#24592\\)\n"
          ".* servo robot 1: alarm \\(2\\)\n",
          "kelvo> clear 24592\nalarm 24592: cleared\n.* servo robot 1: ready \\(1\\)\n"})
        EXPECT_TRUE(QRegularExpression(QString::fromUtf8(shown)).match(run.out).hasMatch())
            << shown << "\nin\n" + run.out.toStdString();
    for (const auto& [text, count] :
         {std::pair{"kelvo> ", 21}, {"arrived after", 3}, {"  at kelvo-sim: R", 3}})
        EXPECT_EQ(run.out.count(QString::fromUtf8(text)), count) << text;
    EXPECT_TRUE(run.errors.isEmpty()) << run.errors.toStdString();
    EXPECT_LT(timer.elapsed(), 30000);
}
