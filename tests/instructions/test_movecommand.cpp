#include "instructions/createcommand.h"
#include "instructions/movecommand.h"
#include "instructions/varcommand.h"
#include "instructiontest.h"
#include "link/jsonwire.h"

#include <gtest/gtest.h>

namespace kelvo {

using test::parseJson;

TEST(MoveCommand, FreshJsonIsExact) {
    MoveCommand move(1);
    EXPECT_EQ(json::write(move.toJson()).value(),
              "{\"acc\":0.0,\"dec\":0.0,\"imovecoord\":\"UF\",\"length\":0.0,\"logout\":false,"
              "\"margin\":0.0,\"para\":0,\"pl\":0.0,\"polish\":0,\"polishAngle\":0.0,"
              "\"polishID\":1,\"positionId\":0,\"radius\":0.0,\"side\":0.0,\"spin\":0,"
              "\"sync\":0,\"type\":1,\"vUnit\":0,\"velocity\":0.0,\"width\":0.0}\n");
    EXPECT_TRUE(move.robotPosJson().isNull());

    move.robotPos = std::make_unique<RobotPos>();
    move.robotPos->data[20] = 1.5;
    const std::string zeros =
        "0.0,0.0,0.0,0.0,0.0,0.0,0.0,0.0,0.0,0.0,0.0,0.0,0.0,0.0,0.0,0.0,0.0,0.0,0.0,0.0";
    EXPECT_EQ(json::write(move.robotPosJson()).value().toStdString(),
              "{\"RobotPos\":{\"ctype\":80,\"data\":[" + zeros + ",1.50],\"key\":0}}\n");
    EXPECT_EQ(move.toJson()["RobotPos"], move.robotPosJson()["RobotPos"]);
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
    for (int i = 3; i < RobotPos::kValueCount; ++i)
        EXPECT_EQ(move.robotPos->data[i], 0.0);

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

// A read that fails keeps what it read before the failure.
TEST(MoveCommand, AFailedReadKeepsWhatCameBefore) {
    MoveCommand move(1);
    EXPECT_THROW(move.fromJson(parseJson(R"({"velocity":3,"acc":"fast","dec":2})")),
                 Json::LogicError);
    EXPECT_EQ(move.velocity, 3.0);
    EXPECT_EQ(move.dec, 0.0);
    VARCommand var(35);
    EXPECT_THROW(var.fromJson(parseJson(R"({"key":"I005","intValue":"x"})")), Json::LogicError);
    EXPECT_EQ(var.key, "I005");
}

}  // namespace kelvo
