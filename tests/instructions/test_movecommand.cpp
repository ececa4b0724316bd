#include "instructions/createcommand.h"
#include "instructions/movecommand.h"
#include "instructiontest.h"
#include "link/jsonwire.h"

#include <gtest/gtest.h>

namespace kelvo {

using test::parseJson;

// A move writes its position only once it has one, its values as the controller reads them.
TEST(MoveCommand, PositionJsonIsExact) {
    MoveCommand move(1);
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
}

}  // namespace kelvo
