#pragma once

#include "kelvo.h"

#include "instructions/movecommand.h"

#include <QByteArray>
#include <QtGlobal>

#include <memory>

namespace kelvo::api {

// The instruction a queue point becomes; null for a point type outside 1 to 7.
std::unique_ptr<MoveCommand> instructionFor(const ContinuousMotionPoint& point);

// The payload of a continuous-motion queue, or why it cannot be sent.
struct QueuePayload {
    enum class Outcome { Ready, NotFinite, TooLarge };

    Outcome outcome = Outcome::Ready;
    // Ready: {"data": [instructions, null where a point has no type], "robot": robot} as the wire
    // writer writes it; {"robot": robot} alone when no point has a type.
    QByteArray text;
    // TooLarge: the bytes the payload would take.
    qint64 size = 0;
    // NotFinite: the first point with a value that is not finite.
    unsigned int point = 0;
};

// Writes one instruction at a time, so a queue far over the frame limit costs no more memory than
// one that fits.
QueuePayload writeQueuePayload(int robot, const ContinuousMotionPoint* points, unsigned int count);

}  // namespace kelvo::api
