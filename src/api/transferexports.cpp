// Job file transfer: upload of the job directories and their synchronisation with the controller.

#include "exportcall.h"
#include "kelvo.h"

#include "robot/robot.h"
#include "transfer/jobfiles.h"
#include "transfer/tcpupdownfile.h"

#include <QDir>

using namespace kelvo::api;

namespace {

void startUpload(TcpUpDownFile& transfer) {
    transfer.setUpLoadJobFileName(kelvo::transfer::uploadEntries(transfer.applicationDirectory()));
}

void startSync(TcpUpDownFile& transfer) {
    transfer.followJobReports();
    transfer.startDownLoadJobFileFromController();
}

// In the transfer's own thread, which alone may replace or delete it: the check and the start are
// one step there, so a second start sees the first as busy from its connect on.
int startTransfer(KelvoSession& session, void (*start)(TcpUpDownFile&)) {
    if (!session.robot().connected())
        return KELVO_ERR_NOT_CONNECTED;
    int result = KELVO_OK;
    session.runInRobotThread([&session, &result, start] {
        TcpUpDownFile& transfer = *session.transfer();
        if (!QDir(transfer.applicationDirectory()).isReadable())
            result = KELVO_ERR_IO;
        else if (transfer.isBusy())
            result = KELVO_ERR_BUSY;
        else
            start(transfer);
    });
    return result;
}

void flatStart(KelvoSession& session, void (*start)(TcpUpDownFile&)) {
    session.runInRobotThread([&session, start] { start(*session.transfer()); });
}

int uploadJob(KelvoSession& session) {
    return startTransfer(session, startUpload);
}

int syncJobs(KelvoSession& session) {
    return startTransfer(session, startSync);
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
    flatRequest("upload_job", flatStart, startUpload);
}

KELVO_API void KELVO_CALL sync_jobs(void) {
    flatRequest("sync_jobs", flatStart, startSync);
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
