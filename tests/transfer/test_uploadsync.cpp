// Uploads and synchronisation against the simulated controller, real files on both sides: upload
// order, names, chunking and content, refusal, failure, busy refusal and the answer time-out; the
// job lists over the control connection, downloads and uploads over the transfer connection.

#include "logcapture.h"
#include "transferrig.h"

#include "message/commandwords.h"
#include "transfer/jobfiles.h"
#include "transfer/transferwords.h"

#include <QDateTime>
#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace word = kelvo::transfer::word;
using kelvo::sim::SimFileFaults;
using kelvo::sim::SimFrame;

namespace {

const QString kBusyLine = QStringLiteral("正在上传文件中ing，不允许上传文件");

void upload(TransferRig& rig) {
    rig.transfer->setUpLoadJobFileName(kelvo::transfer::uploadEntries(rig.appDir()));
}

// Each uploaded file as the controller saw it: its file information, chunk sizes and end.
QStringList uploadsSeen(const QVector<SimFrame>& frames) {
    QStringList seen;
    for (const SimFrame& frame : frames) {
        if (frame.command == word::kFileInfo)
            seen << QString::fromUtf8(frame.payload);
        else if (frame.command == word::kFileChunk && !seen.isEmpty())
            seen.last() += ' ' + QString::number(frame.payload.size());
        else if (frame.command == word::kFileEnd && !seen.isEmpty())
            seen.last() += " end";
    }
    return seen;
}

QString info(const char* name, int size, const QString& chunks) {
    return QStringLiteral("{\"name\":\"%1\",\"size\":%2}\n%3 end").arg(name).arg(size).arg(chunks);
}

void startSync(TransferRig& rig) {
    rig.transfer->followJobReports();
    rig.transfer->startDownLoadJobFileFromController();
}

QStringList requestedNames(TransferRig& rig) {
    QStringList names;
    for (const auto& frame : rig.files->recorder().frames()) {
        if (frame.command == word::kDownloadRequest)
            names << QString::fromUtf8(frame.payload);
    }
    return names;
}

QString request(const char* name) {
    return QStringLiteral(R"({"name":"/controller/job/%1"})").arg(QLatin1String(name)) + "\n";
}

}  // namespace

TEST(Upload, SendsEveryJobFileRobotByRobotNewestFirstInChunksByteForByte) {
    TransferRig rig;
    ASSERT_TRUE(rig.files && rig.robot->connected());
    // With nothing to upload the connection still opens, and nothing is sent.
    upload(rig);
    EXPECT_TRUE(waitFor([&] { return rig.files->recorder().accepted() == 1; }));
    EXPECT_FALSE(rig.transferFrame(word::kFileInfo, 100));
    EXPECT_FALSE(rig.transfer->isBusy());

    struct File {
        int robot;
        const char* name;
        qint64 size;
        int ageSecs;
    };
    const File kFiles[] = {{1, "OLD.JBR", 5000, 300}, {1, "EMPTY.JBR", 0, 200},
                           {1, "NEW.JBR", 4096, 100}, {1, "ONE.JBR", 2048, 50},
                           {2, "TWO.JBP", 10, 400},   {3, "BIG.JBR", 3 * 1024 * 1024, 500}};
    for (int i = 0; i < int(std::size(kFiles)); ++i) {
        const File& f = kFiles[i];
        writeFile(rig.localJob(f.robot, f.name), pattern(f.size, i), f.ageSecs);
    }
    // Neither a symbolic link nor a directory is a job file.
    writeFile(rig.outsideDir() + "/secret", "secret");
    ASSERT_TRUE(QFile::link(rig.outsideDir() + "/secret", rig.localJob(1, "LINK.JBR")));
    QDir().mkpath(rig.localJob(1, "SUBDIR.JBR"));
    int signsOfLife = 0;
    QObject::connect(rig.robot.get(), &Robot::setLastPingTime, [&] { ++signsOfLife; });

    upload(rig);
    ASSERT_TRUE(waitFor([&] { return rig.refreshes() == 1; }, 20000));
    EXPECT_FALSE(rig.transfer->isBusy());

    EXPECT_EQ(
        uploadsSeen(rig.files->recorder().frames()),
        QStringList({info("job/R1/ONE.JBR", 2048, " 2048"),
                     info("job/R1/NEW.JBR", 4096, " 2048 2048"), info("job/R1/EMPTY.JBR", 0, ""),
                     info("job/R1/OLD.JBR", 5000, " 2048 2048 904"),
                     info("job/R2/TWO.JBP", 10, " 10"),
                     info("job/R3/BIG.JBR", 3 * 1024 * 1024, QString(" 2048").repeated(1536))}));
    for (int i = 0; i < int(std::size(kFiles)); ++i) {
        const File& f = kFiles[i];
        EXPECT_EQ(readFile(rig.controllerJob(f.robot, f.name)), pattern(f.size, i)) << f.name;
    }
    // Every frame sent or received told the control link that the controller is alive.
    EXPECT_GE(signsOfLife, 1536 + 6 * 3);

    // The connection stays open after an upload, and the next one uses it.
    upload(rig);
    ASSERT_TRUE(waitFor([&] { return rig.refreshes() == 2; }));
    EXPECT_EQ(rig.files->recorder().accepted(), 1);
}

