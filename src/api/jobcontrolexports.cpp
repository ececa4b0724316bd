// Jobs and continuous motion.

#include "apilog.h"
#include "exportcall.h"
#include "kelvo.h"
#include "payloads.h"
#include "queuepayload.h"

#include "link/frame.h"
#include "message/commandwords.h"
#include "robot/robot.h"

using kelvo::api::forCurrentRobot;
using kelvo::api::QueuePayload;
using kelvo::api::withRobot;
namespace cmd = kelvo::cmd;

namespace {

constexpr int kJobRunning = 2;
constexpr int kServoStopped = 0;
constexpr int kStopJobType = 1;
constexpr int kOpen = 1;

// Logs why a queue is refused; true when it can be sent.
bool sendable(const QueuePayload& payload) {
    switch (payload.outcome) {
        case QueuePayload::Outcome::Ready:
            return true;
        case QueuePayload::Outcome::NotFinite:
            qCWarning(lcApi).nospace() << "send_continuous_motion_queue: point " << payload.point
                                       << " not finite, nothing sent";
            return false;
        case QueuePayload::Outcome::TooLarge:
            qCWarning(lcApi).nospace() << "send_continuous_motion_queue: payload of "
                                       << payload.size << " bytes exceeds the frame limit of "
                                       << kelvo::kMaxPayloadSize << " bytes, nothing sent";
            return false;
    }
    return false;
}

}  // namespace

extern "C" {

KELVO_API void KELVO_CALL run_job(const char* name) {
    withRobot("run_job", [name](Robot& robot) {
        if (!name) {
            qCWarning(lcApi) << "run_job: no job name given, nothing sent";
            return;
        }
        if (robot.runningState() != kJobRunning && robot.servoStatus() != kServoStopped)
            robot.runJob(QString::fromUtf8(name));
    });
}

KELVO_API void KELVO_CALL stop_job(void) {
    withRobot("stop_job", [](Robot& robot) {
        if (robot.runningState() != kJobRunning)
            return;
        Json::Value payload = forCurrentRobot();
        payload["type"] = kStopJobType;
        robot.sendCommand(cmd::kStopJob, payload);
    });
}

KELVO_API void KELVO_CALL continuous_motion_mode(int open) {
    withRobot("continuous_motion_mode", [open](Robot& robot) {
        Json::Value payload = forCurrentRobot();
        payload["open"] = open == kOpen;
        robot.sendCommand(cmd::kContinuousMotionMode, payload);
        if (open != kOpen)
            robot.switchToTeachMode();
    });
}

KELVO_API void KELVO_CALL send_continuous_motion_queue(const ContinuousMotionPoint* points,
                                                       unsigned int count) {
    withRobot("send_continuous_motion_queue", [=](Robot& robot) {
        qCDebug(lcApi).nospace() << "send_continuous_motion_queue: " << count << " points";
        if (!points && count > 0) {
            qCWarning(lcApi) << "send_continuous_motion_queue: no points given, nothing sent";
            return;
        }
        const QueuePayload payload =
            kelvo::api::writeQueuePayload(Robot::currentRobotNumber(), points, count);
        if (sendable(payload))
            robot.sendCommand(cmd::kContinuousMotionQueue, payload.text);
    });
}

}  // extern "C"
