#include "decimalcommalocale.h"
#include "instructions/createcommand.h"
#include "instructions/movecommand.h"
#include "instructiontest.h"
#include "link/jsonwire.h"

#include <gtest/gtest.h>

namespace kelvo {
namespace {

using test::parseJson;

constexpr int position(char character, int number) {
    return (character << 16) | number;
}

struct MoveRow {
    int type;
    int positionId;
    double velocity;
    int vUnit;
    double acc;
    double dec;
    const char* text;
    void (*extra)(MoveCommand&) = nullptr;
};

void expectEveryMoveText() {
    const MoveRow table[] = {
        {1, position('P', 1), 50, 2, 80, 80, "MOVJ P001 VJ = 50 % PL = 0 ACC = 80 DEC = 80"},
        {4, position('P', 1), 50, 2, 80, 80,
         "MOVCA P001 V = 50 % PL = 0 ACC = 80 DEC = 80 SPIN = 1",
         [](MoveCommand& m) { m.spin = 1; }},
        {33, position('P', 1), 50, 2, 80, 80,
         "MOVLEXT E001 V = 50 % PL = 0 ACC = 80 DEC = 80 SYNC = 2",
         [](MoveCommand& m) { m.sync = 2; }},
        {5, 2, 100, 1, 0, 0, "IMOV S002 V = 100 mm/sUF PL = 0 ACC = 0 DEC = 0"},
        {5, 2, 100, 0, 0, 0, "IMOV S002100 cm/sUF PL = 0 ACC = 0 DEC = 0"},
        {57, 2, 100, 2, 0, 0, "SAMOV R002 VJ = 100 %UT PL = 0 ACC = 0 DEC = 0",
         [](MoveCommand& m) { m.imovecoord = "UT"; }},
        {51, 0, 20, 2, 0, 0, "CILEXT_BEGIN VJ = 20 % ACC = 0 DEC = 0 ID = 3",
         [](MoveCommand& m) { m.para = 3; }},
        {52, 0, 20, 2, 0, 0, "CILEXT_MOVE VJ = 20 % ACC = 0 DEC = 0"},
        {28, position('P', 12), 12.5, 1, 0, 0,
         "CIL P012 V = 12.5 mm/s PL = 2 ACC = 0 DEC = 0 ID = 3",
         [](MoveCommand& m) {
             m.para = 3;
             m.pl = 2;
         }},
        {60, position('P', 1), 10, 1, 0, 0,
         "LASER_CIRCLE P001 R = 5 V = 10 mm/s ACC = 0 DEC = 0 M = 1",
         [](MoveCommand& m) {
             m.radius = 5;
             m.margin = 1;
         }},
        {61, position('P', 1), 10, 1, 0, 0,
         "LASER_RECTANGLE P001 LENGTH = 3 WIDTH = 4 V = 10 mm/s ACC = 0 DEC = 0",
         [](MoveCommand& m) {
             m.length = 3;
             m.width = 4;
             m.margin = 1;
         }},
        {63, position('P', 1), 10, 1, 0, 0, "LASER_HEX P001 SIDE = 6 V = 10 mm/s ACC = 0 DEC = 0",
         [](MoveCommand& m) { m.side = 6; }},
        {106, position('P', 1), 10, 1, 0, 0,
         "POLISH_EDGE P001 V = 10 mm/s PL = 0 ACC = 0 DEC = 0 T = 1 ID = 2 ANGLE = 30",
         [](MoveCommand& m) {
             m.polish = 1;
             m.polishID = 2;
             m.polishAngle = 30;
         }},
        {56, position('P', 1), 1234567, 2, 0.5, 0,
         "MOVCADOUBLE E001 V = 1.23457e+06 % PL = 0 ACC = 0.5 DEC = 0 SPIN = 1 DISABLE",
         [](MoveCommand& m) {
             m.spin = 1;
             m.logout = true;
         }},
        {2, position('G', 1234), 50, 3, 0, 0, "MOVL G1234 V = 50 PL = 0 ACC = 0 DEC = 0"},
        {32, position('P', 7), 50, -1, 0, 0, "MOVJEXT E007 VJ = 50 PL = 0 ACC = 0 DEC = 0"},
        {5, 2, 100, 9, 0, 0, "IMOV S002100UF PL = 0 ACC = 0 DEC = 0"},
        // A code that is no motion keeps its tail under a placeholder head.
        {99, position('P', 1), 50, 2, 0, 0, "/// PL = 0 ACC = 0 DEC = 0"},
    };
    for (const MoveRow& row : table) {
        MoveCommand move(row.type);
        move.positionId = row.positionId;
        move.velocity = row.velocity;
        move.vUnit = row.vUnit;
        move.acc = row.acc;
        move.dec = row.dec;
        if (row.extra) {
            row.extra(move);
        }
        EXPECT_EQ(move.toString(), row.text) << row.type;
    }
}

TEST(MoveCommand, Texts) {
    expectEveryMoveText();
}

TEST(MoveCommand, TextsUnderADecimalCommaLocaleAreTheSame) {
    KELVO_DECIMAL_COMMA_LOCALE(locale);
    locale.useEverywhere();
    expectEveryMoveText();
}

TEST(MoveCommand, FreshJsonIsExact) {
    MoveCommand move(1);
    EXPECT_EQ(json::write(move.toJson()).value(),
              "{\"acc\":0.0,\"dec\":0.0,\"imovecoord\":\"UF\",\"length\":0.0,\"logout\":false,"
              "\"margin\":0.0,\"para\":0,\"pl\":0.0,\"polish\":0,\"polishAngle\":0.0,"
              "\"polishID\":1,\"positionId\":0,\"radius\":0.0,\"side\":0.0,\"spin\":0,"
              "\"sync\":0,\"type\":1,\"vUnit\":0,\"velocity\":0.0,\"width\":0.0}\n");
    EXPECT_TRUE(move.robotPosJson().isNull());
    EXPECT_EQ(move.getRobotPos(), nullptr);

    move.robotPos = std::make_unique<RobotPos>();
    move.robotPos->data[20] = 1.5;
    const std::string zeros =
        "0.0,0.0,0.0,0.0,0.0,0.0,0.0,0.0,0.0,0.0,0.0,0.0,0.0,0.0,0.0,0.0,0.0,0.0,0.0,0.0";
    EXPECT_EQ(json::write(move.robotPosJson()).value().toStdString(),
              "{\"RobotPos\":{\"ctype\":80,\"data\":[" + zeros + ",1.50],\"key\":0}}\n");
    EXPECT_EQ(move.toJson()["RobotPos"], move.robotPosJson()["RobotPos"]);
    EXPECT_EQ(move.getRobotPos(), move.robotPos.get());
}

TEST(MoveCommand, ReadingReplacesDefaultsAndPositions) {
    MoveCommand move(2);
    move.fromJson(parseJson(R"({"velocity":30,"RobotPos":{"key":7,"ctype":336,"data":[1,2,3]}})"));
    EXPECT_EQ(move.velocity, 30.0);
    EXPECT_EQ(move.imovecoord, "");
    EXPECT_EQ(move.polishID, 0);
    ASSERT_NE(move.robotPos, nullptr);
    EXPECT_EQ(move.robotPos->key, 7u);
    EXPECT_EQ(move.robotPos->ctype, 'P');  // only the low 8 bits of 336 stay
    EXPECT_EQ(move.robotPos->data[2], 3.0);
    for (int i = 3; i < RobotPos::kValueCount; ++i) {
        EXPECT_EQ(move.robotPos->data[i], 0.0);
    }

    const RobotPos* first = move.robotPos.get();
    move.fromJson(parseJson(R"({"positionId":5})"));
    EXPECT_EQ(move.robotPos.get(), first);  // no member: the position stays
    move.fromJson(parseJson(R"({"RobotPos":{}})"));
    EXPECT_EQ(move.robotPos->key, 0u);
    EXPECT_EQ(move.robotPos->ctype, 0);

    for (int type : {51, 52}) {
        MoveCommand cil(type);
        cil.fromJson(parseJson(R"({"velocity":1,"RobotPos":{"key":7}})"));
        EXPECT_EQ(cil.robotPos, nullptr) << type;
        EXPECT_EQ(cil.velocity, 1.0);
    }
}

TEST(MoveCommand, WrongTypesThrowAndTheFactoryRefuses) {
    const char* bad[] = {
        R"({"type":1,"velocity":"fast"})",     R"({"type":1,"imovecoord":[1]})",
        R"({"type":1,"logout":"yes"})",        R"({"type":1,"positionId":1e12})",
        R"({"type":1,"RobotPos":{"key":-1}})", R"({"type":1,"RobotPos":{"data":{"a":1}}})",
        R"({"type":1,"RobotPos":[1,2]})",
    };
    for (const char* text : bad) {
        const Json::Value json = parseJson(text);
        MoveCommand move(1);
        EXPECT_THROW(move.fromJson(json), Json::LogicError) << text;
        EXPECT_EQ(createCommand(json), nullptr) << text;
    }
    MoveCommand move(1);
    EXPECT_THROW(move.fromJson(parseJson(R"({"velocity":3,"acc":"fast","dec":2})")),
                 Json::LogicError);
    EXPECT_EQ(move.velocity, 3.0);  // read before the failure
    EXPECT_EQ(move.dec, 0.0);
}

}  // namespace
}  // namespace kelvo
