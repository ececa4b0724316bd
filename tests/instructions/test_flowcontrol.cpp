#include "instructions/commandcondition.h"
#include "instructions/createcommand.h"
#include "instructions/timercommand.h"
#include "instructions/waitcommand.h"
#include "instructiontest.h"

#include <gtest/gtest.h>

namespace kelvo {
namespace {

using test::parseJson;

std::string textOf(const char* json) {
    auto command = createCommand(parseJson(json));
    return command ? command->toString() : "<null>";
}

TEST(FlowControl, Texts) {
    const struct {
        const char* json;
        const char* text;
    } table[] = {
        {R"({"type":9,"logout":true,"ifcondition":{"key":"I001","logicType":3,"desValue":"10"}})",
         "IF (I001 > 10) DISABLE"},
        {R"({"type":11,"ifcondition":{"key":"B002","logicType":5,"desValue":"1"}})",
         "ELSEIF (B002 >= 1)"},
        {R"({"type":13,"whileCondition":{"key":"D001","logicType":6,"desValue":"2.5"}})",
         "WHILE (D001 != 2.5)"},
        {R"({"type":84,"untilCondition":{"key":"I003","logicType":2,"desValue":"I004"}})",
         "UNTIL (I003 < I004)"},
        {R"({"type":13,"whileCondition":{"key":"I0","logicType":7,"desValue":"1"}})",
         "WHILE (I0 ? 1)"},
        {R"({"type":13,"whileCondition":{"key":"I0","logicType":-1,"desValue":"1"}})",
         "WHILE (I0 ? 1)"},
        // A condition object without members reads every member as 0 or "".
        {R"({"type":84,"untilCondition":{}})", "UNTIL ( <> )"},
        {R"({"type":9})", ""},
        {R"({"type":9,"logout":true})", " DISABLE"},
        {R"({"type":10,"ifcondition":{"key":"I001"}})", "ELSE"},
        {R"({"type":12})", "ENDIF"},
        {R"({"type":14})", "ENDWHILE"},
        {R"({"type":85,"logout":true})", "ENDUNTIL DISABLE"},
        {R"({"type":49,"label":"L1"})", "LABEL L1"},
        {R"({"type":50,"label":"tip","jumpConditionFlag":true,
             "jumpCondition":{"key":"I000","logicType":1,"desValue":"0"}})",
         "JUMP tip  WHEN (I000 == 0)"},
        {R"({"type":50,"jumpConditionFlag":true,
             "jumpCondition":{"key":"I000","logicType":1,"desValue":"0"}})",
         "JUMP   WHEN (I000 == 0)"},
        {R"({"type":50,"label":"tip","jumpCondition":{"key":"I000"}})", "JUMP tip"},
        {R"({"type":50,"label":"tip","jumpConditionFlag":true})", "JUMP tip  WHEN "},
        {R"({"type":7,"duration":2.5})", "TIMER T = 2.5"},
        {R"({"type":7,"duration":2.5,"desType":1,"desValue":"D001"})", "TIMER T = D001"},
        {R"({"type":7,"duration":1234567})", "TIMER T = 1.23457e+06"},
        {R"({"type":8,"now":5})", "WAIT  NOW = 5"},
        {R"({"type":8,"duration":1.5,"waitCondition":{"key":"I002","logicType":0,"desValue":"3"}})",
         "WAIT (I002 <> 3)  T = 1.5"},
        {R"({"type":8,"duration":0.5,"now":0,"logout":true,
             "waitCondition":{"key":"I002","logicType":1,"desValue":"3"}})",
         "WAIT (I002 == 3)  T = 0.5 NOW = 0 DISABLE"},
    };
    for (const auto& row : table) {
        EXPECT_EQ(textOf(row.json), row.text) << row.json;
    }
    EXPECT_EQ(CommandCondition().toString(), "(I000 == 0)");
}

TEST(FlowControl, OptionalMembersAreWrittenOnlyWhenPresent) {
    const auto bare = createCommand(parseJson(R"({"type":8})"))->toJson();
    EXPECT_FALSE(bare.isMember("now"));
    EXPECT_FALSE(bare.isMember("waitCondition"));
    const auto withNow = createCommand(parseJson(R"({"type":8,"now":5})"))->toJson();
    EXPECT_EQ(withNow["now"], 5);

    for (const char* json : {R"({"type":9})", R"({"type":13})", R"({"type":84})"}) {
        EXPECT_EQ(createCommand(parseJson(json))->toJson().getMemberNames(),
                  (Json::Value::Members{"logout", "type"}));
    }
    EXPECT_EQ(createCommand(parseJson(R"({"type":50})"))->toJson().getMemberNames(),
              (Json::Value::Members{"jumpConditionFlag", "label", "logout", "type"}));
}

TEST(FlowControl, DefaultsAndMissingKeys) {
    EXPECT_EQ(CommandCondition().toJson(),
              parseJson(R"({"keyType":1,"key":"I000","inNumLeft":0,"inNumRight":0,
                            "logicType":1,"desType":0,"desValue":"0"})"));
    EXPECT_EQ(TimerCommand().toJson(),
              parseJson(R"({"type":7,"logout":false,"duration":0.0,"desType":0,"desValue":"0"})"));
    const WaitCommand wait;
    EXPECT_EQ(wait.type, 8);
    EXPECT_EQ(wait.desValue, "0");

    // A read replaces the constructor defaults, also with what is missing.
    auto jump = createCommand(parseJson(R"({"type":49})"));
    EXPECT_EQ(jump->toJson()["label"], "");
    auto timer = createCommand(parseJson(R"({"type":7})"));
    EXPECT_EQ(timer->toJson()["desValue"], "");
}

}  // namespace
}  // namespace kelvo
