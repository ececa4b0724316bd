#pragma once

#include "simfamily.h"

#include <QByteArray>
#include <QtGlobal>

namespace kelvo::sim {

inline constexpr quint16 kHeartBeat = 0x7266;
inline constexpr quint16 kHeartBeatReply = 0x7267;

// 0x7266 from the library is answered with 0x7267 carrying the same payload.
class HeartbeatFamily : public SimFamily {
public:
    explicit HeartbeatFamily(SimController& controller);

    // The controller's own heartbeat {"time": T}, as sent in the heartbeats-only fault.
    static QByteArray heartBeatPayload();
};

}  // namespace kelvo::sim
