#include "decimalcommalocale.h"
#include "instructions/commandcondition.h"
#include "instructions/conytrackcommand.h"
#include "instructions/createcommand.h"
#include "instructions/dummycommand.h"
#include "instructions/iocommand.h"
#include "instructions/movecommand.h"
#include "instructions/opcommand.h"
#include "instructions/poscalallcommand.h"
#include "instructions/varcommand.h"
#include "instructiontest.h"
#include "link/jsonwire.h"

#include <gtest/gtest.h>

#include <fstream>

namespace kelvo {

using test::parseJson;

// Every class's worked texts, from texts.jsonl: a command's JSON and its text per line, read as
// the library reads payloads (locale-free); or what it writes back, where optional members are
// written only when present and a read replaces the constructor defaults, also with what is
// missing. Position ids there are the character code shifted by 16 plus the number: P001 is
// 5242881. Numbers are written the same under any locale.
static void expectEveryText() {
    std::ifstream file(KELVO_INSTRUCTION_DATA "/texts.jsonl");
    int rows = 0;
    for (std::string line; std::getline(file, line); ++rows) {
        const std::optional<Json::Value> row = json::parse(QByteArray::fromStdString(line));
        ASSERT_TRUE(row) << line;
        const auto command = createCommand((*row)["command"]);
        ASSERT_TRUE(command) << line;
        if (row->isMember("written"))
            EXPECT_EQ(json::write(command->toJson()).value(), (*row)["written"].asCString())
                << line;
        else
            EXPECT_EQ(command->toString(), (*row)["text"].asString()) << line;
    }
    EXPECT_GE(rows, 75);

    // A code that is no motion keeps its tail under a placeholder head.
    MoveCommand notAMove(99);
    notAMove.positionId = 5242881;
    notAMove.velocity = 50;
    notAMove.vUnit = 2;
    EXPECT_EQ(notAMove.toString(), "/// PL = 0 ACC = 0 DEC = 0");
    EXPECT_EQ(CommandCondition().toString(), "(I000 == 0)");
    EXPECT_EQ(OPCommand(101).toString(), "ATAN I000 0");
    EXPECT_EQ(DummyCommand().toString(), "#UNKNOWN COMMAND!!");
    VARCommand foreign(41);
    EXPECT_EQ(foreign.toString(), "#UNKNOWN COMMAND!!");
    foreign.logout = true;
    EXPECT_EQ(foreign.toString(), "#UNKNOWN COMMAND!! DISABLE");
    EXPECT_EQ(IOCommand(18).toString(), "#UNKNOWN COMMAND!!");
}

TEST(Catalogue, Texts) {
    expectEveryText();
}

TEST(Catalogue, TextsUnderADecimalCommaLocaleAreTheSame) {
    KELVO_DECIMAL_COMMA_LOCALE(locale);
    locale.useEverywhere();
    expectEveryText();
}

TEST(Catalogue, ParallelArraysKeepTheirLength) {
    const auto offset = createCommand(
        parseJson(R"({"type":138,"calData":["1","D2"],"datatype":[0,1,0,0,0,0,0,9]})"));
    const Json::Value json = offset->toJson();
    EXPECT_EQ(json["calData"], parseJson(R"(["1","D2","","","","",""])"));
    EXPECT_EQ(json["datatype"], parseJson("[0,1,0,0,0,0,0]"));  // the eighth value is dropped
    EXPECT_EQ(POSCALALLCommand().toJson()["datatype"], parseJson("[0,0,0,0,0,0,0]"));
}

TEST(Catalogue, PositionRecords) {
    // A conveyor writes its position only for position type 0.
    CONYTRACKCommand conveyor(102);
    EXPECT_FALSE(conveyor.toJson().isMember("RobotPos"));
    conveyor.robotPos = std::make_unique<RobotPos>();
    conveyor.robotPos->data[0] = 4.0;
    EXPECT_EQ(conveyor.toJson()["RobotPos"]["data"][0], 4.0);
    conveyor.m_postype = 1;
    EXPECT_FALSE(conveyor.toJson().isMember("RobotPos"));

    // Codes without a position ignore one, the circular moves too.
    for (int type : {15, 68, 51, 52}) {
        Json::Value json;
        json["type"] = type;
        json["RobotPos"] = RobotPos().toJson();
        EXPECT_EQ(createCommand(json)->getRobotPos(), nullptr) << type;
    }
}

}  // namespace kelvo
