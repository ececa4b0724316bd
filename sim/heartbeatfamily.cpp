#include "heartbeatfamily.h"

#include "simcontroller.h"

#include "link/jsonwire.h"

#include <QDateTime>

namespace kelvo::sim {

HeartbeatFamily::HeartbeatFamily(SimController& controller) : SimFamily(controller) {
    controller_.on(kHeartBeat, [this](QTcpSocket* client, const Frame& frame) {
        if (controller_.repliesToHeartbeats())
            controller_.reply(client, kHeartBeatReply, frame.payload);
    });
}

QByteArray HeartbeatFamily::heartBeatPayload() {
    Json::Value body(Json::objectValue);
    body["time"] = Json::UInt64(QDateTime::currentSecsSinceEpoch());
    return json::write(body).value_or(QByteArray());
}

}  // namespace kelvo::sim
