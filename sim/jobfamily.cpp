#include "jobfamily.h"

#include "simpayload.h"

#include "link/jsonwire.h"

namespace kelvo::sim {

namespace {

constexpr int kStopJobType = 1;

// The job a run request names; empty when it names none.
QString jobName(const QByteArray& payload) {
    return json::text(json::member(json::parse(payload).value_or(Json::Value()), "jobname"));
}

}  // namespace

JobFamily::JobFamily(SimController& controller, SimCell& cell) : CellFamily(controller, cell) {
    for (int robot = 1; robot <= SimCell::kMaxRobots; ++robot) {
        QTimer* timer = new QTimer(&controller);
        timer->setSingleShot(true);
        timer->setInterval(kJobMs);
        QObject::connect(timer, &QTimer::timeout, timer,
                         [this, robot] { cell_.endProgram(robot); });
        jobEnds_[static_cast<size_t>(robot - 1)] = timer;
    }
    controller_.on(0x2501,
                   [this](QTcpSocket* client, const Frame& frame) { run(client, frame.payload); });
    controller_.on(0x2401,
                   [this](QTcpSocket* client, const Frame& frame) { stop(client, frame.payload); });
}

JobFamily::~JobFamily() {
    for (QTimer* timer : jobEnds_)
        delete timer;
}

void JobFamily::run(QTcpSocket* client, const QByteArray& payload) {
    const std::optional<int> robot = SimPayload(payload).robot(cell_);
    if (!robot)
        return;
    const bool started = !jobName(payload).isEmpty() && cell_.startProgram(*robot);
    if (started)
        jobEnd(*robot).start();
    answerIfRefused(started, client, SimReport::RunningState, *robot);
}

void JobFamily::stop(QTcpSocket* client, const QByteArray& payload) {
    const SimPayload request(payload);
    const std::optional<int> robot = request.robot(cell_);
    if (!robot)
        return;
    const bool stopped = request.integer("type") == kStopJobType && cell_.endProgram(*robot);
    if (stopped)
        jobEnd(*robot).stop();
    answerIfRefused(stopped, client, SimReport::RunningState, *robot);
}

}  // namespace kelvo::sim
