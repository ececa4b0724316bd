#include "transfer/jobfiles.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace kelvo::transfer {

namespace {

constexpr int kMaxFileNameLength = 255;
const QLatin1String kRobotPrefix("R");

bool isSeparatorOrControl(QChar c) {
    return c == QLatin1Char('/') || c == QLatin1Char('\\') || c == QLatin1Char(':') ||
           c.unicode() < 0x20 || c.unicode() == 0x7F;
}

}  // namespace

bool isPlainFileName(const QString& name) {
    if (name.isEmpty() || name.size() > kMaxFileNameLength || name == QLatin1String(".") ||
        name == QLatin1String("..")) {
        return false;
    }
    return std::none_of(name.cbegin(), name.cend(), isSeparatorOrControl);
}

QString jobDirectory(const QString& root, int robot) {
    return QDir::cleanPath(root + QStringLiteral("/robotJob/R") + QString::number(robot));
}

QFileInfoList jobFilesNewestFirst(const QString& dir, const QStringList& nameFilters) {
    QFileInfoList files =
        QDir(dir).entryInfoList(nameFilters, QDir::Files | QDir::NoSymLinks, QDir::Time);
    files.erase(
        std::remove_if(files.begin(), files.end(),
                       [](const QFileInfo& file) { return !isPlainFileName(file.fileName()); }),
        files.end());
    return files;
}

QString uploadEntry(int robot, const QString& fileName) {
    return kRobotPrefix + QString::number(robot) + fileName;
}

QStringList uploadEntries(const QString& appDir) {
    QStringList entries;
    for (int robot = kFirstRobot; robot <= kLastRobot; ++robot) {
        for (const QFileInfo& file : jobFilesNewestFirst(jobDirectory(appDir, robot)))
            entries << uploadEntry(robot, file.fileName());
    }
    return entries;
}

bool splitUploadEntry(const QString& entry, int* robot, QString* fileName) {
    if (entry.size() < 2 || !entry.startsWith(kRobotPrefix))
        return false;
    const int number = entry.at(1).unicode() - '0';
    const QString name = entry.mid(2);
    if (number < kFirstRobot || number > kLastRobot || !isPlainFileName(name))
        return false;
    *robot = number;
    *fileName = name;
    return true;
}

std::optional<QString> fileMd5(const QString& path) {
    if (QFileInfo(path).isSymLink())
        return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QCryptographicHash hash(QCryptographicHash::Md5);
    if (!hash.addData(&file))
        return std::nullopt;
    return QString::fromLatin1(hash.result().toHex());
}

}  // namespace kelvo::transfer
