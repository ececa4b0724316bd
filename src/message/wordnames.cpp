#include "message/wordnames.h"

#include "link/tcpconnectmoduleprivate.h"
#include "message/commandwords.h"
#include "message/reportcatalogue.h"

#include <QMetaMethod>

#include <variant>

namespace kelvo {

namespace {

struct WordName {
    quint16 word;
    const char* name;
};

constexpr WordName kCommandNames[] = {
    {cmd::kSetServoStatus, "SetServoStatus"},
    {cmd::kQueryServoStatus, "QueryServoStatus"},
    {cmd::kSetOperationMode, "SetOperationMode"},
    {cmd::kQueryOperationMode, "QueryOperationMode"},
    {cmd::kQueryTeachModeType, "QueryTeachModeType"},
    {cmd::kSetCoordinationMode, "SetCoordinationMode"},
    {cmd::kQueryCoordinationMode, "QueryCoordinationMode"},
    {cmd::kSetDeadman, "SetDeadman"},
    {cmd::kStopJob, "StopJob"},
    {cmd::kRunJob, "RunJob"},
    {cmd::kSetSpeed, "SetSpeed"},
    {cmd::kQuerySpeed, "QuerySpeed"},
    {cmd::kStartJog, "StartJog"},
    {cmd::kStopJog, "StopJog"},
    {cmd::kQueryPosition, "QueryPosition"},
    {cmd::kClearError, "ClearError"},
    {cmd::kQueryCurrentPosition, "QueryCurrentPosition"},
    {cmd::kClearAllErrors, "ClearAllErrors"},
    {cmd::kAnnounceSyncedRobot, "AnnounceSyncedRobot"},
    {cmd::kSetDout, "SetDout"},
    {cmd::kQueryDout, "QueryDout"},
    {cmd::kQueryDin, "QueryDin"},
    {cmd::kSetAout, "SetAout"},
    {cmd::kQueryAout, "QueryAout"},
    {cmd::kQueryAin, "QueryAin"},
    {cmd::kQuerySelectedTool, "QuerySelectedTool"},
    {cmd::kQueryCurrentUserCoords, "QueryCurrentUserCoords"},
    {cmd::kQueryRunStatus, "QueryRunStatus"},
    {cmd::kMoveJoint, "MoveJoint"},
    {cmd::kMoveLinear, "MoveLinear"},
    {cmd::kMoveCircular, "MoveCircular"},
    {cmd::kContinuousMotionMode, "ContinuousMotionMode"},
    {cmd::kContinuousMotionQueue, "ContinuousMotionQueue"},
    {cmd::kQueryJobLists, "QueryJobLists"},
    {cmd::kQuerySyncPosition, "QuerySyncPosition"},
};

QByteArray linkWordName(quint16 word) {
    if (word == TcpConnectModulePrivate::kHeartBeat)
        return QByteArrayLiteral("HeartBeat");
    if (word == TcpConnectModulePrivate::kHeartBeatReply)
        return QByteArrayLiteral("HeartBeatReply");
    return QByteArray();
}

QByteArray reportName(quint16 word) {
    const Report* const report = findReport(word);
    if (!report)
        return linkWordName(word);
    return std::visit([](auto signal) { return QMetaMethod::fromSignal(signal).name(); },
                      report->signal);
}

QByteArray commandName(quint16 word) {
    for (const WordName& entry : kCommandNames) {
        if (entry.word == word)
            return QByteArray(entry.name);
    }
    return linkWordName(word);
}

}  // namespace

QByteArray controlWordName(quint16 word, bool received) {
    return received ? reportName(word) : commandName(word);
}

}  // namespace kelvo
