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

// The keyword each type code's text starts with, for every code that has a class. The objects of
// the round trip hold varied() values: caltype 2 picks POSSET, and a note's text is its own.
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
    {15, "CALL [$"},
    {16, "DOUT "},
    {17, "DIN "},
    {18, "AITOON AIN"},
    {19, "AITOOFF"},
    {20, "AOUT AOUT"},
    {21, "AIN "},
    {22, "PULSEOUT RATE = "},
    {23, "ARCON #"},
    {24, "ARCOFF "},
    {25, "ARCSET V= "},
    {26, "WVON #"},
    {27, "WVOFF "},
    {28, "CIL "},
    {30, "SPEED = "},
    {32, "MOVJEXT E"},
    {33, "MOVLEXT E"},
    {34, "MOVCEXT E"},
    {35, "INT "},
    {36, "DOUBLE "},
    {37, "BOOLEAN "},
    {38, "SETINT "},
    {39, "SETDOUBLE "},
    {40, "SETBOOL "},
    {41, "FORCESET "},
    {42, "ADD "},
    {43, "SUB "},
    {44, "MUL "},
    {45, "DIV "},
    {46, "MOD "},
    {47, "SWITCHTOOL ("},
    {48, "SWITCHUSER ("},
    {49, "LABEL "},
    {50, "JUMP "},
    {51, "CILEXT_BEGIN VJ = "},
    {52, "CILEXT_MOVE "},
    {53, "MOVJDOUBLE E"},
    {54, "MOVLDOUBLE E"},
    {55, "MOVCDOUBLE E"},
    {56, "MOVCADOUBLE E"},
    {57, "SAMOV R"},
    {58, "LASER_ON "},
    {59, "LASER_OFF"},
    {60, "LASER_CIRCLE "},
    {61, "LASER_RECTANGLE "},
    {62, "LASER_MIDDLEHOLE "},
    {63, "LASER_HEX "},
    {64, "TIGWELDON "},
    {65, "TIGWELDOFF"},
    {67, "FEEDWIRE T = "},
    {68, "PALON ID = "},
    {69, "PALGRIPPER ID = "},
    {70, "PALLET "},
    {71, "PALENTER "},
    {72, "PALSHIFT "},
    {73, "PALREAL "},
    {74, "PALCLEAR "},
    {75, "PALOFF "},
    {76, "VISION_RUN "},
    {77, "VISION_TRG "},
    {78, "VISION_POSNUM "},
    {79, "VISION_POS "},
    {80, "VISION_CLEAR "},
    {81, "VISION_END "},
    {82, "LASERTRACK_ON ID = "},
    {83, "LASERTRACK_OFF ID =  "},
    {84, "UNTIL ("},
    {85, "ENDUNTIL"},
    {86, "CRAFTLINE "},
    {87, "PTHREAD_START [$"},
    {88, "PTHREAD_END [$"},
    {89, "READPOS "},
    {90, "POSSET "},
    {91, "SENDMSG ID = "},
    {92, "MSG_CONN_ST "},
    {93, "PARSEMSG ID = "},
    {94, "USERFRAME_SET "},
    {95, "TOOLFRAME_SET "},
    {96, "READ_DOUT "},
    {98, "MOVCOMM "},
    {99, "SIN "},
    {100, "COS "},
    {101, "ATAN "},
    {102, "CONVEYOR_ON "},
    {103, "CONVEYOR_OFF "},
    {104, "CONVEYOR_CHECKPOS "},
    {105, "CONVEYOR_CHECKEND "},
    {106, "POLISH_EDGE "},
    {107, "READCOMM ID = "},
    {108, "PAUSERUN "},
    {109, "CONTINUERUN "},
    {110, "STOPRUN"},
    {112, "OPENMSG "},
    {113, "CLOSEMSG "},
    {114, "USERCOORD_TRANS ("},
    {115, "COPYPOS "},
    {116, "RESTARTRUN"},
    {117, "PRINTMSG "},
    {118, "LOGICAL_OP "},
    {119, "SPRAY_ON G = "},
    {120, "SPRAY_OFF G = "},
    {121, "SPRAY_CHANGE G = "},
    {122, "SPRAY_MOVE ID = "},
    {123, "SPRAY_POSE ID = "},
    {124, "X1"},
    {125, "CLKSTART ID = "},
    {126, "CLKSTOP ID = "},
    {127, "CLKRESET ID = "},
    {128, "POLISH_CONTINUE ID = "},
    {129, "POLISH_OFF ID = "},
    {130, "POS_REACHABLE "},
    {131, "SEARCH_INITIALIZE ID = "},
    {132, "SEARCH_MEASURE ID = "},
    {133, "SEARCH_CORR ID = "},
    {134, "SEARCH_CANCELCORR ID = "},
    {135, "SEARCH_CALBR ID = "},
    {136, "SEARCH_OFF ID = "},
    {137, "POSSETALL "},
    {138, "TOFFSETON "},
    {139, "TOFFSETOFF"},
    {140, "SCREW ID = "},
    {141, "EXTMOV "},
    {142, "ENDEXTMOV"},
    {143, "READLINEAR "},
    {144, "ENDREADLINEAR"},
    {145, "GEARIN "},
    {146, "ENDGEARIN"},
    {147, "SEARCH_START ID = "},
    {148, "SEARCH_STATIC ID = "},
    {149, "SEARCH_DYNAMIC "},
    {150, "SEARCH_CALC PART = "},
    {151, "SEARCH_END ID = "},
    {152, "SEARCH_OFFSET "},
    {153, "SEARCH_OFFSETEND"},
    {154, "ARCTRACKON ID = "},
    {155, "ARCTRACKOFF ID = "},
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
