#include "joblistfamily.h"

#include "simcontroller.h"

#include "link/jsonwire.h"

namespace kelvo::sim {

namespace {

constexpr quint16 kQueryJobLists = 0x5532;
constexpr quint16 kJobSummary = 0x5533;
constexpr quint16 kJobList = 0x5534;
constexpr quint16 kJobListsEnd = 0x5535;
constexpr int kRobots = 4;

Json::Value listEntry(const QString& name, const QString& md5) {
    Json::Value entry(Json::objectValue);
    entry["MD5"] = md5.toStdString();
    entry["name"] = name.toStdString();
    return entry;
}

// The job list of each robot; robot 1's also names the fault's extra names.
QVector<Json::Value> jobLists(const SimJobStore& store, const SimFileFaults& faults) {
    QVector<Json::Value> lists;
    for (int robot = 1; robot <= kRobots; ++robot) {
        Json::Value entries(Json::arrayValue);
        for (const SimJobStore::Entry& file : store.jobList(robot))
            entries.append(listEntry(file.name, file.md5));
        for (const QString& name : robot == 1 ? faults.extraNames : QStringList())
            entries.append(listEntry(name, QStringLiteral("00000000000000000000000000000000")));
        Json::Value list(Json::objectValue);
        list["jobfilelist"] = entries;
        list["listnum"] = static_cast<int>(entries.size());
        list["robot"] = robot;
        lists.append(list);
    }
    return lists;
}

}  // namespace

JobListFamily::JobListFamily(SimController& controller, const SimJobStore& store,
                             const SimFileFaultSwitch& faults)
    : SimFamily(controller), store_(store), faults_(faults) {
    controller_.on(kQueryJobLists, [this](QTcpSocket* client, const Frame&) {
        if (controller_.chaos().strikesFiles()) {
            answerHostile(client);
            return;
        }
        const SimFileFaults active = faults_.get();
        const QVector<Json::Value> lists = jobLists(store_, active);
        Json::Value summary(Json::objectValue);
        summary["absolutepath"] = Json::Value(Json::arrayValue);
        summary["jobfilenum"] = Json::Value(Json::arrayValue);
        for (int robot = 1; robot <= kRobots; ++robot) {
            const int count = lists.at(robot - 1)["listnum"].asInt();
            summary["absolutepath"].append(SimJobStore::controllerDirectory(robot).toStdString());
            summary["jobfilenum"].append(count + (robot == 1 ? active.listCountOffset : 0));
        }
        controller_.reply(client, kJobSummary, json::write(summary).value_or(QByteArray()));
        for (const Json::Value& list : lists)
            controller_.reply(client, kJobList, json::write(list).value_or(QByteArray()));
        controller_.reply(client, kJobListsEnd, QByteArray());
    });
}

void JobListFamily::answerHostile(QTcpSocket* client) {
    HostileData& hostile = controller_.chaos().hostile();
    const QByteArray count = hostile.size();
    controller_.reply(client, kJobSummary,
                      "{\"absolutepath\":[" + hostile.value() + "],\"jobfilenum\":[" + count + "," +
                          count + "," + hostile.value() + "]}\n");
    for (int robot = 0; robot <= kRobots + 1; ++robot) {
        Json::Value entries(Json::arrayValue);
        for (int i = 0; i < 3; ++i)
            entries.append(listEntry(hostile.fileName(), QString::fromLatin1(hostile.value())));
        Json::Value list(Json::objectValue);
        list["jobfilelist"] = entries;
        list["listnum"] = static_cast<int>(entries.size());
        list["robot"] = robot;
        controller_.reply(client, kJobList, json::write(list).value_or(QByteArray()));
    }
    controller_.reply(client, kJobListsEnd, hostile.payload());
}

}  // namespace kelvo::sim
