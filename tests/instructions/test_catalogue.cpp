#include "decimalcommalocale.h"
#include "instructions/commandcondition.h"
#include "instructions/conytrackcommand.h"
#include "instructions/createcommand.h"
#include "instructions/dummycommand.h"
#include "instructions/iocommand.h"
#include "instructions/movecommand.h"
#include "instructions/opcommand.h"
#include "instructions/poscalallcommand.h"
#include "instructions/timercommand.h"
#include "instructions/varcommand.h"
#include "instructions/waitcommand.h"
#include "instructiontest.h"
#include "link/jsonwire.h"

#include <gtest/gtest.h>

#include <cctype>
#include <map>
#include <set>
#include <sstream>

namespace kelvo {
namespace {

using test::parseJson;

// Read as the library reads payloads: locale-free.
std::string textOf(const char* text) {
    const std::optional<Json::Value> json = json::parse(QByteArray(text));
    const auto command = json ? createCommand(*json) : nullptr;
    return command ? command->toString() : "<null>";
}

// Every class's text; numbers are written the same under any locale.
void expectEveryText() {
    const struct {
        const char* json;
        const char* text;
    } table[] = {
        {R"({"type":39,"key":"D001","strValue":"1.5"})", "SETDOUBLE D001 = 1.5"},
        {R"({"type":35,"key":"I001","strValue":"7","intValue":7})", "INT I001 = 7"},
        {R"({"type":22,"rate":10,"sum":5})", "PULSEOUT RATE = 10 SUM = 5"},
        {R"({"type":124,"note":"abc"})", "abc"},
        {R"({"type":43,"key":"D002","desValue":"0.25"})", "SUB D002 0.25"},
        // I/O, given in full.
        {R"({"type":16,"groupType":"DO","portId":3,"portValue":1,"time":0.5})",
         "DOUT DO(3) 1 T = 0.5"},
        {R"({"type":16,"groupType":"DO","portId":3,"valueIsVariant":true,"varName":"I001"})",
         "DOUT DO(3) I001 T = 0"},
        {R"({"type":17,"varName":"B001","groupType":"DI","portId":2})", "DIN B001 DI(2)"},
        {R"({"type":20,"portId":1,"portValue":2.5})", "AOUT AOUT1 2.5"},
        {R"({"type":20,"portId":1,"valueIsVariant":true,"varName":"D003"})", "AOUT AOUT1 D003"},
        {R"({"type":21,"varName":"D002","portId":4})", "AIN D002 AIN4"},
        {R"({"type":96,"varName":"B003","groupType":"DO","portId":7})", "READ_DOUT B003 DO(7) "},
        // Palletising, given in full.
        {R"({"type":71,"ID":1,"moveType":"MovL","V":100,"vUnit":1,"PL":0,"ACC":50,"DEC":50,
             "xyOpt":1,"zOpt":0})",
         "PALENTER ID = 1 MovL V = 100 mm/s PL = 0 ACC = 50 DEC = 50 ON OFF"},
        {R"({"type":71,"ID":1,"moveType":"MovJ","V":20,"vUnit":2,"PL":3,"xyOpt":0,"zOpt":5})",
         "PALENTER ID = 1 MovJ VJ = 20 % PL = 3 ACC = 0 DEC = 0 OFF ON"},
        {R"({"type":73,"ID":2,"moveType":"movl","V":20,"vUnit":7})",
         "PALREAL ID = 2 MovC V = 20 PL = 0 ACC = 0 DEC = 0 "},
        {R"({"type":68,"ID":1,"STACKTYPE":2,"PalVar":"A","PalLevel":"B","PalNumber":"C",
             "MULTIPAL":3})",
         "PALON ID = 1 TYPE = 2 A B C MULTI = 3"},
        {R"({"type":69,"ID":1,"tool":2})", "PALGRIPPER ID = 1 GRIPPERS = 2"},
        {R"({"type":70,"ID":1,"STACKTYPE":2,"NUM":4})", "PALLET ID = 1 TYPE = 2 NUM = 4"},
        {R"({"type":74,"ID":1})", "PALCLEAR ID = 1"},
        {R"({"type":75,"ID":1,"VARNAME":"GB001"})", "PALOFF ID = 1 GB001"},
        // Members that pick a word show "?" for a value without one, never a neighbour's word.
        {R"({"type":118,"logicalType":5})", "LOGICAL_OP  =  ? "},
        {R"({"type":90,"caltype":3,"posidtype":1,"posidname":"GP001"})", "POS? GP001  0 "},
        {R"({"type":107,"commType":2,"m_varname":"B1"})", "READCOMM ID = 0 ? TO B1"},
        {R"({"type":140,"screwType":3,"varName":"GI002"})", "SCREW ID = 0 ? GI002 0"},
        {R"({"type":141,"movtype":-4})", "EXTMOV 0 ? "},
        {R"({"type":102,"ID":1,"V":10,"vUnit":3,"ACC":5})", "CONVEYOR_ON ID = 1 V = 10 ACC = 5"},
        {R"({"type":98,"moveType":"MovL","V":10,"vUnit":1,"PL":2})",
         "MOVCOMM MovL V = 10 mm/s PL = 2 ACC = 0 DEC = 0"},
        {R"({"type":138,"coord":"UF","calData":["1","D001"],"datatype":[0,1]})",
         "TOFFSETON UF 1 D001     "},
        {R"({"type":115,"cppostype":0,"cpdposname":"GP002"})", "COPYPOS CURPOS TO GP002"},
        {R"({"type":108,"programtype":0})", "PAUSERUN ALL"},
        {R"({"type":108,"programtype":2,"jobname":"SUB1"})", "PAUSERUN [$SUB1$]"},
        {R"({"type":83,"ID":4})", "LASERTRACK_OFF ID =  4"},
        // Moves; position ids are the character code shifted by 16 plus the number: P001 is
        // 5242881, P012 5242892, P007 5242887, G1234 4654290.
        {R"({"type":1,"positionId":5242881,"velocity":50,"vUnit":2,"acc":80,"dec":80})",
         "MOVJ P001 VJ = 50 % PL = 0 ACC = 80 DEC = 80"},
        {R"({"type":4,"positionId":5242881,"velocity":50,"vUnit":2,"acc":80,"dec":80,"spin":1})",
         "MOVCA P001 V = 50 % PL = 0 ACC = 80 DEC = 80 SPIN = 1"},
        {R"({"type":33,"positionId":5242881,"velocity":50,"vUnit":2,"acc":80,"dec":80,"sync":2})",
         "MOVLEXT E001 V = 50 % PL = 0 ACC = 80 DEC = 80 SYNC = 2"},
        {R"({"type":5,"positionId":2,"velocity":100,"vUnit":1,"imovecoord":"UF"})",
         "IMOV S002 V = 100 mm/sUF PL = 0 ACC = 0 DEC = 0"},
        {R"({"type":5,"positionId":2,"velocity":100,"vUnit":0,"imovecoord":"UF"})",
         "IMOV S002100 cm/sUF PL = 0 ACC = 0 DEC = 0"},
        {R"({"type":5,"positionId":2,"velocity":100,"vUnit":9,"imovecoord":"UF"})",
         "IMOV S002100UF PL = 0 ACC = 0 DEC = 0"},
        {R"({"type":57,"positionId":2,"velocity":100,"vUnit":2,"imovecoord":"UT"})",
         "SAMOV R002 VJ = 100 %UT PL = 0 ACC = 0 DEC = 0"},
        {R"({"type":51,"velocity":20,"vUnit":2,"para":3})",
         "CILEXT_BEGIN VJ = 20 % ACC = 0 DEC = 0 ID = 3"},
        {R"({"type":52,"velocity":20,"vUnit":2})", "CILEXT_MOVE VJ = 20 % ACC = 0 DEC = 0"},
        {R"({"type":28,"positionId":5242892,"velocity":12.5,"vUnit":1,"para":3,"pl":2})",
         "CIL P012 V = 12.5 mm/s PL = 2 ACC = 0 DEC = 0 ID = 3"},
        {R"({"type":60,"positionId":5242881,"velocity":10,"vUnit":1,"radius":5,"margin":1})",
         "LASER_CIRCLE P001 R = 5 V = 10 mm/s ACC = 0 DEC = 0 M = 1"},
        {R"({"type":61,"positionId":5242881,"velocity":10,"vUnit":1,"length":3,"width":4,
             "margin":1})",
         "LASER_RECTANGLE P001 LENGTH = 3 WIDTH = 4 V = 10 mm/s ACC = 0 DEC = 0"},
        {R"({"type":63,"positionId":5242881,"velocity":10,"vUnit":1,"side":6})",
         "LASER_HEX P001 SIDE = 6 V = 10 mm/s ACC = 0 DEC = 0"},
        {R"({"type":106,"positionId":5242881,"velocity":10,"vUnit":1,"polish":1,"polishID":2,
             "polishAngle":30})",
         "POLISH_EDGE P001 V = 10 mm/s PL = 0 ACC = 0 DEC = 0 T = 1 ID = 2 ANGLE = 30"},
        {R"({"type":56,"positionId":5242881,"velocity":1234567,"vUnit":2,"acc":0.5,"spin":1,
             "logout":true})",
         "MOVCADOUBLE E001 V = 1.23457e+06 % PL = 0 ACC = 0.5 DEC = 0 SPIN = 1 DISABLE"},
        {R"({"type":2,"positionId":4654290,"velocity":50,"vUnit":3})",
         "MOVL G1234 V = 50 PL = 0 ACC = 0 DEC = 0"},
        {R"({"type":32,"positionId":5242887,"velocity":50,"vUnit":-1})",
         "MOVJEXT E007 VJ = 50 PL = 0 ACC = 0 DEC = 0"},
        // Flow control: conditions, labels, timers and waits.
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
        // A condition object without members reads every member as 0 or "".
        {R"({"type":84,"untilCondition":{}})", "UNTIL ( <> )"},
        {R"({"type":9})", ""},
        {R"({"type":10,"ifcondition":{"key":"I001"}})", "ELSE"},
        {R"({"type":12})", "ENDIF"},
        {R"({"type":14})", "ENDWHILE"},
        {R"({"type":85})", "ENDUNTIL"},
        {R"({"type":49,"label":"L1"})", "LABEL L1"},
        {R"({"type":50,"label":"tip","jumpConditionFlag":true,
             "jumpCondition":{"key":"I000","logicType":1,"desValue":"0"}})",
         "JUMP tip  WHEN (I000 == 0)"},
        {R"({"type":50,"label":"tip","jumpCondition":{"key":"I000"}})", "JUMP tip"},
        {R"({"type":50,"label":"tip","jumpConditionFlag":true})", "JUMP tip  WHEN "},
        {R"({"type":7,"duration":2.5})", "TIMER T = 2.5"},
        {R"({"type":7,"duration":2.5,"desType":1,"desValue":"D001"})", "TIMER T = D001"},
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

