// Job file transfer: upload of the job directories and their synchronisation with the controller.

#include "exportcall.h"
#include "kelvo.h"

#include "robot/robot.h"
#include "transfer/jobfiles.h"
#include "transfer/tcpupdownfile.h"

#include <QMetaObject>

using kelvo::api::withRobot;

namespace {

TcpUpDownFile* transferOf(Robot& robot) {
    return qobject_cast<TcpUpDownFile*>(robot.fileTransfer());
}

}  // namespace

extern "C" {

KELVO_API void KELVO_CALL upload_job(void) {
    withRobot("upload_job", [](Robot& robot) {
        if (TcpUpDownFile* transfer = transferOf(robot))
            robot.uploadJobFiles(kelvo::transfer::uploadEntries(transfer->applicationDirectory()));
    });
}

KELVO_API void KELVO_CALL sync_jobs(void) {
    withRobot("sync_jobs", [](Robot& robot) {
        TcpUpDownFile* const transfer = transferOf(robot);
        if (!transfer)
            return;
        transfer->followJobReports();
        QMetaObject::invokeMethod(transfer, &TcpUpDownFile::startDownLoadJobFileFromController,
                                  Qt::QueuedConnection);
    });
}

}  // extern "C"
