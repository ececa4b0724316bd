// The chaos mode: what a client of a breaking controller sees, and honesty once it stops.

#include "link/frame.h"
#include "link/framedecoder.h"
#include "simchaos.h"
#include "simclient.h"

#include <gtest/gtest.h>

#include <QSet>
#include <QTcpSocket>

using namespace kelvo::sim;

TEST(SimChaos, RatesAreReadByNameAndRefusedWhenUnknownOrOutOfRange) {
    const std::optional<SimChaosRates> rates =
        SimChaosRates::parse(QStringLiteral("reports=5,drops=0,stall=4000,files=1"));
    ASSERT_TRUE(rates);
    EXPECT_EQ(
        std::tuple(rates->reports, rates->drops, rates->stallMs, rates->files, rates->garbage),
        std::tuple(5, 0, 4000, 1, SimChaosRates().garbage));
    for (const char* bad : {"report=5", "files=2", "drops=-1", "stalls", "stall=x", "drops=1=2"})
        EXPECT_FALSE(SimChaosRates::parse(QString::fromLatin1(bad))) << bad;
}

TEST(SimChaos, SendsAnyWordMalformedDropsStallsAndBurstsGarbageThenAnswersHonestly) {
    Controller c;
    const auto rates = SimChaosRates::parse(
        QStringLiteral("reports=200,garbage=10,drops=0.5,stalls=0.5,stall=600,bytes=1"));
    c.sim.startChaos(7, rates.value());

    QSet<quint16> words;
    qint64 received = 0, inFrames = 0, longestGap = 0;
    int drops = 0;
    const qint64 start = nowMs();
    while (nowMs() - start < 5000) {
        QTcpSocket socket;
        socket.connectToHost(QStringLiteral("127.0.0.1"), c.port);
        if (!socket.waitForConnected(2000))
            continue;
        kelvo::FrameDecoder decoder(kelvo::FrameDecoder::HeadErrors::Silent);
        qint64 last = nowMs();
        while (nowMs() - start < 5000 && socket.state() == QAbstractSocket::ConnectedState) {
            if (!socket.waitForReadyRead(100))
                continue;
            longestGap = qMax(longestGap, nowMs() - last);
            last = nowMs();
            received += socket.bytesAvailable();
            decoder.append(socket.readAll());
            for (kelvo::Frame frame; decoder.next(&frame);) {
                words.insert(frame.command);
                inFrames += frame.payload.size() + kelvo::kFrameOverhead;
            }
        }
        drops += socket.state() != QAbstractSocket::ConnectedState;
    }
    EXPECT_GE(words.size(), 40);
    EXPECT_GT(received, inFrames);  // garbage and false headers among the frames
    EXPECT_GE(drops, 1);
    EXPECT_GE(longestGap, 450);  // a stall

    c.sim.stopChaos();
    SimClient client;
    ASSERT_TRUE(client.connectTo(c.port));
    EXPECT_EQ(payloadOf(client.ask(0x2102, "", 0x2103)), QByteArray("{\"mode\":0}\n"));
}