// The JSON keys of each class beyond "type" and "logout", as the controller names them: a type
// code, then its keys.
TEST(Catalogue, JsonKeys) {
    std::istringstream table(
        "15 lineNoToCall jobName 16 group groupValue groupType portId portValue valueIsVariant "
        "varName varType rate sum time 18 ain aout para1 para2 para3 23 voltage current "
        "arcParameterId feedtime 30 speed sUnit 35 key intValue doubleValue boolValue varType "
        "strValue 41 gVarName gVarType 42 key desType desValue 47 coordNum coordType CoordA "
        "CoordB CoordC 58 ID 64 l2 timeOFTIG typeOFTIG l1 68 ID STACKTYPE NUM tool xyOpt zOpt "
        "moveType V PL ACC DEC VARNAME MULTIPAL PalVar PalLevel PalNumber vUnit 76 ID "
        "M_STRPOSNUM m_positionId 82 ID segmentParam delay 86 line 87 jobName 89 varname "
        "positionId coord axis posidtype posidname 90 caltype positionId coord axis datatype "
        "desData posidtype posidname 91 ID sendChar 92 ID m_varType m_valueName 93 ID "
        "expvarType explainValue clearCache 94 ID coord varType m_varName m_newValue 95 ID "
        "coord varType m_varName m_newValue 98 moveType V PL ACC DEC vUnit 102 ID m_positionId "
        "V vUnit ACC m_postype 107 ID commType positionId m_varname 108 programtype jobname "
        "112 ID 115 cpposId cppostype cpposname cpdposId cpdpostype cpdposname 117 printChar "
        "118 answerType answerName firstType firstName secondType secondName logicalType 119 "
        "gunID seqID traID colorID anaID flow sector atom V PL ACC DEC 124 note 125 ID "
        "m_varname m_vartype 128 polishID times angle 130 m_varType moveType positionId "
        "m_varname 131 m_searchNetID m_searchProID m_searchCorrect m_searchFeaturePA "
        "m_searchFeaturePB m_searchFeaturePC m_searchWorkPieNum m_searchtaskNum "
        "m_searchUserCoord m_searchToolCoord 137 caltype positionId coord calData datatype "
        "posidtype posidname 138 coord calData datatype 140 screwID screwType varType varName "
        "maxSpinTime 141 extaxle movtype speedtype varname handvalue speedproportionfactor 143 "
        "varname vartype 145 mainAxle followAxle proportionfactor 147 position1Id position2Id "
        "position3Id position4Id positionOutId ID tableID senseType pointEffet artifactType "
        "calculType coordNum velocity pl acc delay 154 ID");
    std::map<int, std::set<std::string>> expected;
    int type = 0;
    for (std::string word; table >> word;) {
        if (std::isdigit(static_cast<unsigned char>(word[0])))
            type = std::stoi(word);
        else
            expected[type].insert(word);
    }
    for (const auto& [code, keys] : expected) {
        Json::Value request;
        request["type"] = code;
        Json::Value json = createCommand(request)->toJson();
        json.removeMember("type");
        json.removeMember("logout");
        const Json::Value::Members names = json.getMemberNames();
        EXPECT_EQ(std::set<std::string>(names.begin(), names.end()), keys) << code;
    }
}

