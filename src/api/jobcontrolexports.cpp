// Jobs and continuous motion.

#include "apilog.h"
#include "exportcall.h"
#include "kelvo.h"
#include "payloads.h"
#include "queuepayload.h"

#include "link/frame.h"
#include "message/commandwords.h"
#include "robot/robot.h"

using namespace kelvo::api;
namespace cmd = kelvo::cmd;

namespace {

constexpr int kJobRunning = 2;
constexpr int kServoStopped = 0;
constexpr int kStopJobType = 1;
constexpr int kOpen = 1;

// KELVO_OK when the queue can be sent; otherwise logs why not.
int sendable(const QueuePayload& payload) {
    switch (payload.outcome) {
        case QueuePayload::Outcome::Ready:
            return KELVO_OK;
        case QueuePayload::Outcome::NotFinite:
            qCWarning(lcApi).nospace() << "send_continuous_motion_queue: point " << payload.point
                                       << " not finite, nothing sent";
            return KELVO_ERR_INVALID;
        case QueuePayload::Outcome::TooLarge:
            qCWarning(lcApi).nospace() << "send_continuous_motion_queue: payload of "
                                       << payload.size << " bytes exceeds the frame limit of "
                                       << kelvo::kMaxPayloadSize << " bytes, nothing sent";
            return KELVO_ERR_TOO_LARGE;
    }
    return KELVO_ERR_INVALID;
}

int runJob(KelvoSession& session, const char* name) {
    if (!name) {
        qCWarning(lcApi) << "run_job: no job name given, nothing sent";
        return KELVO_ERR_INVALID;
    }
    Robot& robot = session.robot();
    if (robot.runningState() == kJobRunning || robot.servoStatus() == kServoStopped)
        return KELVO_ERR_REFUSED;
    return KelvoSession::sent(robot.runJob(QString::fromUtf8(name)));
}

int stopJob(KelvoSession& session) {
    Robot& robot = session.robot();
    if (robot.runningState() != kJobRunning)
        return KELVO_ERR_REFUSED;
    Json::Value payload = forCurrentRobot(robot);
    payload["type"] = kStopJobType;
    return KelvoSession::sent(robot.sendCommand(cmd::kStopJob, payload));
}

int continuousMotionMode(KelvoSession& session, int open) {
    Robot& robot = session.robot();
    Json::Value payload = forCurrentRobot(robot);
    payload["open"] = open == kOpen;
    const bool sent = robot.sendCommand(cmd::kContinuousMotionMode, payload);
    if (open != kOpen)
        robot.switchToTeachMode();
    return KelvoSession::sent(sent);
}

int sendQueue(KelvoSession& session, const ContinuousMotionPoint* points, unsigned int count) {
    qCDebug(lcApi).nospace() << "send_continuous_motion_queue: " << count << " points";
    if (!points && count > 0) {
        qCWarning(lcApi) << "send_continuous_motion_queue: no points given, nothing sent";
        return KELVO_ERR_INVALID;
    }
    Robot& robot = session.robot();
    const QueuePayload payload = writeQueuePayload(robot.currentRobotNumber(), points, count);
    const int status = sendable(payload);
    if (status != KELVO_OK)
        return status;
    return KelvoSession::sent(robot.sendCommand(cmd::kContinuousMotionQueue, payload.text));
}

}  // namespace

extern "C" {

KELVO_API void KELVO_CALL run_job(const char* name) {
    flatRequest("run_job", runJob, name);
}

KELVO_API void KELVO_CALL stop_job(void) {
    flatRequest("stop_job", stopJob);
}

KELVO_API void KELVO_CALL continuous_motion_mode(int open) {
    flatRequest("continuous_motion_mode", continuousMotionMode, open);
}

KELVO_API void KELVO_CALL send_continuous_motion_queue(const ContinuousMotionPoint* points,
                                                       unsigned int count) {
    flatRequest("send_continuous_motion_queue", sendQueue, points, count);
}

KELVO_API int KELVO_CALL kelvo_run_job(KelvoSession* session, const char* name) {
    return sessionCall("kelvo_run_job", session, runJob, name);
}

KELVO_API int KELVO_CALL kelvo_stop_job(KelvoSession* session) {
    return sessionCall("kelvo_stop_job", session, stopJob);
}

KELVO_API int KELVO_CALL kelvo_continuous_motion_mode(KelvoSession* session, int open) {
    return sessionCall("kelvo_continuous_motion_mode", session, continuousMotionMode, open);
}

KELVO_API int KELVO_CALL kelvo_send_continuous_motion_queue(KelvoSession* session,
                                                            const ContinuousMotionPoint* points,
                                                            unsigned int count) {
    return sessionCall("kelvo_send_continuous_motion_queue", session, sendQueue, points, count);
}

}  // extern "C"
