#pragma once

#include "simchaos.h"
#include "simfilefaults.h"
#include "simjobstore.h"
#include "simrecorder.h"

#include "link/framedecoder.h"

#include <QByteArray>
#include <QHostAddress>
#include <QObject>
#include <QSaveFile>
#include <QTcpServer>
#include <QTcpSocket>

#include <map>
#include <memory>

namespace kelvo::sim {

// The controller's transfer port: accepts uploads into the job store (file information, chunks,
// end of file, result) and serves downloads from it in numbered chunks, one per 0x5524. Every
// frame received is recorded. In chaos mode some answers are hostile. Lives in the simulator's
// thread.
class SimFileServer : public QObject {
    Q_OBJECT

public:
    SimFileServer(SimJobStore& store, SimRecorder& recorder, const SimFileFaultSwitch& faults,
                  SimChaos& chaos, QObject* parent = nullptr);
    ~SimFileServer() override;

    bool listen(const QHostAddress& address, quint16 port);
    quint16 port() const { return server_.serverPort(); }

private:
    struct Session {
        int id = 0;
        FrameDecoder decoder{FrameDecoder::HeadErrors::Silent};
        std::unique_ptr<QSaveFile> upload;
        qint64 uploadSize = 0;
        qint64 uploadReceived = 0;
        bool downloading = false;
        QByteArray download;
        qint64 downloadSent = 0;
        quint16 nextChunk = 1;
    };
    using Handler = void (SimFileServer::*)(QTcpSocket*, Session&, const QByteArray&);

    void onNewConnection();
    void onReadyRead(QTcpSocket* client);
    void dispatch(QTcpSocket* client, Session& session, quint16 command, const QByteArray& payload);
    void reply(QTcpSocket* client, quint16 command, const QByteArray& payload);

    void onFileInfo(QTcpSocket* client, Session& session, const QByteArray& payload);
    void onFileChunk(QTcpSocket* client, Session& session, const QByteArray& payload);
    void onFileEnd(QTcpSocket* client, Session& session, const QByteArray& payload);
    void onDownloadRequest(QTcpSocket* client, Session& session, const QByteArray& payload);
    void onChunkReady(QTcpSocket* client, Session& session, const QByteArray& payload);
    void onDownloadAbort(QTcpSocket* client, Session& session, const QByteArray& payload);
    // Chaos: an answer the controller would never give; true when one was sent instead.
    bool hostileAnswer(QTcpSocket* client, Session& session, quint16 command);

    SimJobStore& store_;
    SimRecorder& recorder_;
    const SimFileFaultSwitch& faults_;
    SimChaos& chaos_;
    QTcpServer server_;
    std::map<QTcpSocket*, std::unique_ptr<Session>> sessions_;
    int nextId_ = 1;
};

}  // namespace kelvo::sim
