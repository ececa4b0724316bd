#include "link/frame.h"
#include "link/framedecoder.h"
#include "logcapture.h"

#include <QByteArray>
#include <QStringList>
#include <QThread>

#include <gtest/gtest.h>

#include <vector>

using kelvo::Frame;
using kelvo::FrameDecoder;

namespace {

const QByteArray kRobotFrame = QByteArray::fromHex("4E66000C20027B22726F626F74223A317D0AFAC1F6A0");
const QByteArray kEmptyFrame = QByteArray::fromHex("4E660000210243D5ABD3");

std::vector<Frame> drain(FrameDecoder& decoder) {
    std::vector<Frame> frames;
    Frame frame;
    while (decoder.next(&frame))
        frames.push_back(frame);
    return frames;
}

}  // namespace

TEST(FrameEncoding, WorkedExamplesAndThePayloadBound) {
    EXPECT_EQ(kelvo::crc32(QByteArray("123456789")), 0xCBF43926u);
    EXPECT_EQ(kelvo::crc32(QByteArray()), 0u);
    EXPECT_EQ(kelvo::encodeFrame(0x2002, "{\"robot\":1}\n"), kRobotFrame);
    EXPECT_EQ(kelvo::encodeFrame(0x2102, QByteArray()), kEmptyFrame);
    LogCapture log;
    EXPECT_EQ(kelvo::encodeFrame(0x50B4, QByteArray(65535, 'x')).size(), 65545);
    EXPECT_TRUE(kelvo::encodeFrame(0x50B4, QByteArray(65536, 'x')).isEmpty());
    EXPECT_EQ(log.lines().size(), 1);
}

TEST(FrameDecoding, ShortBuffersWaitAndOneReadMayHoldSeveralFrames) {
    FrameDecoder decoder;
    decoder.append(kEmptyFrame.left(9));
    EXPECT_TRUE(drain(decoder).empty());
    EXPECT_EQ(decoder.pending(), 9);
    decoder.append(kEmptyFrame.mid(9) + kRobotFrame + kEmptyFrame.left(1));
    auto frames = drain(decoder);
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0].command, 0x2102);
    EXPECT_TRUE(frames[0].payload.isEmpty());
    EXPECT_EQ(frames[1].command, 0x2002);
    EXPECT_EQ(frames[1].payload, "{\"robot\":1}\n");
    decoder.append(kEmptyFrame.mid(1));
    EXPECT_EQ(drain(decoder).size(), 1u);
    EXPECT_EQ(decoder.pending(), 0);
}

TEST(FrameDecoding, GarbageAndBadCrcResynchroniseWithOneLinePerRun) {
    LogCapture log;
    FrameDecoder decoder;
    QByteArray corrupt = kRobotFrame;
    corrupt[10] = 'X';
    // A lone magic byte followed by anything else is one garbage byte.
    decoder.append(QByteArray("\x01\x02\x4E", 3) + kEmptyFrame + corrupt + kRobotFrame);
    const auto frames = drain(decoder);
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0].command, 0x2102);
    EXPECT_EQ(frames[1].payload, "{\"robot\":1}\n");
    EXPECT_EQ(log.lines(), QStringList({"onTcpSocketReadyRead: head error, 3 bytes skipped",
                                        "fac1f6a0", "onTcpSocketReadyRead: crc32 error",
                                        "onTcpSocketReadyRead: head error, 21 bytes skipped"}));

    // A run that goes on over several reads is still one line, written where it ends.
    log.clear();
    for (int i = 0; i < 3; ++i) {
        decoder.append(QByteArray(1000, 'g'));
        EXPECT_TRUE(drain(decoder).empty());
    }
    EXPECT_TRUE(log.lines().isEmpty());
    decoder.append(kEmptyFrame);
    EXPECT_EQ(drain(decoder).size(), 1u);
    EXPECT_EQ(log.lines(), QStringList("onTcpSocketReadyRead: head error, 3000 bytes skipped"));
}

