#pragma once

#include "joblistfamily.h"
#include "simfilefaults.h"
#include "simfileserver.h"
#include "simjobstore.h"
#include "simrecorder.h"

#include <QCommandLineParser>
#include <QHostAddress>
#include <QObject>
#include <QString>

namespace kelvo::sim {

class SimController;
class SimHarness;

// The simulated controller's job files: its job directory, the transfer port serving it and the
// job lists answered on the control port. A child of its controller, in the controller's thread.
//
//     SimHarness sim;
//     sim.start();
//     SimFiles* files = SimFiles::start(sim, jobDir);   // transfer port: files->port()
//     files->setFaults({...});                          // any thread
//     files->recorder().takeFrame(0x5501, 3000);        // frames of the transfer port
class SimFiles : public QObject {
    Q_OBJECT

public:
    SimFiles(SimController& controller, const QString& jobDirectory);

    // In the harness's thread: a SimFiles on its controller, listening on the harness's address
    // (port 0: any free port). Null when it cannot listen. Lives as long as the controller.
    static SimFiles* start(SimHarness& harness, const QString& jobDirectory, quint16 port = 0);

    // kelvo-sim's options: --job-dir DIR turns the service on, --files-port PORT (default 5000).
    static void addOptions(QCommandLineParser& parser);
    // Starts the service when the options ask for it; false when it cannot listen.
    static bool startFromOptions(const QCommandLineParser& parser, SimController& controller,
                                 const QHostAddress& address);

    bool listen(const QHostAddress& address, quint16 port);
    quint16 port() const { return server_.port(); }
    const SimJobStore& store() const { return store_; }

    // Thread-safe.
    SimRecorder& recorder() { return recorder_; }
    void setFaults(const SimFileFaults& faults) { faults_.set(faults); }

private:
    SimJobStore store_;
    SimRecorder recorder_;
    SimFileFaultSwitch faults_;
    SimFileServer server_;
    JobListFamily jobLists_;
};

}  // namespace kelvo::sim