// Noise in place of the answer: a frame header whose bytes never come.
TEST(Upload, RefusedWhileOneRunsAndEndedByTheAnswerTimeOut) {
    TransferRig rig;
    LogCapture log;
    writeFile(rig.localJob(1, "A.JBR"), pattern(100, 1));
    SimFileFaults stalled;
    stalled.noise = true;
    rig.files->setFaults(stalled);

    upload(rig);
    ASSERT_TRUE(rig.transferFrame(word::kFileInfo));
    EXPECT_TRUE(rig.transfer->isBusy());
    upload(rig);
    EXPECT_EQ(log.count(kBusyLine), 1);
    // Nor does a synchronisation start: it would take the connection and the time-out over.
    rig.transfer->startDownLoadJobFileFromController();
    EXPECT_FALSE(rig.controlFrame(kelvo::cmd::kQueryJobLists, 300));

    const qint64 start = QDateTime::currentMSecsSinceEpoch();
    ASSERT_TRUE(waitFor([&] { return !rig.transfer->isBusy(); }, 9000));
    const qint64 waited = QDateTime::currentMSecsSinceEpoch() - start;
    EXPECT_GT(waited, 3500);
    EXPECT_EQ(log.count(QStringLiteral("等待超时......")), 1);
    EXPECT_FALSE(rig.transferFrame(word::kFileInfo, 0)) << "the refused list was sent";
    EXPECT_TRUE(waitFor([&] { return rig.files->recorder().open() == 0; }));

    // Once it has ended, an upload is accepted again, on a new connection, which the noise of
    // the old one must not hold up.
    rig.files->setFaults(SimFileFaults());
    upload(rig);
    ASSERT_TRUE(waitFor([&] { return rig.refreshes() == 1; }));
    EXPECT_EQ(readFile(rig.controllerJob(1, "A.JBR")), pattern(100, 1));
    EXPECT_EQ(log.count(kBusyLine), 1);
}

TEST(Upload, RefusalFailureAndUnreadableFilesEndTheUploadWithTheirLine) {
    SimFileFaults refuse;
    refuse.refuseUploads = true;
    SimFileFaults fail;
    fail.failUploads = true;
    // %1: the application directory. An entry that would leave the job directories, or a file
    // whose size the file information cannot carry, is never announced.
    const struct {
        SimFileFaults faults;
        QStringList entries;  // empty: the job directories' own
        const char* line;
        qint64 size = 3000;
        quint16 port = 0;  // 0: the simulator's; nothing listens on port 1
    } kCases[] = {{{}, {}, "socket连接失败.....", 3000, 1},
                  {refuse, {}, "控制器拒绝上传程序：%1/robotJob/R1/A.JBR"},
                  {fail, {}, "程序:%1/robotJob/R1/A.JBR 上传失败！"},
                  {{}, {"R1GONE.JBR"}, "无法读取上传程序：%1/robotJob/R1/GONE.JBR"},
                  {{}, {"R1../secret.JBR"}, "无法读取上传程序：%1"},
                  {{}, {"R5A.JBR"}, "无法读取上传程序：%1"},
                  {{}, {}, "无法读取上传程序：%1/robotJob/R1/A.JBR", qint64(1) << 31}};
    // One controller for all: each case leaves its store empty and the connection usable.
    TransferRig rig;
    writeFile(rig.appDir() + "/robotJob/secret.JBR", "secret");
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.line);
        LogCapture log;
        writeFile(rig.localJob(1, "A.JBR"), pattern(3000, 2));
        QFile(rig.localJob(1, "A.JBR")).resize(c.size);
        rig.files->setFaults(c.faults);
        std::optional<TcpUpDownFile> elsewhere;
        if (c.port)
            elsewhere.emplace(rig.robot.get(), c.port, rig.appDir());
        TcpUpDownFile& transfer = elsewhere ? *elsewhere : *rig.transfer;
        transfer.setUpLoadJobFileName(
            c.entries.isEmpty() ? kelvo::transfer::uploadEntries(rig.appDir()) : c.entries);
        const QString line =
            c.port ? QString::fromUtf8(c.line) : QString::fromUtf8(c.line).arg(rig.appDir());
        ASSERT_TRUE(waitFor([&] { return log.count(line) == 1; }));
        EXPECT_FALSE(transfer.isBusy());
        EXPECT_EQ(rig.refreshes(), 0);
        EXPECT_TRUE(TransferRig::filesUnder(rig.files->store().root()).isEmpty());
        // Refused and failed files were announced; nothing else was.
        EXPECT_EQ(bool(rig.transferFrame(word::kFileInfo, 200)),
                  c.faults.refuseUploads || c.faults.failUploads);
    }
}

