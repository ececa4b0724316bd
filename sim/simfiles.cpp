#include "simfiles.h"

#include "simcontroller.h"
#include "simharness.h"

namespace kelvo::sim {

SimFiles::SimFiles(SimController& controller, const QString& jobDirectory)
    : QObject(&controller),
      store_(jobDirectory),
      server_(store_, recorder_, faults_),
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

bool SimFiles::listen(const QHostAddress& address, quint16 port) {
    return server_.listen(address, port);
}

}  // namespace kelvo::sim
