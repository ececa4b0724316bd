#include "instructions/commandcondition.h"
#include "instructions/createcommand.h"
#include "instructions/robotpos.h"
#include "instructiontest.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace kelvo {
namespace {

using test::parseJson;
using test::varied;

// keywords.txt: per type code from 0 on, the first word of its text ("-" where no class exists)
// and the members a full object carries beyond its scalars, which a default one lacks. The
// objects of the round trip hold varied() values: caltype 2 picks POSSET, a note's text its own.
struct Code {
    std::string word;
    std::vector<std::string> members;
};
std::vector<Code> codes() {
    std::ifstream file(KELVO_INSTRUCTION_DATA "/keywords.txt");
    std::vector<Code> codes;
    for (std::string line; std::getline(file, line);) {
        std::istringstream fields(line);
        int code = -1;
        Code c;
        fields >> code >> c.word;
        c.members = {std::istream_iterator<std::string>(fields), {}};
        if (code != int(codes.size()))
            break;
        codes.push_back(c);
    }
    return codes;
}

// Every member varied, the extra members added.
Json::Value richObject(const Code& code, const Json::Value& defaults) {
    Json::Value json = varied(defaults);
    for (const std::string& member : code.members) {
        if (member == "now")
            json[member] = 3;
        else if (member == "RobotPos")
            json[member] = varied(RobotPos().toJson());
        else
            json[member] = varied(CommandCondition().toJson());
    }
    if (json.isMember("RobotPos") && json.isMember("m_postype"))
        json["m_postype"] = 0;  // a conveyor carries its position only for this kind
    return json;
}

TEST(Factory, EveryTypeCodeRoundTrips) {
    const std::vector<Code> table = codes();
    ASSERT_EQ(table.size(), 156u);
    for (int type = -1; type <= 156; ++type) {
        const auto made = createCommand(parseJson("{\"type\":" + std::to_string(type) + "}"));
        const bool known = type >= 0 && type < int(table.size()) && table[type].word != "-";
        if (!known) {
            EXPECT_EQ(made, nullptr) << type;
            continue;
        }
        ASSERT_NE(made, nullptr) << type;
        EXPECT_EQ(made->type, type);

        const Json::Value rich = richObject(table[type], made->toJson());
        const auto read = createCommand(rich);
        ASSERT_NE(read, nullptr) << type;
        EXPECT_EQ(read->toJson(), rich) << type;
        EXPECT_EQ(read->getRobotPos() != nullptr, rich.isMember("RobotPos")) << type;

        const std::string text = read->toString();
        EXPECT_EQ(text.substr(0, text.find_first_of(" (")), table[type].word)
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
    for (const char* text : refused)
        EXPECT_EQ(createCommand(parseJson(text)), nullptr) << text;
    const auto fromReal = createCommand(parseJson(R"({"type":2.0})"));
    ASSERT_NE(fromReal, nullptr);
    EXPECT_EQ(fromReal->type, 2);
}

}  // namespace
}  // namespace kelvo
