// kelvo-sim: a simulated robot controller on the control port.
//   kelvo-sim --listen ADDR [--control-port 6000] [--robots N] [--push HZ] [--scripted]
//             [--chaos SEED [--chaos-rates RATES]] [--verbose]
// Commands are read from standard input, one per line (see SimConsole); --verbose also prints
// every connection and frame on standard output. --scripted keeps no controller state: only
// heartbeats are answered, and what the console scripts.

#include "pushfamily.h"
#include "simcell.h"
#include "simconsole.h"
#include "simcontroller.h"
#include "simfiles.h"
#include "simrecorder.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QHostAddress>

#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("kelvo-sim"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Simulated robot controller"));
    parser.addHelpOption();
    const QCommandLineOption listen(
        QStringLiteral("listen"), QStringLiteral("Address to listen on."), QStringLiteral("ADDR"));
    const QCommandLineOption controlPort(QStringLiteral("control-port"),
                                         QStringLiteral("Control port (default 6000)."),
                                         QStringLiteral("PORT"), QStringLiteral("6000"));
    const QCommandLineOption robots(QStringLiteral("robots"),
                                    QStringLiteral("Robots of the controller, 1 to 4 (default 1)."),
                                    QStringLiteral("N"), QStringLiteral("1"));
    const QCommandLineOption push(
        QStringLiteral("push"),
        QStringLiteral("Push the current position and the digital inputs HZ times a second."),
        QStringLiteral("HZ"), QStringLiteral("0"));
    const QCommandLineOption scripted(
        QStringLiteral("scripted"),
        QStringLiteral("Keep no controller state: answer only heartbeats and scripted replies."));
    const QCommandLineOption quietChanges(
        QStringLiteral("quiet-changes"),
        QStringLiteral("Report no change unasked: accepted setters are told only by queries."));
    const QCommandLineOption ignoreHeartbeats(QStringLiteral("ignore-heartbeats"),
                                              QStringLiteral("Never reply to heartbeats."));
    const QCommandLineOption verbose(QStringLiteral("verbose"),
                                     QStringLiteral("Log every connection and frame."));
    const QCommandLineOption chaos(
        QStringLiteral("chaos"),
        QStringLiteral("Break at random, on this seed: malformed reports, drops, stalls, ..."),
        QStringLiteral("SEED"));
    const QCommandLineOption chaosRates(
        QStringLiteral("chaos-rates"),
        QStringLiteral("Rates of the chaos mode, e.g. reports=20,drops=0.05 (see README.md)."),
        QStringLiteral("RATES"));
    parser.addOptions({listen, controlPort, robots, push, scripted, chaos, chaosRates, quietChanges,
                       ignoreHeartbeats, verbose});
    kelvo::sim::SimFiles::addOptions(parser);
    parser.process(app);

    bool portOk = false;
    const uint port = parser.value(controlPort).toUInt(&portOk);
    bool robotsOk = false;
    const int robotCount = parser.value(robots).toInt(&robotsOk);
    bool pushOk = false;
    const int pushRate = parser.value(push).toInt(&pushOk);
    bool seedOk = false;
    const quint64 seed = parser.value(chaos).toULongLong(&seedOk);
    const std::optional<kelvo::sim::SimChaosRates> rates =
        kelvo::sim::SimChaosRates::parse(parser.value(chaosRates));
    const QHostAddress address(parser.value(listen));
    if ((parser.isSet(chaos) && !seedOk) || !rates || !parser.isSet(listen) || address.isNull() ||
        !portOk || port > 0xFFFF || !robotsOk || robotCount < 1 ||
        robotCount > kelvo::sim::SimCell::kMaxRobots || !pushOk || pushRate < 0 ||
        pushRate > kelvo::sim::PushFamily::kMaxRate || (pushRate != 0 && parser.isSet(scripted))) {
        std::fprintf(stderr,
                     "usage: kelvo-sim --listen ADDR [--control-port PORT] [--robots 1-4] "
                     "[--push HZ | --scripted] [--chaos SEED [--chaos-rates RATES]] "
                     "[--quiet-changes] [--ignore-heartbeats] [--verbose]\n");
        return 2;
    }

    kelvo::sim::SimRecorder recorder;
    kelvo::sim::SimController controller(recorder);
    if (!parser.isSet(scripted)) {
        controller.simulateRobots(robotCount);
        controller.setPushRate(pushRate);
    }
    if (parser.isSet(chaos)) {
        controller.chaos().start(seed, *rates);
    }
    controller.setReportChanges(!parser.isSet(quietChanges));
    controller.setHeartbeatReplies(!parser.isSet(ignoreHeartbeats));
    controller.setVerbose(parser.isSet(verbose));
    if (!controller.listen(address, static_cast<quint16>(port))) {
        return 1;
    }
    if (!kelvo::sim::SimFiles::startFromOptions(parser, controller, address)) {
        return 1;
    }
    std::printf("kelvo-sim listening on %s:%u\n", qPrintable(address.toString()),
                controller.port());
    std::fflush(stdout);
    kelvo::sim::SimConsole console(controller, parser.isSet(verbose));
    return QCoreApplication::exec();
}
