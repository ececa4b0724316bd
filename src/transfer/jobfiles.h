#pragma once

#include <QFileInfoList>
#include <QString>
#include <QStringList>

#include <optional>

// The PC's job directories {root}/robotJob/R1..R4 and the names that may be joined to them.
namespace kelvo::transfer {

inline constexpr int kFirstRobot = 1;
inline constexpr int kLastRobot = 4;

// A name that stays inside the directory it is joined to: not empty, not "." or "..", no path
// separator, no drive or stream colon, no control character, at most 255 characters. Every
// controller-side name passes this before it touches a local path.
bool isPlainFileName(const QString& name);

// {root}/robotJob/R{robot}
QString jobDirectory(const QString& root, int robot);

// The regular files of dir (symbolic links and hidden files excluded) whose names match one of
// nameFilters (all names when empty) and are plain, newest first.
QFileInfoList jobFilesNewestFirst(const QString& dir, const QStringList& nameFilters = {});

// An upload entry: the robot prefix "R1" to "R4" followed by the file name.
QString uploadEntry(int robot, const QString& fileName);
// Every job file under {appDir}/robotJob/R1..R4 as an upload entry: robot by robot, newest first
// within a robot.
QStringList uploadEntries(const QString& appDir);
// Splits an upload entry; false unless it is a robot prefix followed by a plain file name.
bool splitUploadEntry(const QString& entry, int* robot, QString* fileName);

// The file's MD5 as 32 lowercase hexadecimal digits; empty when it is missing, a symbolic link
// (never followed out of a job directory) or cannot be read.
std::optional<QString> fileMd5(const QString& path);

}  // namespace kelvo::transfer
