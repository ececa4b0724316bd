#pragma once

#include "message/tcpconnectmodule.h"

#include <QtGlobal>

#include <variant>

namespace kelvo {

// How a received report reaches its signal.
enum class DispatchRule {
    Forward,            // the payload as received
    ForwardIfNotEmpty,  // ... only when it has at least one byte
    ForwardIfJson,      // ... only when it parses as JSON
    OneByte,            // exactly one byte, as a signed value
    Position,           // "posDeg", "coord" and "robot" decoded
    TwoSignals,         // the payload to the entry's signal, then to receivedJobStatus
    NoArguments,        // the payload is ignored
};

// One word of the inbound catalogue with the signal it reaches.
struct Report {
    using PayloadSignal = void (TcpConnectModule::*)(QByteArray);
    using BareSignal = void (TcpConnectModule::*)();
    using ByteSignal = void (TcpConnectModule::*)(qint8);
    using PositionSignal = void (TcpConnectModule::*)(QVector<double>, int, int);

    quint16 word;
    std::variant<PayloadSignal, BareSignal, ByteSignal, PositionSignal> signal;
    DispatchRule rule;
};

// The catalogue entry of a received command word; null when the word is not in the catalogue.
const Report* findReport(quint16 word);

}  // namespace kelvo
