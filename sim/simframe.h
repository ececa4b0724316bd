#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <chrono>

namespace kelvo::sim {

// Monotonic milliseconds, comparable across threads of one process.
inline qint64 nowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// A frame the simulator received.
struct SimFrame {
    quint16 command = 0;
    QByteArray payload;
    qint64 atMs = 0;     // nowMs() at receipt
    int connection = 0;  // 1 for the first accepted connection, then counting up
};

}  // namespace kelvo::sim