TEST(FrameDecoding, RepeatedErrorLinesAreBoundedAndTheRestSummed) {
    LogCapture log;
    FrameDecoder decoder;
    for (int i = 0; i < 50; ++i) {
        decoder.append("gg" + kEmptyFrame);
        EXPECT_EQ(drain(decoder).size(), 1u);
    }
    EXPECT_EQ(log.count("onTcpSocketReadyRead: head error, 2 bytes skipped"), 10);
    EXPECT_EQ(log.lines().size(), 10);

    QThread::msleep(1100);
    log.clear();
    decoder.append("gg" + kEmptyFrame);
    EXPECT_EQ(drain(decoder).size(), 1u);
    EXPECT_EQ(log.lines(), QStringList({"onTcpSocketReadyRead: head error: 40 more suppressed",
                                        "onTcpSocketReadyRead: head error, 2 bytes skipped"}));
}

TEST(FrameDecoding, DamagedLengthIsAwaitedWhenTrustedAndOvertakenWhenDoubted) {
    QByteArray damaged = kRobotFrame;
    damaged[2] = 0x01;  // length 0x010C: 268 payload bytes expected

    LogCapture log;
    FrameDecoder trusting;
    trusting.append(damaged + kEmptyFrame);
    EXPECT_TRUE(drain(trusting).empty());
    trusting.append(QByteArray(300, '\0'));
    trusting.append(kRobotFrame);
    auto frames = drain(trusting);
    // The held-back frame is found again by resynchronisation, then the later one.
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0].command, 0x2102);
    EXPECT_EQ(frames[1].command, 0x2002);
    EXPECT_EQ(log.count("onTcpSocketReadyRead: crc32 error"), 1);

    log.clear();
    FrameDecoder doubting(FrameDecoder::HeadErrors::Logged, FrameDecoder::Lengths::Doubted);
    doubting.append(damaged + kEmptyFrame);
    frames = drain(doubting);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].command, 0x2102);
    EXPECT_EQ(doubting.pending(), 0);
    EXPECT_EQ(log.lines(), QStringList("onTcpSocketReadyRead: length error, 22 bytes skipped"));
}

TEST(FrameDecoding, FalseHeadersGiveWayToTheFirstCompleteGoodFrame) {
    // A false start whose short claim ends inside a second one, with a longer claim.
    const QByteArray shortClaim = QByteArray::fromHex("4E660004") + "ab";
    const QByteArray longClaim = QByteArray::fromHex("4E661000") + "garbage";
    const QByteArray falseHeader = QByteArray::fromHex("4E66FFF0");
    const QByteArray third = kelvo::encodeFrame(0x2003, "{\"Nf\":3}\n");
    FrameDecoder decoder(FrameDecoder::HeadErrors::Silent, FrameDecoder::Lengths::Doubted);

    // Frames arrive byte by byte: each is delivered when its last byte comes, not before.
    const QByteArray first = shortClaim + longClaim + kRobotFrame;
    const QByteArray second = first + falseHeader + kEmptyFrame;
    const QByteArray stream = second + third;
    std::vector<Frame> frames;
    std::vector<qsizetype> deliveredAt;
    for (int i = 0; i < stream.size(); ++i) {
        decoder.append(stream.constData() + i, 1);
        for (const Frame& frame : drain(decoder)) {
            frames.push_back(frame);
            deliveredAt.push_back(i + 1);
        }
    }
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_EQ(frames[0].payload, "{\"robot\":1}\n");
    EXPECT_EQ(frames[1].command, 0x2102);
    EXPECT_EQ(frames[2].payload, "{\"Nf\":3}\n");
    EXPECT_EQ(deliveredAt, (std::vector<qsizetype>{first.size(), second.size(), stream.size()}));
    EXPECT_EQ(decoder.pending(), 0);
}

TEST(FrameDecoding, SilentModeLogsNoHeadErrorsAndGarbageKeepsLessThanAFrame) {
    LogCapture log;
    FrameDecoder decoder(FrameDecoder::HeadErrors::Silent);
    decoder.append(QByteArray(50, 'g') + kRobotFrame);
    EXPECT_EQ(drain(decoder).size(), 1u);
    decoder.append(QByteArray(1 << 20, 'g'));
    EXPECT_TRUE(drain(decoder).empty());
    EXPECT_EQ(decoder.pending(), kelvo::kFrameOverhead - 1);
    EXPECT_TRUE(log.lines().isEmpty());
}
