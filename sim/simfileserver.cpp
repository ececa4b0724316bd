#include "simfileserver.h"

#include "simlog.h"

#include "link/frame.h"
#include "link/jsonwire.h"

#include <QFile>

namespace kelvo::sim {

namespace {

// The transfer port's command words, as the controller speaks them.
constexpr quint16 kFileInfo = 0x5501;
constexpr quint16 kFileInfoAnswer = 0x5502;
constexpr quint16 kDownloadRequest = 0x5504;
constexpr quint16 kDownloadAnswer = 0x5505;
constexpr quint16 kFileChunk = 0x5511;
constexpr quint16 kFileEnd = 0x5512;
constexpr quint16 kUploadResult = 0x5513;
constexpr quint16 kDownloadChunk = 0x5521;
constexpr quint16 kDownloadEnd = 0x5522;
constexpr quint16 kChunkReady = 0x5524;
constexpr quint16 kDownloadAbort = 0x5525;

constexpr qint64 kDownloadChunkSize = 2048;

QByteArray jsonText(const Json::Value& body) {
    return json::write(body).value_or(QByteArray());
}

QByteArray answer(bool yes) {
    Json::Value body(Json::objectValue);
    body["answer"] = yes ? "yes" : "no";
    return jsonText(body);
}

}  // namespace

SimFileServer::SimFileServer(SimJobStore& store, SimRecorder& recorder,
                             const SimFileFaultSwitch& faults, SimChaos& chaos, QObject* parent)
    : QObject(parent),
      store_(store),
      recorder_(recorder),
      faults_(faults),
      chaos_(chaos),
      server_(this) {
    connect(&server_, &QTcpServer::newConnection, this, &SimFileServer::onNewConnection);
}

SimFileServer::~SimFileServer() {
    for (auto& session : sessions_)
        session.first->disconnect(this);
}

bool SimFileServer::listen(const QHostAddress& address, quint16 port) {
    if (!server_.listen(address, port)) {
        qCWarning(lcSim) << "files: cannot listen on" << address.toString() << port
                         << server_.errorString();
        return false;
    }
    return true;
}

void SimFileServer::onNewConnection() {
    while (QTcpSocket* client = server_.nextPendingConnection()) {
        client->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        auto session = std::make_unique<Session>();
        session->id = nextId_++;
        sessions_[client] = std::move(session);
        recorder_.recordAccepted();
        connect(client, &QTcpSocket::readyRead, this, [this, client] { onReadyRead(client); });
        connect(client, &QTcpSocket::disconnected, this, [this, client] {
            if (sessions_.erase(client) > 0) {
                recorder_.recordClosed();
                client->deleteLater();
            }
        });
    }
}

void SimFileServer::onReadyRead(QTcpSocket* client) {
    const auto it = sessions_.find(client);
    if (it == sessions_.end())
        return;
    Session& session = *it->second;
    session.decoder.append(client->readAll());
    Frame frame;
    while (session.decoder.next(&frame)) {
        recorder_.recordFrame(SimFrame{frame.command, frame.payload, nowMs(), session.id});
        dispatch(client, session, frame.command, frame.payload);
    }
}

void SimFileServer::dispatch(QTcpSocket* client, Session& session, quint16 command,
                             const QByteArray& payload) {
    static const struct {
        quint16 command;
        Handler handler;
    } kHandlers[] = {
        {kFileInfo, &SimFileServer::onFileInfo},
        {kFileChunk, &SimFileServer::onFileChunk},
        {kFileEnd, &SimFileServer::onFileEnd},
        {kDownloadRequest, &SimFileServer::onDownloadRequest},
        {kChunkReady, &SimFileServer::onChunkReady},
        {kDownloadAbort, &SimFileServer::onDownloadAbort},
    };
    if (hostileAnswer(client, session, command))
        return;
    for (const auto& entry : kHandlers) {
        if (entry.command == command) {
            (this->*entry.handler)(client, session, payload);
            return;
        }
    }
}

void SimFileServer::reply(QTcpSocket* client, quint16 command, const QByteArray& payload) {
    client->write(encodeFrame(command, payload));
}

// File information is answered with anything for "answer" and the upload is not taken; the end of
// a file with anything for "finish"; a download request with a hostile name and size, and the
// chunks that follow with any number and any bytes.
bool SimFileServer::hostileAnswer(QTcpSocket* client, Session& session, quint16 command) {
    const bool answered = command == kFileInfo || command == kFileEnd ||
                          command == kDownloadRequest || command == kChunkReady;
    if (!answered || !chaos_.strikesFiles())
        return false;
    HostileData& hostile = chaos_.hostile();
    switch (command) {
        case kFileInfo:
            session.upload.reset();
            reply(client, kFileInfoAnswer, "{\"answer\":" + hostile.value() + "}\n");
            break;
        case kFileEnd:
            session.upload.reset();
            reply(client, kUploadResult, "{\"finish\":" + hostile.value() + "}\n");
            break;
        case kDownloadRequest: {
            Json::Value body(Json::objectValue);
            body["answer"] = "yes";
            body["name"] = hostile.fileName().toStdString();
            session.downloading = true;
            session.download = hostile.payload();
            session.downloadSent = 0;
            reply(
                client, kDownloadAnswer,
                jsonText(body).replace("\"answer\"", "\"size\":" + hostile.size() + ",\"answer\""));
            break;
        }
        default:
            reply(client, kDownloadChunk, hostile.payload());
            break;
    }
    return true;
}

// ---- Uploads ----

void SimFileServer::onFileInfo(QTcpSocket* client, Session& session, const QByteArray& payload) {
    const SimFileFaults faults = faults_.get();
    if (faults.stall)
        return;
    if (faults.noise) {
        // Magic bytes and a length of 0xFFF0: a receiver that trusts it waits for 65,530 bytes.
        client->write(QByteArray::fromHex("4E66FFF0"));
        return;
    }
    const Json::Value body = json::parse(payload).value_or(Json::Value());
    const QString path = store_.pathForUpload(json::text(json::member(body, "name")));
    int size = -1;
    json::toInt(json::member(body, "size"), &size);
    session.upload.reset();
    if (faults.refuseUploads || path.isEmpty() || size < 0) {
        reply(client, kFileInfoAnswer, answer(false));
        return;
    }
    auto file = std::make_unique<QSaveFile>(path);
    if (!file->open(QIODevice::WriteOnly)) {
        reply(client, kFileInfoAnswer, answer(false));
        return;
    }
    session.upload = std::move(file);
    session.uploadSize = size;
    session.uploadReceived = 0;
    reply(client, kFileInfoAnswer, answer(true));
}

void SimFileServer::onFileChunk(QTcpSocket*, Session& session, const QByteArray& payload) {
    if (!session.upload)
        return;
    session.uploadReceived += payload.size();
    session.upload->write(payload);
}

void SimFileServer::onFileEnd(QTcpSocket* client, Session& session, const QByteArray&) {
    if (!session.upload)
        return;
    const bool stored = !faults_.get().failUploads &&
                        session.uploadReceived == session.uploadSize && session.upload->commit();
    session.upload.reset();
    Json::Value body(Json::objectValue);
    body["finish"] = stored;
    reply(client, kUploadResult, jsonText(body));
}

// ---- Downloads ----

void SimFileServer::onDownloadRequest(QTcpSocket* client, Session& session,
                                      const QByteArray& payload) {
    const SimFileFaults faults = faults_.get();
    if (faults.stall)
        return;
    const QString name =
        json::text(json::member(json::parse(payload).value_or(Json::Value()), "name"));
    const QString path = store_.pathForDownload(name);
    QFile file(path);
    session.downloading = false;
    Json::Value body(Json::objectValue);
    body["name"] = name.toStdString();
    if (faults.refuseDownloads || path.isEmpty() || !file.open(QIODevice::ReadOnly)) {
        body["answer"] = "no";
        body["size"] = 0;
        reply(client, kDownloadAnswer, jsonText(body));
        return;
    }
    session.download = file.readAll();
    session.downloadSent = 0;
    session.nextChunk = 1;
    session.downloading = true;
    body["answer"] = "yes";
    if (faults.wrongName)
        body["name"] = (name + QStringLiteral(".other")).toStdString();
    body["size"] = static_cast<int>(session.download.size() + (faults.sizeMismatch ? 1 : 0));
    reply(client, kDownloadAnswer, jsonText(body));
}

void SimFileServer::onChunkReady(QTcpSocket* client, Session& session, const QByteArray&) {
    if (!session.downloading)
        return;
    if (session.downloadSent >= session.download.size()) {
        session.downloading = false;
        reply(client, kDownloadEnd, QByteArray());
        return;
    }
    const QByteArray data = session.download.mid(session.downloadSent, kDownloadChunkSize);
    session.downloadSent += data.size();
    QByteArray payload;
    payload.append(static_cast<char>(session.nextChunk >> 8));
    payload.append(static_cast<char>(session.nextChunk & 0xFF));
    payload.append(data);
    ++session.nextChunk;
    reply(client, kDownloadChunk, payload);
}

void SimFileServer::onDownloadAbort(QTcpSocket*, Session& session, const QByteArray&) {
    session.downloading = false;
}

}  // namespace kelvo::sim
