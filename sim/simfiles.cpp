#include "simfiles.h"

#include "simcontroller.h"
#include "simharness.h"

namespace kelvo::sim {

SimFiles::SimFiles(SimController& controller, const QString& jobDirectory)
    : QObject(&controller),
      store_(jobDirectory),
      server_(store_, recorder_, faults_, controller.chaos()),
      jobLists_(controller, store_, faults_) {}

SimFiles* SimFiles::start(SimHarness& harness, const QString& jobDirectory, quint16 port) {
    SimFiles* files = nullptr;
    const QHostAddress address(harness.address());
    harness.run([&](SimController& controller) {
        // On failure it stays, unused, with the controller: its job-list handler is registered.
        auto* created = new SimFiles(controller, jobDirectory);
        if (created->listen(address, port))
            files = created;
    });
    return files;
}

namespace {

const QString kJobDirOption = QStringLiteral("job-dir");
const QString kFilesPortOption = QStringLiteral("files-port");

}  // namespace

void SimFiles::addOptions(QCommandLineParser& parser) {
    parser.addOption(QCommandLineOption(
        kJobDirOption, QStringLiteral("Serve job files from DIR on the transfer port."),
        QStringLiteral("DIR")));
    parser.addOption(QCommandLineOption(kFilesPortOption,
                                        QStringLiteral("Transfer port (default 5000)."),
                                        QStringLiteral("PORT"), QStringLiteral("5000")));
}

bool SimFiles::startFromOptions(const QCommandLineParser& parser, SimController& controller,
                                const QHostAddress& address) {
    if (!parser.isSet(kJobDirOption))
        return true;
    bool portOk = false;
    const uint port = parser.value(kFilesPortOption).toUInt(&portOk);
    auto* files = new SimFiles(controller, parser.value(kJobDirOption));
    return portOk && port <= 0xFFFF && files->listen(address, static_cast<quint16>(port));
}

bool SimFiles::listen(const QHostAddress& address, quint16 port) {
    return server_.listen(address, port);
}

}  // namespace kelvo::sim
