#pragma once

#include <QByteArray>

#include <string>
#include <vector>

// What the controller or the link said, as a host sees it: one per report, in the order reports
// arrived. The kinds and codes are those of kelvo.h's KELVO_EVENT_ constants.
struct RobotEvent {
    enum Kind {
        Link = 1,
        Servo,
        Mode,
        Coord,
        Speed,
        Running,
        RobotSelection,
        Position,
        Io,
        Alarm,
        Transfer,
        Overflow,
    };
    enum IoCode { Dout, Din, Aout, Ain };
    enum AlarmCode { Error, Warning, Info };
    enum TransferCode { Started, Progress, Finished, Failed };

    int kind = 0;
    int robot = 0;
    int code = 0;
    std::vector<double> values;
    std::string text;
    double time = 0;  // seconds since the Unix epoch, when the library received it

    // A report is kept as it came and read only when the host takes the event, so the connection
    // thread does no more than stamp it. False when the report cannot be read: no event then.
    QByteArray report;
    bool decode();

    // LINK, ALARM and TRANSFER events are never dropped for room; POSITION and IO go first.
    bool mustKeep() const { return kind == Link || kind == Alarm || kind == Transfer; }
    bool dropsFirst() const { return kind == Position || kind == Io; }
};
