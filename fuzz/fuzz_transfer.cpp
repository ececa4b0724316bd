#include "fuzzinput.h"
#include "link/frame.h"
#include "message/tcpconnectmodule.h"
#include "robot/robot.h"
#include "transfer/jobfiles.h"
#include "transfer/tcpupdownfile.h"
#include "transfer/transferwords.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdint>
#include <memory>

using kelvo::fuzz::check;
namespace word = kelvo::transfer::word;

namespace {

// Where a record goes: a report of the control connection, a frame of the transfer connection, or
// (kRawBytes) its payload as bytes on the transfer connection.
constexpr quint16 kRawBytes = 0;
constexpr quint16 kControlWords[] = {0x5533, 0x5534, 0x5535, 0x5543};
constexpr quint16 kTransferWords[] = {word::kFileInfoAnswer, word::kUploadResult,
                                      word::kDownloadAnswer, word::kDownloadChunk,
                                      word::kDownloadEnd,    kRawBytes};
const QByteArray kVictimText = "must stay as it is\n";

bool isControlWord(quint16 w) {
    return std::find(std::begin(kControlWords), std::end(kControlWords), w) !=
           std::end(kControlWords);
}
bool isTransferWord(quint16 w) {
    return std::find(std::begin(kTransferWords), std::end(kTransferWords), w) !=
           std::end(kTransferWords);
}

// A record word that names no destination is mapped onto one.
quint16 destination(quint16 w) {
    if (isControlWord(w) || isTransferWord(w))
        return w;
    constexpr size_t controls = std::size(kControlWords);
    const size_t index = w % (controls + std::size(kTransferWords));
    return index < controls ? kControlWords[index] : kTransferWords[index - controls];
}

void pumpEvents() {
    for (int i = 0; i < 4; ++i)
        QCoreApplication::processEvents();
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    check(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
}

// The controller's end of the transfer connection: the fuzz input speaks for it, what the library
// sends is read and dropped.
class Controller {
public:
    Controller() {
        check(server_.listen(QHostAddress::LocalHost));
        QObject::connect(&server_, &QTcpServer::newConnection, [this] { takeConnections(); });
    }

    quint16 port() const { return server_.serverPort(); }

    // Forgets the connection of the previous run, also one it left unaccepted.
    void reset() {
        takeConnections();
        delete peer_;
    }

    void write(const QByteArray& bytes) {
        // A connection the library has made is already waiting to be accepted.
        if (!peer_)
            server_.waitForNewConnection(0);
        takeConnections();
        if (!peer_ || peer_->state() != QAbstractSocket::ConnectedState)
            return;
        peer_->write(bytes);
        peer_->flush();
        pumpEvents();
    }

private:
    void takeConnections() {
        while (QTcpSocket* next = server_.nextPendingConnection()) {
            delete peer_;
            peer_ = next;
            next->setSocketOption(QAbstractSocket::LowDelayOption, 1);
            QObject::connect(next, &QTcpSocket::readyRead, next, [next] { next->readAll(); });
        }
    }

    QTcpServer server_;
    QPointer<QTcpSocket> peer_;
};

// A temporary folder with the PC's job directories (app/) and a file outside them (outside/).
class Folders {
public:
    QString app() const { return temp_.filePath(QStringLiteral("app")); }
    QString victim() const { return temp_.filePath(QStringLiteral("outside/victim.JBR")); }

    // Job directories with a local job, an empty one and a link to the file outside.
    void reset() {
        QDir(app()).removeRecursively();
        writeFile(victim(), kVictimText);
        writeFile(kelvo::transfer::jobDirectory(app(), 1) + QStringLiteral("/LOCAL.JBR"),
                  "NOP\nEND\n");
        writeFile(kelvo::transfer::jobDirectory(app(), 2) + QStringLiteral("/EMPTY.JBR"), "");
        QFile::link(victim(),
                    kelvo::transfer::jobDirectory(app(), 1) + QStringLiteral("/LINK.JBR"));
    }

    // Nothing was written outside the job directories.
    void checkConfined() const {
        QFile victim(this->victim());
        check(victim.open(QIODevice::ReadOnly) && victim.readAll() == kVictimText);
        const QStringList top =
            QDir(temp_.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
        check(top == QStringList({QStringLiteral("app"), QStringLiteral("outside")}));
        check(QDir(temp_.filePath(QStringLiteral("outside")))
                  .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden)
                  .size() == 1);
        const QDir appDir(app());
        QDirIterator files(app(), QDir::Files | QDir::Hidden | QDir::System,
                           QDirIterator::Subdirectories);
        while (files.hasNext()) {
            const QStringList parts = appDir.relativeFilePath(files.next()).split('/');
            const bool inJobDirectory = parts.size() == 3 &&
                                        parts[0] == QLatin1String("robotJob") &&
                                        QStringList({"R1", "R2", "R3", "R4"}).contains(parts[1]);
            const bool marker = parts.size() == 1 && parts[0] == QLatin1String(".kelvo-job-cache");
            check(inJobDirectory || marker);
        }
    }

private:
    // In memory where the system offers it: a disk makes each run's fresh folders the slow part.
    static QString tempTemplate() {
        const QString base = QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm")
                                                                       : QDir::tempPath();
        return base + QStringLiteral("/kelvo-fuzz-XXXXXX");
    }

    QTemporaryDir temp_{tempTemplate()};
};

}  // namespace

// A synchronisation run by the records: the control connection's job summary, job lists and end
// of lists, and the controller's transfer frames with fuzzed payloads and names, in a temporary
// folder. Nothing is written outside the job directories, nothing escapes.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    kelvo::fuzz::ensureApplication();
    static Folders folders;
    static Controller controller;
    static Robot robot(QStringLiteral("127.0.0.1"), 9);
    robot.setCurrentRobot(1, 1);
    folders.reset();
    controller.reset();

    auto transfer = std::make_unique<TcpUpDownFile>(&robot, controller.port(), folders.app());
    transfer->followJobReports();
    transfer->startDownLoadJobFileFromController();

    kelvo::fuzz::RecordReader reader(data, size);
    kelvo::fuzz::Record record;
    while (reader.next(&record)) {
        const quint16 to = destination(record.word);
        if (isControlWord(to)) {
            robot.messageLayer()->onReceivedData(to, record.payload);
        } else if (to == kRawBytes) {
            controller.write(record.payload);
        } else {
            controller.write(kelvo::encodeFrame(to, record.payload));
        }
    }
    pumpEvents();
    transfer.reset();
    pumpEvents();
    folders.checkConfined();
    return 0;
}
