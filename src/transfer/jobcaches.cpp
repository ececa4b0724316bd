#include "transfer/jobcaches.h"

#include "transfer/jobfiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace kelvo::transfer {

namespace {

const QLatin1String kUnknownController("unknow");
const QLatin1String kCacheMarker(".kelvo-job-cache");
constexpr int kControllerIdLength = 16;

bool hasIdentifier(const QString& id) {
    return !id.isEmpty() && isPlainFileName(id);
}

bool writeMarker(const QString& cache) {
    QFile marker(QDir(cache).filePath(kCacheMarker));
    return marker.open(QIODevice::WriteOnly) && marker.write("kelvo job cache\n") > 0;
}

bool isMarkedCache(const QFileInfo& entry) {
    return entry.isDir() && !entry.isSymLink() &&
           QFileInfo(QDir(entry.filePath()).filePath(kCacheMarker)).isFile();
}

}  // namespace

QString jobCacheRoot(const QString& appDir, const QString& id) {
    return hasIdentifier(id) ? QDir(appDir).filePath(id) : appDir;
}

void prepareJobCache(const QString& appDir, const QString& id) {
    if (id == kUnknownController)
        return;
    const QString root = jobCacheRoot(appDir, id);
    if (hasIdentifier(id) && !QFileInfo::exists(root)) {
        if (!QDir(appDir).mkdir(id) || !writeMarker(root))
            return;
    }
    for (int robot = kFirstRobot; robot <= kLastRobot; ++robot) {
        if (!QDir().mkpath(jobDirectory(root, robot)))
            return;
    }
}

void removeForeignJobCaches(const QString& appDir, const QString& keep) {
    const QFileInfoList entries =
        QDir(appDir).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden);
    for (const QFileInfo& entry : entries) {
        if (entry.fileName().size() == kControllerIdLength && entry.fileName() != keep &&
            isMarkedCache(entry)) {
            QDir(entry.filePath()).removeRecursively();
        }
    }
}

}  // namespace kelvo::transfer
