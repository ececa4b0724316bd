#pragma once

#include <QtGlobal>

// Values of the request slots, held as the wire carries them. The codes are the controller's:
// the names below are the ones the library relies on, any other value passes through unchanged.

enum class ServoStatus : qint8 {
    Ready = 1,    // what a servo-on request asks for and a successful one leaves
    Running = 3,  // jogging allowed
};

enum class OperationMode : int {
    Teach = 0,
    Remote = 1,
    Run = 2,
};

// Sent as four raw bytes, most significant first.
using ErrorList = quint32;
