#pragma once

#include <QString>
#include <QVector>

namespace kelvo::sim {

// The simulated controller's job directory: the files of robot n in {root}/R{n}. On the
// controller's side a robot's files live in controllerDirectory(n); uploads name them
// "job/R{n}/" + file name.
class SimJobStore {
public:
    struct Entry {
        QString name;
        QString md5;  // lowercase hexadecimal
    };

    // Creates {root}/R1..R4 when missing.
    explicit SimJobStore(const QString& root);

    QString root() const { return root_; }
    static QString controllerDirectory(int robot);
    // The local path for an uploaded "job/R{n}/<file name>"; empty for any name the controller
    // would not store.
    QString pathForUpload(const QString& name) const;
    // The local path of an existing file named controllerDirectory(n) + file name; empty
    // otherwise.
    QString pathForDownload(const QString& name) const;
    // The regular files of robot n, by name.
    QVector<Entry> jobList(int robot) const;

private:
    QString pathFor(const QString& name, QLatin1String prefix) const;

    QString root_;
};

}  // namespace kelvo::sim
