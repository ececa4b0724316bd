#pragma once

#include "simfiles.h"
#include "simlink.h"
#include "transfer/tcpupdownfile.h"

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include <functional>
#include <memory>
#include <optional>

// Transfers take longer: what these tests wait for by default.
bool waitFor(const std::function<bool()>& done, int timeoutMs = 8000);

// Bytes that differ from file to file and from offset to offset.
QByteArray pattern(qint64 size, int seed);
QByteArray readFile(const QString& path);
// Writes path (creating its directory), modified ageSecs seconds ago.
void writeFile(const QString& path, const QByteArray& bytes, int ageSecs = 0);

// The PC and a simulated controller on loopback, each with its job directories in a temporary
// folder: a Robot in the test thread linked to the simulator's control port, and a transfer
// object for the simulator's transfer port whose application directory is appDir.
class TransferRig {
public:
    TransferRig();

    QString appDir() const { return temp_.filePath(QStringLiteral("app")); }
    // Outside every job directory: for files that must survive whatever happens.
    QString outsideDir() const { return temp_.filePath(QStringLiteral("outside")); }
    QString localJob(int robotNumber, const QString& name) const;
    QString controllerJob(int robotNumber, const QString& name) const;
    // Every file under dir, relative paths, sorted.
    static QStringList filesUnder(const QString& dir);

    // The next frame with this word that the simulator received on the control or the transfer
    // port, while the test thread processes events (the library lives in it); empty after
    // timeoutMs.
    std::optional<kelvo::sim::SimFrame> controlFrame(quint16 word, int timeoutMs = 3000);
    std::optional<kelvo::sim::SimFrame> transferFrame(quint16 word, int timeoutMs = 3000);

    // The reflushprolist notifications seen so far.
    int refreshes() const { return refreshes_; }

    QTemporaryDir temp_;
    kelvo::sim::SimHarness sim;
    kelvo::sim::SimFiles* files = nullptr;
    // Declared in the order they are built: the transfer goes first, then its robot.
    std::unique_ptr<Robot> robot;
    std::unique_ptr<TcpUpDownFile> transfer;

private:
    int refreshes_ = 0;
};
