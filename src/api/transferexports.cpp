// Job file transfer: upload of the job directories and their synchronisation with the controller.

#include "exportcall.h"
#include "kelvo.h"

#include "robot/robot.h"
#include "transfer/jobfiles.h"
#include "transfer/tcpupdownfile.h"

#include <QDir>
#include <QMetaObject>

using namespace kelvo::api;

namespace {

// Why a transfer cannot start now; KELVO_OK when it can.
int transferBlocked(KelvoSession& session) {
    TcpUpDownFile* const transfer = session.transfer();
    if (!session.robot().connected())
        return KELVO_ERR_NOT_CONNECTED;
    if (!QDir(transfer->applicationDirectory()).isReadable())
        return KELVO_ERR_IO;
    return transfer->isBusy() ? KELVO_ERR_BUSY : KELVO_OK;
}

// Returns once the transfer connection is up (at most about 1 s); the files follow meanwhile.
void startUpload(KelvoSession& session) {
    session.runInRobotThread([&session] {
        TcpUpDownFile* const transfer = session.transfer();
        transfer->setUpLoadJobFileName(
            kelvo::transfer::uploadEntries(transfer->applicationDirectory()));
    });
}

void startSync(KelvoSession& session) {
    TcpUpDownFile* const transfer = session.transfer();
    transfer->followJobReports();
    QMetaObject::invokeMethod(transfer, &TcpUpDownFile::startDownLoadJobFileFromController,
                              Qt::QueuedConnection);
}

int uploadJob(KelvoSession& session) {
    const int blocked = transferBlocked(session);
    if (blocked == KELVO_OK)
        startUpload(session);
    return blocked;
}

int syncJobs(KelvoSession& session) {
    const int blocked = transferBlocked(session);
    if (blocked == KELVO_OK)
        startSync(session);
    return blocked;
}

int setTransferPort(KelvoSession& session, int port) {
    if (port <= 0 || port > 65535)
        return KELVO_ERR_INVALID;
    return session.setTransferPort(static_cast<quint16>(port));
}

int setJobDir(KelvoSession& session, const char* dir) {
    if (!dir)
        return KELVO_ERR_INVALID;
    const QString path = QString::fromUtf8(dir);
    if (!QDir(path).exists())
        return KELVO_ERR_IO;
    return session.setJobDir(path);
}

}  // namespace

extern "C" {

KELVO_API void KELVO_CALL upload_job(void) {
    flatRequest("upload_job", startUpload);
}

KELVO_API void KELVO_CALL sync_jobs(void) {
    flatRequest("sync_jobs", startSync);
}

KELVO_API int KELVO_CALL kelvo_upload_job(KelvoSession* session) {
    return sessionCall("kelvo_upload_job", session, uploadJob);
}

KELVO_API int KELVO_CALL kelvo_sync_jobs(KelvoSession* session) {
    return sessionCall("kelvo_sync_jobs", session, syncJobs);
}

KELVO_API int KELVO_CALL kelvo_set_transfer_port(KelvoSession* session, int port) {
    return sessionCall("kelvo_set_transfer_port", session, setTransferPort, port);
}

KELVO_API int KELVO_CALL kelvo_set_job_dir(KelvoSession* session, const char* dir) {
    return sessionCall("kelvo_set_job_dir", session, setJobDir, dir);
}

}  // extern "C"
