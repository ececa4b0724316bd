#pragma once

#include "link/framedecoder.h"

#include <QByteArray>
#include <QString>
#include <QTcpSocket>

#include <optional>

// A plain blocking client standing in for the library.
class SimClient {
public:
    bool connectTo(quint16 port, const QString& address = QStringLiteral("127.0.0.1"));
    void send(quint16 command, const QByteArray& payload);
    // The next frame, whatever it is; empty after timeoutMs.
    std::optional<kelvo::Frame> next(int timeoutMs);
    // The next frame with this command word; the ones before it are dropped.
    std::optional<kelvo::Frame> nextOf(quint16 command, int timeoutMs = 3000);
    // Sends command and returns the next frame with replyCommand.
    std::optional<kelvo::Frame> ask(quint16 command, const QByteArray& payload,
                                    quint16 replyCommand);
    void close() { socket_.abort(); }

private:
    QTcpSocket socket_;
    kelvo::FrameDecoder decoder_{kelvo::FrameDecoder::HeadErrors::Silent};
};

// What a frame carries, or a mark for none.
inline QByteArray payloadOf(const std::optional<kelvo::Frame>& frame) {
    return frame ? frame->payload : QByteArray("<no frame>");
}
