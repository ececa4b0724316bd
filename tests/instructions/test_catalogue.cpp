#include "instructions/conytrackcommand.h"
#include "instructions/createcommand.h"
#include "instructions/dummycommand.h"
#include "instructions/iocommand.h"
#include "instructions/logical_opcommand.h"
#include "instructions/opcommand.h"
#include "instructions/parsemsgcommand.h"
#include "instructions/pos_reachablecommand.h"
#include "instructions/poscalallcommand.h"
#include "instructions/poscalcommand.h"
#include "instructions/readcommcommand.h"
#include "instructions/readposcommand.h"
#include "instructions/screwcommand.h"
#include "instructions/toffsetcommand.h"
#include "instructions/varcommand.h"
#include "instructiontest.h"

#include <gtest/gtest.h>

#include <functional>
#include <sstream>

namespace kelvo {
namespace {

using test::parseJson;

std::string textOf(const std::string& json) {
    auto command = createCommand(parseJson(json));
    return command ? command->toString() : "<null>";
}

TEST(Catalogue, Texts) {
    const struct {
        const char* json;
        const char* text;
    } table[] = {
        {R"({"type":39,"key":"D001","strValue":"1.5"})", "SETDOUBLE D001 = 1.5"},
        {R"({"type":39,"key":"D001","strValue":"1.5","logout":true})",
         "SETDOUBLE D001 = 1.5 DISABLE"},
        {R"({"type":35,"key":"I001","strValue":"7","intValue":7})", "INT I001 = 7"},
        {R"({"type":22,"rate":10,"sum":5})", "PULSEOUT RATE = 10 SUM = 5"},
        {R"({"type":124,"note":"abc"})", "abc"},
        {R"({"type":124,"note":"abc","logout":true})", "abc DISABLE"},
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
        {R"({"type":72,"ID":2,"moveType":"MovJ","V":20,"vUnit":2})",
         "PALSHIFT ID = 2 MovJ VJ = 20 % PL = 0 ACC = 0 DEC = 0 "},
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
        {R"({"type":118,"logicalType":-1,"firstName":"A","secondName":"B"})",
         "LOGICAL_OP  = A ? B"},
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
    };
    for (const auto& row : table) {
        EXPECT_EQ(textOf(row.json), row.text) << row.json;
    }

    EXPECT_EQ(OPCommand(101).toString(), "ATAN I000 0");
    EXPECT_EQ(DummyCommand().toString(), "#UNKNOWN COMMAND!!");
    VARCommand foreign(41);
    EXPECT_EQ(foreign.toString(), "#UNKNOWN COMMAND!!");
    foreign.logout = true;
    EXPECT_EQ(foreign.toString(), "#UNKNOWN COMMAND!! DISABLE");
    EXPECT_EQ(IOCommand(18).toString(), "#UNKNOWN COMMAND!!");
}

// The JSON keys of each class beyond "type" and "logout", as the controller names them.
TEST(Catalogue, JsonKeys) {
    const struct {
        int type;
        const char* keys;
    } table[] = {
        {15, "lineNoToCall jobName"},
        {16,
         "group groupValue groupType portId portValue valueIsVariant varName varType rate sum "
         "time"},
        {18, "ain aout para1 para2 para3"},
        {23, "voltage current arcParameterId feedtime"},
        {30, "speed sUnit"},
        {35, "key intValue doubleValue boolValue varType strValue"},
        {41, "gVarName gVarType"},
        {42, "key desType desValue"},
        {47, "coordNum coordType CoordA CoordB CoordC"},
        {58, "ID"},
        {64, "l2 timeOFTIG typeOFTIG l1"},
        {68,
         "ID STACKTYPE NUM tool xyOpt zOpt moveType V PL ACC DEC VARNAME MULTIPAL PalVar "
         "PalLevel PalNumber vUnit"},
        {76, "ID M_STRPOSNUM m_positionId"},
        {82, "ID segmentParam delay"},
        {86, "line"},
        {87, "jobName"},
        {89, "varname positionId coord axis posidtype posidname"},
        {90, "caltype positionId coord axis datatype desData posidtype posidname"},
        {91, "ID sendChar"},
        {92, "ID m_varType m_valueName"},
        {93, "ID expvarType explainValue clearCache"},
        {94, "ID coord varType m_varName m_newValue"},
        {95, "ID coord varType m_varName m_newValue"},
        {98, "moveType V PL ACC DEC vUnit"},
        {102, "ID m_positionId V vUnit ACC m_postype"},
        {107, "ID commType positionId m_varname"},
        {108, "programtype jobname"},
        {112, "ID"},
        {115, "cpposId cppostype cpposname cpdposId cpdpostype cpdposname"},
        {117, "printChar"},
        {118, "answerType answerName firstType firstName secondType secondName logicalType"},
        {119, "gunID seqID traID colorID anaID flow sector atom V PL ACC DEC"},
        {124, "note"},
        {125, "ID m_varname m_vartype"},
        {128, "polishID times angle"},
        {130, "m_varType moveType positionId m_varname"},
        {131,
         "m_searchNetID m_searchProID m_searchCorrect m_searchFeaturePA m_searchFeaturePB "
         "m_searchFeaturePC m_searchWorkPieNum m_searchtaskNum m_searchUserCoord "
         "m_searchToolCoord"},
        {137, "caltype positionId coord calData datatype posidtype posidname"},
        {138, "coord calData datatype"},
        {140, "screwID screwType varType varName maxSpinTime"},
        {141, "extaxle movtype speedtype varname handvalue speedproportionfactor"},
        {143, "varname vartype"},
        {145, "mainAxle followAxle proportionfactor"},
        {147,
         "position1Id position2Id position3Id position4Id positionOutId ID tableID senseType "
         "pointEffet artifactType calculType coordNum velocity pl acc delay"},
        {154, "ID"},
    };
    for (const auto& row : table) {
        Json::Value request;
        request["type"] = row.type;
        Json::Value json = createCommand(request)->toJson();
        json.removeMember("type");
        json.removeMember("logout");
        Json::Value expected(Json::objectValue);
        std::istringstream keys(row.keys);
        for (std::string key; keys >> key;) {
            expected[key] = json.get(key, Json::Value());
        }
        EXPECT_EQ(json.getMemberNames(), expected.getMemberNames()) << row.type;
    }
}

TEST(Catalogue, StringDefaults) {
    const struct {
        std::function<Json::Value()> json;
        const char* key;
        const char* value;
    } table[] = {
        {[] { return VARCommand(35).toJson(); }, "key", "I000"},
        {[] { return VARCommand(38).toJson(); }, "strValue", "0"},
        {[] { return OPCommand(42).toJson(); }, "key", "I000"},
        {[] { return OPCommand(42).toJson(); }, "desValue", "0"},
        {[] { return LOGICAL_OPCommand().toJson(); }, "answerName", "GA001"},
        {[] { return LOGICAL_OPCommand().toJson(); }, "firstName", "GA001"},
        {[] { return LOGICAL_OPCommand().toJson(); }, "secondName", "GA001"},
        {[] { return SCREWCommand().toJson(); }, "varName", "GI001"},
        {[] { return PARSEMSGCommand().toJson(); }, "explainValue", "GIOO1"},
        {[] { return READCOMMCommand().toJson(); }, "m_varname", "GIOO1"},
        {[] { return POS_REACHABLECommand().toJson(); }, "m_varname", "A001"},
        {[] { return READPOSCommand().toJson(); }, "varname", "D001"},
        {[] { return READPOSCommand().toJson(); }, "posidname", "RF"},
        {[] { return POSCALCommand().toJson(); }, "coord", "RF"},
        {[] { return POSCALALLCommand().toJson(); }, "coord", "RF"},
        {[] { return TOFFSETCommand(138).toJson(); }, "coord", "RF"},
    };
    for (const auto& row : table) {
        EXPECT_EQ(row.json()[row.key], row.value) << row.key;
    }
    // Read from JSON, a missing key replaces the default.
    EXPECT_EQ(createCommand(parseJson(R"({"type":118})"))->toJson()["answerName"], "");
}

TEST(Catalogue, DeclarationsAndParallelArrays) {
    for (int type = 35; type <= 40; ++type) {
        EXPECT_EQ(VARCommand(type).isVariableDeclaration(), type <= 37) << type;
    }
    EXPECT_FALSE(OPCommand(42).isVariableDeclaration());

    const auto offset = createCommand(
        parseJson(R"({"type":138,"calData":["1","D2"],"datatype":[0,1,0,0,0,0,0,9]})"));
    const Json::Value json = offset->toJson();
    ASSERT_EQ(json["calData"].size(), 7u);
    ASSERT_EQ(json["datatype"].size(), 7u);
    EXPECT_EQ(json["calData"][1], "D2");
    EXPECT_EQ(json["calData"][6], "");
    EXPECT_EQ(json["datatype"][1], 1);
    EXPECT_EQ(json["datatype"][6], 0);  // the eighth value is dropped
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

    for (int type : {76, 102, 150}) {
        Json::Value json;
        json["type"] = type;
        json["RobotPos"] = parseJson(R"({"key":3,"ctype":71,"data":[1.5]})");
        const auto command = createCommand(json);
        ASSERT_NE(command->getRobotPos(), nullptr) << type;
        EXPECT_EQ(command->getRobotPos()->key, 3u);
        EXPECT_EQ(command->getRobotPos()->ctype, 'G');
        EXPECT_EQ(command->getRobotPos()->data[0], 1.5);
    }
    for (int type : {15, 68}) {
        Json::Value json;
        json["type"] = type;
        json["RobotPos"] = RobotPos().toJson();
        EXPECT_EQ(createCommand(json)->getRobotPos(), nullptr) << type;
    }
}

TEST(Catalogue, WrongTypesAreRefused) {
    const char* bad[] = {
        R"({"type":16,"portValue":"high"})",  R"({"type":35,"boolValue":"yes"})",
        R"({"type":15,"jobName":{"a":1}})",   R"({"type":138,"calData":"1 2 3"})",
        R"({"type":137,"calData":[[1]]})",    R"({"type":137,"datatype":["x"]})",
        R"({"type":76,"RobotPos":5})",        R"({"type":9,"ifcondition":{"logicType":"=="}})",
        R"({"type":50,"jumpCondition":[1]})", R"({"type":8,"now":"soon"})",
    };
    for (const char* text : bad) {
        EXPECT_EQ(createCommand(parseJson(text)), nullptr) << text;
    }
    VARCommand var(35);
    EXPECT_THROW(var.fromJson(parseJson(R"({"key":"I005","intValue":"x"})")), Json::LogicError);
    EXPECT_EQ(var.key, "I005");
}

}  // namespace
}  // namespace kelvo
