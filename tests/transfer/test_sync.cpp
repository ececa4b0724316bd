// Synchronisation against the simulated controller: the job lists over the control connection,
// downloads and uploads over the transfer connection, real files on both sides.

#include "logcapture.h"
#include "transferrig.h"

#include "message/commandwords.h"
#include "transfer/transferwords.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace word = kelvo::transfer::word;
using kelvo::sim::SimFileFaults;

namespace {

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
    pump(200);

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
        pump(200);
        EXPECT_EQ(TransferRig::filesUnder(rig.appDir()), QStringList({"robotJob/R1/OLD.JBR"}));
        if (c.end == 0) {
            EXPECT_EQ(rig.files->recorder().accepted(), 0);
            EXPECT_FALSE(rig.controlFrame(kelvo::cmd::kAnnounceSyncedRobot, 0));
        }
    }
}