TEST(Catalogue, DeclarationsAndParallelArrays) {
    for (int type = 35; type <= 40; ++type) {
        EXPECT_EQ(VARCommand(type).isVariableDeclaration(), type <= 37) << type;
    }
    EXPECT_FALSE(OPCommand(42).isVariableDeclaration());

    const auto offset = createCommand(
        parseJson(R"({"type":138,"calData":["1","D2"],"datatype":[0,1,0,0,0,0,0,9]})"));
    const Json::Value json = offset->toJson();
    EXPECT_EQ(json["calData"], parseJson(R"(["1","D2","","","","",""])"));
    EXPECT_EQ(json["datatype"], parseJson("[0,1,0,0,0,0,0]"));  // the eighth value is dropped
    EXPECT_EQ(POSCALALLCommand().toJson()["datatype"], parseJson("[0,0,0,0,0,0,0]"));
}

TEST(Catalogue, PositionRecords) {
    CONYTRACKCommand conveyor(102);
    EXPECT_EQ(conveyor.getRobotPos(), nullptr);
    EXPECT_FALSE(conveyor.toJson().isMember("RobotPos"));
    conveyor.robotPos = std::make_unique<RobotPos>();
    conveyor.robotPos->data[0] = 4.0;
    EXPECT_EQ(conveyor.toJson()["RobotPos"]["data"][0], 4.0);
    conveyor.m_postype = 1;
    EXPECT_FALSE(conveyor.toJson().isMember("RobotPos"));
    EXPECT_EQ(conveyor.getRobotPos(), conveyor.robotPos.get());

    // Codes without a position ignore one.
    for (int type : {15, 68}) {
        Json::Value json;
        json["type"] = type;
        json["RobotPos"] = RobotPos().toJson();
        EXPECT_EQ(createCommand(json)->getRobotPos(), nullptr) << type;
    }
}

