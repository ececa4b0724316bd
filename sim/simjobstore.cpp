#include "simjobstore.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace kelvo::sim {

namespace {

constexpr int kRobots = 4;

// Where uploads name a robot's files, and where the controller says they are.
const QLatin1String kUploadDirectory("job/R%1/");
const QLatin1String kControllerDirectory("/controller/job/R%1/");

// The controller keeps only plain file names: nothing that could leave its job directory.
bool isStorableName(const QString& name) {
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        return false;
    for (const QChar c : name) {
        if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c == QLatin1Char(':') ||
            c.unicode() < 0x20) {
            return false;
        }
    }
    return true;
}

QString md5Of(const QString& path) {
    QFile file(path);
    QCryptographicHash hash(QCryptographicHash::Md5);
    if (file.open(QIODevice::ReadOnly))
        hash.addData(&file);
    return QString::fromLatin1(hash.result().toHex());
}

}  // namespace

SimJobStore::SimJobStore(const QString& root) : root_(root) {
    for (int robot = 1; robot <= kRobots; ++robot)
        QDir().mkpath(QStringLiteral("%1/R%2").arg(root_).arg(robot));
}

QString SimJobStore::controllerDirectory(int robot) {
    return QString(kControllerDirectory).arg(robot);
}

QString SimJobStore::pathFor(const QString& name, QLatin1String prefix) const {
    for (int robot = 1; robot <= kRobots; ++robot) {
        const QString directory = QString(prefix).arg(robot);
        if (name.startsWith(directory) && isStorableName(name.mid(directory.size())))
            return QStringLiteral("%1/R%2/").arg(root_).arg(robot) + name.mid(directory.size());
    }
    return QString();
}

QString SimJobStore::pathForUpload(const QString& name) const {
    return pathFor(name, kUploadDirectory);
}

QString SimJobStore::pathForDownload(const QString& name) const {
    const QString path = pathFor(name, kControllerDirectory);
    return QFileInfo(path).isFile() ? path : QString();
}

QVector<SimJobStore::Entry> SimJobStore::jobList(int robot) const {
    QVector<Entry> entries;
    const QDir directory(QStringLiteral("%1/R%2").arg(root_).arg(robot));
    for (const QFileInfo& file : directory.entryInfoList(QDir::Files, QDir::Name))
        entries.append(Entry{file.fileName(), md5Of(file.filePath())});
    return entries;
}

}  // namespace kelvo::sim
