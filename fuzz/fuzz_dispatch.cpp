#include "fuzzinput.h"
#include "message/reportcatalogue.h"
#include "message/tcpconnectmodule.h"
#include "robot/robot.h"

#include <QCoreApplication>

#include <cstdint>
#include <vector>

using kelvo::fuzz::check;

namespace {

// Its handler waits 100 ms for the controller to settle: too slow to fuzz.
constexpr quint16 kSyncPositionerSwitch = 0x700F;

// Every word of the inbound catalogue, so that any record word can be mapped onto one.
std::vector<quint16> catalogueWords() {
    std::vector<quint16> words;
    for (int word = 0; word <= 0xFFFF; ++word) {
        if (word != kSyncPositionerSwitch && kelvo::findReport(static_cast<quint16>(word)))
            words.push_back(static_cast<quint16>(word));
    }
    return words;
}

// What the cache offers the exported functions, read whole.
void checkCache(Robot& robot) {
    double values[16];
    robot.copyDout(values);
    robot.copyDin(values);
    robot.copyAout(values);
    robot.copyAin(values);
    robot.copyCurrentPosition(values);
    robot.copySyncPosition(values);
    for (int number = 0; number <= 5; ++number)
        (void)robot.robotServoStatus(number);
    (void)robot.teachTypeText().size();
    (void)robot.uploadAnswer().size();
    const int teach = robot.teachRobotNumber();
    check(robot.currentRobotNumber() == (teach != 0 ? teach : robot.baseRobotNumber()));
    // A handler that left the question board locked would hang here.
    const Question question(robot.questions(), {AnswerKind::Dout});
}

}  // namespace

// Records as received reports, word by word through the message layer into a Robot whose link is
// never started; a word outside the catalogue is mapped onto one. Afterwards the cache reads
// whole and no exception has escaped.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    kelvo::fuzz::ensureApplication();
    static const std::vector<quint16> words = catalogueWords();
    // A fresh Robot each run, so that a finding replays from its input alone.
    Robot robot(QStringLiteral("127.0.0.1"), 9);

    kelvo::fuzz::RecordReader reader(data, size);
    kelvo::fuzz::Record record;
    while (reader.next(&record)) {
        quint16 word = record.word;
        if (word == kSyncPositionerSwitch || !kelvo::findReport(word))
            word = words[word % words.size()];
        robot.messageLayer()->onReceivedData(word, record.payload);
    }
    QCoreApplication::processEvents();
    checkCache(robot);
    return 0;
}
