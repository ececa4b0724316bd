// The flight recorder: what a dump holds, how much it keeps, and its automatic dumps.

#include "link/framerecorder.h"
#include "link/jsonwire.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <vector>

namespace {

using kelvo::FrameRecorder;
using Link = FrameRecorder::Link;
using Direction = FrameRecorder::Direction;

std::vector<Json::Value> readDump(const QString& path) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    std::vector<Json::Value> lines;
    while (!file.atEnd())
        lines.push_back(kelvo::json::parse(file.readLine()).value_or(Json::Value("unreadable")));
    return lines;
}

std::vector<Json::Value> dumped(const FrameRecorder& recorder) {
    const QTemporaryDir dir;
    EXPECT_TRUE(recorder.dump(dir.filePath(QStringLiteral("trace.jsonl"))));
    return readDump(dir.filePath(QStringLiteral("trace.jsonl")));
}

// The exact bytes a dumped frame carried, whichever form they took.
QByteArray payloadOf(const Json::Value& line) {
    if (line.isMember("payload_base64"))
        return QByteArray::fromBase64(QByteArray::fromStdString(line["payload_base64"].asString()));
    return QByteArray::fromStdString(line["payload"].asString());
}

void recordNumbered(FrameRecorder& recorder, int from, int to) {
    for (int i = from; i < to; ++i)
        recorder.recordFrame(Link::Control, Direction::In, 0x2003, QByteArray::number(i));
}

}  // namespace

TEST(FrameRecorder, KeepsExactlyTheLastFramesAcrossResizes) {
    FrameRecorder recorder(3);
    recordNumbered(recorder, 0, 10);
    std::vector<Json::Value> lines = dumped(recorder);
    ASSERT_EQ(lines.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(payloadOf(lines[i]), QByteArray::number(7 + i));
        EXPECT_EQ(lines[i]["seq"].asUInt64(), 7u + i) << "numbered across the ring";
    }

    // Shrinking keeps the newest; growing keeps them all and adds the next.
    recorder.setCapacity(2);
    recorder.setCapacity(4);
    recordNumbered(recorder, 10, 12);
    lines = dumped(recorder);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(payloadOf(lines.front()), "8");
    EXPECT_EQ(payloadOf(lines.back()), "11");

    recorder.setCapacity(0);
    recordNumbered(recorder, 12, 20);
    EXPECT_TRUE(dumped(recorder).empty());
}

// What the API's trace test does not reach: text cut inside a character, a payload past the limit.
TEST(FrameRecorder, PayloadsSurviveAsTheirExactBytes) {
    FrameRecorder recorder;
    const QByteArray text = QByteArrayLiteral("{\"t\":\"Gr\xC3\xBC\xC3\x9F\x65 \\\"x\\\"\\n\"}\n");
    const QByteArray cutUtf8 = QByteArrayLiteral("ab\xC3");
    QByteArray large(6000, 'x');
    large[0] = '\xFF';
    recorder.recordFrame(Link::Control, Direction::Out, 0x2602, text);
    recorder.recordFrame(Link::Control, Direction::In, 0x2C03, cutUtf8);
    recorder.recordFrame(Link::Transfer, Direction::In, 0x5521, large);
    recorder.recordEvent(Link::Control, FrameRecorder::Event::BytesSkipped, QString(), 17);

    const std::vector<Json::Value> lines = dumped(recorder);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0]["payload"].asString(), text.toStdString()) << "UTF-8 goes in as text";
    EXPECT_EQ(payloadOf(lines[1]), cutUtf8);
    EXPECT_TRUE(lines[1].isMember("payload_base64"));
    EXPECT_EQ(lines[2]["link"].asString(), "transfer");
    EXPECT_EQ(lines[2]["length"].asInt(), 6000);
    EXPECT_TRUE(lines[2]["truncated"].asBool());
    EXPECT_EQ(payloadOf(lines[2]), large.left(FrameRecorder::kPayloadLimit));
    EXPECT_EQ(lines[3]["bytes"].asInt(), 17);
    EXPECT_LE(lines[0]["mono_ns"].asInt64(), lines[3]["mono_ns"].asInt64());
}

// A link that keeps dropping leaves at most 20 dumps, the newest, each holding its loss.
TEST(FrameRecorder, RepeatedLossesKeepTwentyDumps) {
    const QTemporaryDir dir;
    FrameRecorder recorder;
    recorder.setAutoDumpDir(dir.path(), QStringLiteral("test"));
    QFile other(dir.filePath(QStringLiteral("kelvo-trace-not-ours.jsonl")));
    ASSERT_TRUE(other.open(QIODevice::WriteOnly) && (other.close(), true));
    for (int i = 0; i < 25; ++i) {
        recordNumbered(recorder, i, i + 1);
        recorder.recordEvent(Link::Control, FrameRecorder::Event::Lost, QStringLiteral("peer"));
    }
    const QStringList dumps =
        QDir(dir.path()).entryList({QStringLiteral("kelvo-trace-test-*.jsonl")}, QDir::Files);
    EXPECT_EQ(dumps.size(), 20);
    EXPECT_TRUE(other.exists()) << "only its own files are replaced";
    const std::vector<Json::Value> last = readDump(dir.filePath(dumps.last()));
    ASSERT_FALSE(last.empty());
    EXPECT_EQ(last.back()["event"].asString(), "loss");
    EXPECT_EQ(last.back()["detail"].asString(), "peer");
}
