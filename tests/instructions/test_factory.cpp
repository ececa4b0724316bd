#include "instructions/commandcondition.h"
#include "instructions/createcommand.h"
#include "instructions/robotpos.h"
#include "instructiontest.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace kelvo {
namespace {

using test::parseJson;
using test::varied;

// The first word of each type code's text from keywords.txt, "-" where no class exists. The
// objects of the round trip hold varied() values: caltype 2 picks POSSET, a note's text its own.
std::vector<std::string> keywords() {
    std::ifstream file(KELVO_INSTRUCTION_DATA "/keywords.txt");
    std::vector<std::string> words;
    int code = 0;
    for (std::string word; file >> code >> word && code == int(words.size());)
        words.push_back(word);
    return words;
}

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

bool ownsPosition(int type) {
    static const std::set<int> types = {
        1,  2,  3,  4,  5,  6,  28,  32,  33,  34,  53,  54,  55,  56,  57,  60,  61,  62, 63,
        76, 77, 78, 79, 80, 81, 102, 103, 104, 105, 106, 147, 148, 149, 150, 151, 152, 153};
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
    if (ownsPosition(type)) {
        json["RobotPos"] = varied(RobotPos().toJson());
        if (json.isMember("m_postype")) {
            json["m_postype"] = 0;  // a conveyor carries its position only for this kind
        }
    }
    return json;
}

TEST(Factory, EveryTypeCodeRoundTrips) {
    const std::vector<std::string> firstWords = keywords();
    ASSERT_EQ(firstWords.size(), 156u);
    for (int type = -1; type <= 156; ++type) {
        Json::Value request;
        request["type"] = type;
        const auto made = createCommand(request);
        const bool known = type >= 0 && type < int(firstWords.size()) && firstWords[type] != "-";
        if (!known) {
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
        EXPECT_EQ(text.substr(0, text.find_first_of(" (")), firstWords[type])
            << type << ": " << text;
        EXPECT_EQ(text.substr(text.size() - 8), " DISABLE") << type << ": " << text;
    }
}

TEST(Factory, RefusesWhatItCannotRead) {
    const char* refused[] = {
        R"({})",
        R"({"type":0})",
        R"({"type":156})",
        R"({"type":-5})",
        R"({"type":"1"})",
        R"({"type":[1]})",
        R"({"type":4294967295})",
        R"([1,2])",
        R"("MOVJ")",
        R"(null)",
        // Members of the wrong type.
        R"({"type":16,"portValue":"high"})",
        R"({"type":35,"boolValue":"yes"})",
        R"({"type":15,"jobName":{"a":1}})",
        R"({"type":138,"calData":"1 2 3"})",
        R"({"type":137,"calData":[[1]]})",
        R"({"type":137,"datatype":["x"]})",
        R"({"type":76,"RobotPos":5})",
        R"({"type":9,"ifcondition":{"logicType":"=="}})",
        R"({"type":50,"jumpCondition":[1]})",
        R"({"type":8,"now":"soon"})",
        R"({"type":1,"velocity":"fast"})",
        R"({"type":1,"imovecoord":[1]})",
        R"({"type":1,"logout":"yes"})",
        R"({"type":1,"positionId":1e12})",
        R"({"type":1,"RobotPos":{"key":-1}})",
        R"({"type":1,"RobotPos":{"data":{"a":1}}})",
        R"({"type":1,"RobotPos":[1,2]})",
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
