#pragma once

#include "link/frame.h"
#include "link/framedecoder.h"
#include "simframe.h"
#include "simharness.h"

#include <QByteArray>
#include <QString>
#include <QTcpSocket>

#include <gtest/gtest.h>

#include <optional>

// A plain blocking client standing in for the library.
class SimClient {
public:
    bool connectTo(quint16 port, const QString& address = QStringLiteral("127.0.0.1")) {
        socket_.connectToHost(address, port);
        return socket_.waitForConnected(2000);
    }
    void send(quint16 command, const QByteArray& payload) {
        socket_.write(kelvo::encodeFrame(command, payload));
        socket_.waitForBytesWritten(1000);
    }
    // The next frame, whatever it is; empty after timeoutMs.
    std::optional<kelvo::Frame> next(int timeoutMs) { return nextOf(std::nullopt, timeoutMs); }
    // The next frame with this command word; the ones before it are dropped.
    std::optional<kelvo::Frame> nextOf(std::optional<quint16> command, int timeoutMs = 3000) {
        const qint64 deadline = kelvo::sim::nowMs() + timeoutMs;
        kelvo::Frame frame;
        for (;;) {
            while (!decoder_.next(&frame)) {
                const qint64 left = deadline - kelvo::sim::nowMs();
                if (left <= 0 || !socket_.waitForReadyRead(static_cast<int>(left)))
                    return std::nullopt;
                decoder_.append(socket_.readAll());
            }
            if (!command || frame.command == *command)
                return frame;
        }
    }
    // Sends command and returns the next frame with replyCommand.
    std::optional<kelvo::Frame> ask(quint16 command, const QByteArray& payload, quint16 reply) {
        send(command, payload);
        return nextOf(reply);
    }
    void close() { socket_.abort(); }

private:
    QTcpSocket socket_;
    kelvo::FrameDecoder decoder_{kelvo::FrameDecoder::HeadErrors::Silent};
};

// A simulated controller on a port of its own.
struct Controller {
    explicit Controller(int robots = 1) {
        sim.simulateRobots(robots);
        port = sim.start();
    }
    // A client past the greeting (robot type, count and selection).
    void connect(SimClient& client) {
        ASSERT_TRUE(client.connectTo(port));
        ASSERT_TRUE(client.nextOf(0x5003));
    }

    kelvo::sim::SimHarness sim;
    quint16 port = 0;
};

// What a frame carries, or a mark for none.
inline QByteArray payloadOf(const std::optional<kelvo::Frame>& frame) {
    return frame ? frame->payload : QByteArray("<no frame>");
}