// Optional members are written only when present, and a read replaces the constructor defaults,
// also with what is missing.
TEST(FlowControl, ReadAndWrittenBack) {
    const struct {
        const char* json;
        const char* written;
    } table[] = {
        {R"({"type":8})", R"({"desType":0,"desValue":"","duration":0.0,"logout":false,"type":8})"},
        {R"({"type":8,"now":5})",
         R"({"desType":0,"desValue":"","duration":0.0,"logout":false,"now":5,"type":8})"},
        {R"({"type":9})", R"({"logout":false,"type":9})"},
        {R"({"type":13})", R"({"logout":false,"type":13})"},
        {R"({"type":84})", R"({"logout":false,"type":84})"},
        {R"({"type":50})", R"({"jumpConditionFlag":false,"label":"","logout":false,"type":50})"},
        {R"({"type":49})", R"({"jumpConditionFlag":false,"label":"","logout":false,"type":49})"},
        {R"({"type":7})", R"({"desType":0,"desValue":"","duration":0.0,"logout":false,"type":7})"},
    };
    for (const auto& row : table)
        EXPECT_EQ(json::write(createCommand(parseJson(row.json))->toJson()).value().toStdString(),
                  std::string(row.written) + "\n")
            << row.json;
    EXPECT_EQ(CommandCondition().toJson(),
              parseJson(R"({"keyType":1,"key":"I000","inNumLeft":0,"inNumRight":0,
                            "logicType":1,"desType":0,"desValue":"0"})"));
    EXPECT_EQ(TimerCommand().toJson(),
              parseJson(R"({"type":7,"logout":false,"duration":0.0,"desType":0,"desValue":"0"})"));
    EXPECT_EQ(WaitCommand().desValue, "0");
}

}  // namespace
}  // namespace kelvo
