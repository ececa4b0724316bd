#include "transferrig.h"

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

QByteArray pattern(qint64 size, int seed) {
    QByteArray bytes(static_cast<int>(size), Qt::Uninitialized);
    for (int i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>((i * 31 + seed * 7 + (i >> 11)) & 0xFF);
    return bytes;
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes, int ageSecs) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
        file.write(bytes);
        file.flush();
        file.setFileTime(QDateTime::currentDateTime().addSecs(-ageSecs),
                         QFileDevice::FileModificationTime);
    }
}

TransferRig::TransferRig() {
    QDir().mkpath(appDir());
    QDir().mkpath(outsideDir());
    sim.start();
    files = kelvo::sim::SimFiles::start(sim, temp_.filePath(QStringLiteral("controller")));
    robot = linkRobot(sim);
    transfer = std::make_unique<TcpUpDownFile>(robot.get(), files ? files->port() : 0, appDir());
    QObject::connect(transfer.get(), &TcpUpDownFile::reflushprolist, [this] { ++refreshes_; });
}

std::optional<kelvo::sim::SimFrame> TransferRig::controlFrame(quint16 word, int timeoutMs) {
    std::optional<kelvo::sim::SimFrame> frame;
    waitFor([&] { return (frame = sim.expectFrame(word, 0)).has_value(); }, timeoutMs);
    return frame;
}

std::optional<kelvo::sim::SimFrame> TransferRig::transferFrame(quint16 word, int timeoutMs) {
    std::optional<kelvo::sim::SimFrame> frame;
    waitFor([&] { return (frame = files->recorder().takeFrame(word, 0)).has_value(); }, timeoutMs);
    return frame;
}

QString TransferRig::localJob(int robotNumber, const QString& name) const {
    return QStringLiteral("%1/robotJob/R%2/%3").arg(appDir(), QString::number(robotNumber), name);
}

QString TransferRig::controllerJob(int robotNumber, const QString& name) const {
    return QStringLiteral("%1/R%2/%3")
        .arg(files->store().root(), QString::number(robotNumber), name);
}

QStringList TransferRig::filesUnder(const QString& dir) {
    QStringList found;
    QDirIterator it(dir, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext())
        found << QDir(dir).relativeFilePath(it.next());
    found.sort();
    return found;
}
