// The receive side of the transfer connection against a scripted controller in the test thread:
// frames split across reads at every byte, chunk numbers, words it does not know.

#include "transferrig.h"

#include "link/frame.h"
#include "link/framedecoder.h"
#include "transfer/transferwords.h"

#include <QCoreApplication>
#include <QTcpServer>
#include <QTcpSocket>

#include <gtest/gtest.h>

#include <deque>
#include <optional>

namespace word = kelvo::transfer::word;

namespace {

// A controller whose every byte the test writes, in the pieces it chooses.
class ScriptedController {
public:
    ScriptedController() {
        server_.listen(QHostAddress::LocalHost);
        QObject::connect(&server_, &QTcpServer::newConnection, [this] {
            client_ = server_.nextPendingConnection();
            client_->setSocketOption(QAbstractSocket::LowDelayOption, 1);
            QObject::connect(client_, &QTcpSocket::readyRead, [this] {
                decoder_.append(client_->readAll());
                kelvo::Frame frame;
                while (decoder_.next(&frame))
                    frames_.push_back(frame);
            });
        });
    }

    quint16 port() const { return server_.serverPort(); }

    std::optional<kelvo::Frame> next(int timeoutMs = 3000) {
        if (!waitFor([this] { return !frames_.empty(); }, timeoutMs))
            return std::nullopt;
        const kelvo::Frame frame = frames_.front();
        frames_.pop_front();
        return frame;
    }

    // Writes bytes in pieces cut at the given offsets; the library reads each piece before the
    // next is written.
    void send(const QByteArray& bytes, const QVector<int>& cuts) {
        int from = 0;
        for (int cut : cuts + QVector<int>{bytes.size()}) {
            client_->write(bytes.mid(from, cut - from));
            client_->flush();
            QCoreApplication::processEvents();
            QCoreApplication::processEvents();
            from = cut;
        }
    }

    void sendByteByByte(const QByteArray& bytes) {
        QVector<int> cuts;
        for (int i = 1; i < bytes.size(); ++i)
            cuts << i;
        send(bytes, cuts);
    }

private:
    QTcpServer server_;
    QTcpSocket* client_ = nullptr;
    kelvo::FrameDecoder decoder_{kelvo::FrameDecoder::HeadErrors::Silent};
    std::deque<kelvo::Frame> frames_;
};

QByteArray chunk(quint16 number, const QByteArray& data) {
    QByteArray payload;
    payload.append(static_cast<char>(number >> 8)).append(static_cast<char>(number & 0xFF));
    return kelvo::encodeFrame(word::kDownloadChunk, payload + data);
}

}  // namespace

TEST(Receive, AFrameSplitAtAnyByteIsStillCutWhole) {
    TransferRig rig;
    ScriptedController controller;
    TcpUpDownFile transfer(rig.robot.get(), controller.port(), rig.appDir());

    // A synchronisation whose reports the test delivers: robot 1's directory holds one file.
    transfer.startDownLoadJobFileFromController();
    transfer.recvJobFileSumList(R"({"absolutepath":["/c/R1/"],"jobfilenum":[1]})");
    transfer.recvJobFileList(
        R"({"jobfilelist":[{"MD5":"-","name":"BIG.JBR"}],"listnum":1,"robot":1})");
    transfer.recvJobFileInfoFinish();
    const auto request = controller.next();
    ASSERT_TRUE(request && request->payload == "{\"name\":\"/c/R1/BIG.JBR\"}\n");

    // The answer and one of three chunks come byte by byte, the others split elsewhere.
    const QByteArray content = pattern(5000, 7);
    controller.sendByteByByte(kelvo::encodeFrame(
        word::kDownloadAnswer, R"({"answer":"yes","name":"/c/R1/BIG.JBR","size":5000})"
                               "\n"));
    auto ready = controller.next();
    ASSERT_TRUE(ready && ready->command == word::kChunkReady);

    // A chunk out of turn and a word the transfer does not know are consumed without an answer.
    controller.send(chunk(2, content.mid(2048, 2048)), {});
    controller.send(kelvo::encodeFrame(0x7266, "{\"time\":1}\n"), {1});
    EXPECT_FALSE(controller.next(200));

    controller.send(chunk(1, content.left(2048)), {1});
    ready = controller.next();
    ASSERT_TRUE(ready && ready->command == word::kChunkReady);
    controller.sendByteByByte(chunk(2, content.mid(2048, 2048)));
    ready = controller.next();
    ASSERT_TRUE(ready && ready->command == word::kChunkReady);
    const QByteArray last = chunk(3, content.mid(4096));
    controller.send(last, {last.size() - 1});
    ready = controller.next();
    ASSERT_TRUE(ready && ready->command == word::kChunkReady);
    controller.send(kelvo::encodeFrame(word::kDownloadEnd, QByteArray()), {4, 9});
    const auto result = controller.next();
    ASSERT_TRUE(result);
    EXPECT_EQ(result->command, word::kDownloadResult);
    EXPECT_EQ(result->payload, "{\"finish\":true}\n");
    EXPECT_EQ(readFile(rig.localJob(1, "BIG.JBR")), content);
}