TEST(Sync, DownloadsWhatDiffersDeletesEmptyFilesAndUploadsWhatTheControllerLacks) {
    TransferRig rig;
    ASSERT_TRUE(rig.files && rig.robot->connected());
    // The controller's side.
    writeFile(rig.controllerJob(1, "SAME.JBR"), pattern(700, 1));
    writeFile(rig.controllerJob(1, "DIFF.JBR"), pattern(3000, 2));
    writeFile(rig.controllerJob(1, "MISSING.JBR"), pattern(5000, 3));
    writeFile(rig.controllerJob(1, "ZERO.JBR"), QByteArray());
    writeFile(rig.controllerJob(2, "OTHER.JBP"), pattern(4096, 4));
    // The PC's side.
    writeFile(rig.localJob(1, "SAME.JBR"), pattern(700, 1), 100);
    writeFile(rig.localJob(1, "DIFF.JBR"), pattern(3000, 9), 100);
    writeFile(rig.localJob(1, "LOCAL.JBR"), pattern(2500, 5), 100);
    writeFile(rig.localJob(1, "EMPTY.JBR"), QByteArray(), 100);
    writeFile(rig.localJob(1, "KEEP.JBC.GP"), pattern(10, 6), 100);
    writeFile(rig.localJob(1, "NOTES.txt"), pattern(10, 7), 100);

    startSync(rig);
    ASSERT_TRUE(waitFor([&] {
        return readFile(rig.controllerJob(1, "LOCAL.JBR")) == pattern(2500, 5) &&
               !rig.transfer->isBusy() && rig.refreshes() >= 3;
    }));
    waitFor([] { return false; }, 200);  // late frames have come

    EXPECT_EQ(readFile(rig.localJob(1, "SAME.JBR")), pattern(700, 1));
    EXPECT_EQ(readFile(rig.localJob(1, "DIFF.JBR")), pattern(3000, 2));
    EXPECT_EQ(readFile(rig.localJob(1, "MISSING.JBR")), pattern(5000, 3));
    EXPECT_EQ(readFile(rig.localJob(2, "OTHER.JBP")), pattern(4096, 4));
    // Nothing else: no file for the empty controller file, the empty local file gone, no
    // temporary files left behind.
    EXPECT_EQ(
        TransferRig::filesUnder(rig.appDir()),
        QStringList({"robotJob/R1/DIFF.JBR", "robotJob/R1/KEEP.JBC.GP", "robotJob/R1/LOCAL.JBR",
                     "robotJob/R1/MISSING.JBR", "robotJob/R1/NOTES.txt", "robotJob/R1/SAME.JBR",
                     "robotJob/R2/OTHER.JBP"}));
    // Only the file the controller lacked went up: not the .GP file, not the other pattern.
    EXPECT_EQ(TransferRig::filesUnder(rig.files->store().root()),
              QStringList({"R1/DIFF.JBR", "R1/LOCAL.JBR", "R1/MISSING.JBR", "R1/SAME.JBR",
                           "R1/ZERO.JBR", "R2/OTHER.JBP"}));
    EXPECT_EQ(requestedNames(rig), QStringList({request("R1/DIFF.JBR"), request("R1/MISSING.JBR"),
                                                request("R1/ZERO.JBR"), request("R2/OTHER.JBP")}));
    int confirmed = 0;
    for (const auto& frame : rig.files->recorder().frames())
        confirmed +=
            frame.command == word::kDownloadResult && frame.payload == "{\"finish\":true}\n";
    EXPECT_EQ(confirmed, 3);
    // Local files went up, so no robot is announced as synchronised.
    EXPECT_FALSE(rig.controlFrame(kelvo::cmd::kAnnounceSyncedRobot, 300));
}

