#pragma once

#include "cellfamily.h"

#include <QTimer>

#include <array>
#include <deque>

namespace kelvo::sim {

// Continuous motion: 0x50B1 opens or closes a robot's continuous-motion mode and is answered with
// the socket state 0x50B3 {"open", "robot"}; 0x50B4 queues instructions on a robot whose mode is
// open. The first six position values of each instruction are joint angles: MOVJ and MOVJEXT
// become joint moves to them, every other type a straight move (no arcs). A queue with an
// instruction that cannot be read is dropped whole. The robot gets the points in batches as it
// works through them; closing the mode drops what has not gone to the robot yet.
class MotionQueueFamily : public CellFamily {
public:
    MotionQueueFamily(SimController& controller, SimCell& cell);
    ~MotionQueueFamily() override;

    static constexpr int kFeedMs = 50;
    static constexpr size_t kBatch = 32;  // well below the robot's limit of waiting moves

private:
    struct Stream {
        bool open = false;
        std::deque<MoveRequest> points;
    };

    void setOpen(QTcpSocket* client, const QByteArray& payload);
    void enqueue(const QByteArray& payload);
    void feed();
    Stream& streamOf(int robot) { return streams_[static_cast<size_t>(robot - 1)]; }

    std::array<Stream, SimCell::kMaxRobots> streams_;
    QTimer* feeder_;  // a child of the controller, so it lives in the controller's thread
};

}  // namespace kelvo::sim
