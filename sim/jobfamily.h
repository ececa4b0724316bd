#pragma once

#include "cellfamily.h"

#include <QTimer>

#include <array>

namespace kelvo::sim {

// Jobs: 0x2501 starts one on a robot (SimCell::startProgram), 0x2401 stops it; a job ends by
// itself kJobMs after its start. Each change of the running state goes out as its report
// (0x3D03); a refused request is answered with the state it left unchanged.
class JobFamily : public CellFamily {
public:
    JobFamily(SimController& controller, SimCell& cell);
    ~JobFamily() override;

    static constexpr int kJobMs = 1500;

private:
    void run(QTcpSocket* client, const QByteArray& payload);
    void stop(QTcpSocket* client, const QByteArray& payload);
    QTimer& jobEnd(int robot) { return *jobEnds_[static_cast<size_t>(robot - 1)]; }

    // Children of the controller, so they live in its thread.
    std::array<QTimer*, SimCell::kMaxRobots> jobEnds_{};
};

}  // namespace kelvo::sim