TEST(Sync, NothingToDoAnnouncesTheRobotsWithoutOpeningTheTransferConnection) {
    TransferRig rig;
    writeFile(rig.controllerJob(1, "SAME.JBR"), pattern(700, 1));
    writeFile(rig.localJob(1, "SAME.JBR"), pattern(700, 1));

    startSync(rig);
    auto announced = rig.controlFrame(kelvo::cmd::kAnnounceSyncedRobot);
    ASSERT_TRUE(announced);
    EXPECT_EQ(announced->payload, "{\"robot\":1}\n");
    EXPECT_TRUE(waitFor([&] { return rig.refreshes() == 2; }));

    // With no robot selected for teaching, every robot the controller has is announced.
    rig.sim.sendReport(0x2E06, "{\"sum\":3}\n");
    rig.robot->setCurrentRobot(1, 2);
    ASSERT_TRUE(waitFor([&] { return rig.robot->robotCount() == 3; }));
    startSync(rig);
    for (int robot = 1; robot <= 3; ++robot) {
        announced = rig.controlFrame(kelvo::cmd::kAnnounceSyncedRobot);
        ASSERT_TRUE(announced);
        EXPECT_EQ(announced->payload,
                  QByteArray("{\"robot\":") + QByteArray::number(robot) + "}\n");
    }
    EXPECT_FALSE(rig.controlFrame(kelvo::cmd::kAnnounceSyncedRobot, 300));
    EXPECT_EQ(rig.files->recorder().accepted(), 0);
}

// A list that does not add up ends the synchronisation before the transfer connection opens; a
// download that fails ends with its abort (0x5525) or an unfinished result.
TEST(Sync, AFailedDownloadLeavesNoFileBehind) {
    SimFileFaults countOff, refuse, wrongName, sizeMismatch, stall;
    countOff.listCountOffset = 1;
    refuse.refuseDownloads = true;
    wrongName.wrongName = true;
    sizeMismatch.sizeMismatch = true;
    stall.stall = true;
    const struct {
        SimFileFaults faults;
        QString line;  // empty: none expected
        quint16 end;   // the last transfer frame; 0: the connection never opened
    } kCases[] = {{countOff, QStringLiteral("程序发送数目不正确"), 0},
                  {refuse, QStringLiteral("控制器拒绝下载程序"), word::kDownloadAbort},
                  {wrongName,
                   QStringLiteral("程序下载失败：/controller/job/R1/MISSING.JBR.other "
                                  "--/controller/job/R1/MISSING.JBR"),
                   word::kDownloadAbort},
                  {sizeMismatch, QString(), word::kDownloadResult},
                  {stall, QStringLiteral("等待超时......"), word::kDownloadAbort}};
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.line.toStdString());
        TransferRig rig;
        LogCapture log;
        writeFile(rig.controllerJob(1, "MISSING.JBR"), pattern(5000, 1));
        writeFile(rig.localJob(1, "OLD.JBR"), pattern(10, 2));
        rig.files->setFaults(c.faults);

        startSync(rig);
        if (c.end == word::kDownloadResult) {
            const auto result = rig.transferFrame(word::kDownloadResult);
            ASSERT_TRUE(result);
            EXPECT_EQ(result->payload, "{\"finish\":false}\n");
        } else if (c.end == word::kDownloadAbort) {
            EXPECT_TRUE(rig.transferFrame(word::kDownloadAbort, 9000));
            EXPECT_EQ(log.count(c.line), 1);
        } else {
            EXPECT_TRUE(waitFor([&] { return log.count(c.line) == 1; }));
        }
        waitFor([] { return false; }, 200);  // late frames have come
        EXPECT_EQ(TransferRig::filesUnder(rig.appDir()), QStringList({"robotJob/R1/OLD.JBR"}));
        if (c.end == 0) {
            EXPECT_EQ(rig.files->recorder().accepted(), 0);
            EXPECT_FALSE(rig.controlFrame(kelvo::cmd::kAnnounceSyncedRobot, 0));
        }
    }
}
