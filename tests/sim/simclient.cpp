#include "simclient.h"

#include "link/frame.h"
#include "simframe.h"

using kelvo::sim::nowMs;

bool SimClient::connectTo(quint16 port, const QString& address) {
    socket_.connectToHost(address, port);
    return socket_.waitForConnected(2000);
}

void SimClient::send(quint16 command, const QByteArray& payload) {
    socket_.write(kelvo::encodeFrame(command, payload));
    socket_.waitForBytesWritten(1000);
}

std::optional<kelvo::Frame> SimClient::next(int timeoutMs) {
    kelvo::Frame frame;
    const qint64 deadline = nowMs() + timeoutMs;
    while (!decoder_.next(&frame)) {
        const qint64 left = deadline - nowMs();
        if (left <= 0 || !socket_.waitForReadyRead(static_cast<int>(left))) {
            return std::nullopt;
        }
        decoder_.append(socket_.readAll());
    }
    return frame;
}

std::optional<kelvo::Frame> SimClient::nextOf(quint16 command, int timeoutMs) {
    const qint64 deadline = nowMs() + timeoutMs;
    for (;;) {
        const std::optional<kelvo::Frame> frame =
            next(static_cast<int>(qMax<qint64>(0, deadline - nowMs())));
        if (!frame || frame->command == command)
            return frame;
    }
}

std::optional<kelvo::Frame> SimClient::ask(quint16 command, const QByteArray& payload,
                                           quint16 replyCommand) {
    send(command, payload);
    return nextOf(replyCommand);
}
