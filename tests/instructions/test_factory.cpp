#include "instructions/commandcondition.h"
#include "instructions/createcommand.h"
#include "instructions/robotpos.h"
#include "instructiontest.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

namespace kelvo {
namespace {

using test::parseJson;
using test::varied;

// The keyword each type code's text starts with, for the codes that have a class.
const std::map<int, std::string> kKeywords = {
    {1, "MOVJ "},
    {2, "MOVL "},
    {3, "MOVC "},
    {4, "MOVCA "},
    {5, "IMOV S"},
    {6, "MOVS "},
    {7, "TIMER T = "},
    {8, "WAIT ("},
    {9, "IF ("},
    {10, "ELSE"},
    {11, "ELSEIF ("},
    {12, "ENDIF"},
    {13, "WHILE ("},
    {14, "ENDWHILE"},
    {28, "CIL "},
    {32, "MOVJEXT E"},
    {33, "MOVLEXT E"},
    {34, "MOVCEXT E"},
    {49, "LABEL "},
    {50, "JUMP "},
    {51, "CILEXT_BEGIN VJ = "},
    {52, "CILEXT_MOVE "},
    {53, "MOVJDOUBLE E"},
    {54, "MOVLDOUBLE E"},
    {55, "MOVCDOUBLE E"},
    {56, "MOVCADOUBLE E"},
    {57, "SAMOV R"},
    {60, "LASER_CIRCLE "},
    {61, "LASER_RECTANGLE "},
    {62, "LASER_MIDDLEHOLE "},
    {63, "LASER_HEX "},
    {84, "UNTIL ("},
    {85, "ENDUNTIL"},
    {106, "POLISH_EDGE "},
};

// The members a type code carries beyond its scalars, which a default object lacks.
const char* conditionKey(int type) {
    const std::map<int, const char*> keys = {
        {8, "waitCondition"},   {9, "ifcondition"},     {10, "ifcondition"},
        {11, "ifcondition"},    {12, "ifcondition"},    {13, "whileCondition"},
        {14, "whileCondition"}, {49, "jumpCondition"},  {50, "jumpCondition"},
        {84, "untilCondition"}, {85, "untilCondition"},
    };
    const auto it = keys.find(type);
    return it == keys.end() ? nullptr : it->second;
}

bool readsPosition(int type) {
    static const std::set<int> types = {1,  2,  3,  4,  5,  6,  28, 32, 33, 34,
                                        53, 54, 55, 56, 57, 60, 61, 62, 63, 106};
    return types.count(type) != 0;
}

Json::Value richObject(int type, const Json::Value& defaults) {
    Json::Value json = varied(defaults);
    if (const char* key = conditionKey(type)) {
        json[key] = varied(CommandCondition().toJson());
    }
    if (type == 8) {
        json["now"] = 3;
    }
    if (readsPosition(type)) {
        json["RobotPos"] = varied(RobotPos().toJson());
    }
    return json;
}

TEST(Factory, EveryTypeCodeRoundTrips) {
    for (int type = -1; type <= 156; ++type) {
        Json::Value request;
        request["type"] = type;
        const auto made = createCommand(request);
        const auto keyword = kKeywords.find(type);
        if (keyword == kKeywords.end()) {
            EXPECT_EQ(made, nullptr) << type;
            continue;
        }
        ASSERT_NE(made, nullptr) << type;
        EXPECT_EQ(made->type, type);
        EXPECT_EQ(made->toJson()["type"], type);

        const Json::Value rich = richObject(type, made->toJson());
        const auto read = createCommand(rich);
        ASSERT_NE(read, nullptr) << type;
        EXPECT_EQ(read->toJson(), rich) << type;
        EXPECT_EQ(read->getRobotPos() != nullptr, rich.isMember("RobotPos")) << type;

        const std::string text = read->toString();
        EXPECT_EQ(text.rfind(keyword->second, 0), 0u) << type << ": " << text;
        EXPECT_EQ(text.substr(text.size() - 8), " DISABLE") << type << ": " << text;
    }
}

TEST(Factory, RefusesWhatItCannotRead) {
    const char* refused[] = {
        R"({})",           R"({"type":0})",   R"({"type":156})",        R"({"type":-5})",
        R"({"type":"1"})", R"({"type":[1]})", R"({"type":4294967295})", R"([1,2])",
        R"("MOVJ")",       R"(null)",
    };
    for (const char* text : refused) {
        EXPECT_EQ(createCommand(parseJson(text)), nullptr) << text;
    }
    const auto fromReal = createCommand(parseJson(R"({"type":2.0})"));
    ASSERT_NE(fromReal, nullptr);
    EXPECT_EQ(fromReal->type, 2);
}

}  // namespace
}  // namespace kelvo
