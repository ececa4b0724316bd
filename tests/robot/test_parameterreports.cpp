// Parameter reports: which signal each one reaches, and the texts and lists it carries.

#include "linkedrobot.h"

#include <gtest/gtest.h>

#include <QMetaMethod>
#include <QSignalSpy>

#include <functional>
#include <memory>

namespace {

using Slot = void (DecodedReports::*)(QByteArray);

// Every emission of the signal of that name, whatever its arguments.
std::unique_ptr<QSignalSpy> spyOn(DecodedReports& reports, const char* name) {
    const QMetaObject* meta = reports.metaObject();
    for (int i = 0; i < meta->methodCount(); ++i) {
        const QMetaMethod method = meta->method(i);
        if (method.methodType() == QMetaMethod::Signal && method.name() == name) {
            const QByteArray signal = "2" + method.methodSignature();
            return std::make_unique<QSignalSpy>(&reports, signal.constData());
        }
    }
    ADD_FAILURE() << "no signal " << name;
    return nullptr;
}

// The text argument of an emission.
QByteArray textOf(const QList<QVariant>& arguments) {
    for (const QVariant& argument : arguments) {
        if (argument.userType() == QMetaType::QByteArray)
            return argument.toByteArray();
    }
    return "(no text)";
}

void setRobotType(Robot& robot, int type) {
    robot.robot_net_slot_robotType(QByteArray("{\"type\":") + QByteArray::number(type) + '}');
}

// A controller never connected to: the handlers are called directly.
struct ParameterReportsTest : ::testing::Test {
    Robot robot{QStringLiteral("127.0.0.1"), 1};
    DecodedReports& reports = robot.decodedReports();
};

}  // namespace

TEST(RobotParameterReports, EveryReportReachesItsSignal) {
    LinkedRobot link;
    ASSERT_TRUE(link.connected());
    struct Route {
        quint16 word;
        const char* signal;
    };
    const Route routes[] = {
        {0x3803, "robot_tool_check"},
        {0x7103, "robot_tool_checkFor20"},
        {0x710B, "robot_tool_receive20MarkedPoint"},
        {0x3813, "robot_tool_receive7MarkedPoint"},
        {0x3816, "signal_toolStatus"},
        {0x3807, "robot_tool_count_check"},
        {0x3804, "robot_count_success"},
        {0x7104, "robot_count_successFor20"},
        {0x7106, "robot_ResetResult_ToZeroPoint"},
        {0x7108, "robot_tool_receive20PointState"},
        {0x3C03, "robot_usercoords_check"},
        {0x3C09, "robot_usercoords_reply"},
        {0x4009, "robot_arcset_data_check"},
        {0x400D, "robot_waveweld_data_check"},
        {0x4003, "robot_weld_data_check"},
        {0x4006, "robot_match_data_check"},
        {0x4016, "robot_tool_receiveWeldState"},
        {0x3F03, "robot_robotRange_data_check"},
        {0x3F06, "robot_visionRange_data_check"},
        {0x3F09, "robot_interfereIO_data"},
        {0x3F09, "robot_interfereRange_data_check"},
        {0x3B03, "robot_joint_para"},
        {0x3A03, "robot_user_dhParaState"},
        {0x3A03, "robot_user_dhcoord"},
    };
    // Enough for every report, including the ones with required members.
    const char* payload = R"({"result":1,"distance":0.5,"apply":1,"Joint":{"AxisNum":1}})";
    for (const Route& route : routes) {
        SCOPED_TRACE(route.signal);
        const std::unique_ptr<QSignalSpy> spy = spyOn(link.robot->decodedReports(), route.signal);
        ASSERT_TRUE(spy);
        link.report(route.word, payload);
        ASSERT_TRUE(link.flush());
        EXPECT_EQ(spy->count(), 1);
    }
}

TEST_F(ParameterReportsTest, TextsFollowMemberOrderFormatAndPresence) {
    struct TextCase {
        const char* what;
        Slot slot;
        const char* signal;
        const char* payload;
        const char* text;
    };
    const TextCase cases[] = {
        {"joint: the worked example", &DecodedReports::robot_net_slot_jointPara, "robot_joint_para",
         R"({"Joint":{"AxisNum":2,"PosSWLimit":170,"NegSWLimit":-170,"RatedVel":3000}})",
         "170 -170 3000.00 0.00 0 0 0.00 0.00 0 0 0 0 0 0 0"},
        {"joint: f2 against g6", &DecodedReports::robot_net_slot_jointPara, "robot_joint_para",
         R"({"Joint":{"PosSWLimit":1234567,"DeRatedVel":2.5,"MaxRotSpeed":0.1234567,
             "MaxDecel":-1,"AxisDirection":-1}})",
         "1.23457e+06 0 0.00 2.50 0.123457 0 0.00 -1.00 0 0 0 0 0 0 -1"},
        {"calibration point: absent values read as 0",
         &DecodedReports::robot_net_slot_keepToolCheck, "robot_tool_check",
         R"({"pointNum":3,"pos":[1.5,2,-3e-7]})", "1.5 2 -3e-07 0 0 0"},
        {"tool frame: nested, untested", &DecodedReports::robot_net_slot_countToolData,
         "robot_tool_count_check", R"({"toolNum":4,"toolDeg":{"x":10,"C":-0.125}})",
         "10 0 0 0 0 -0.125"},
        {"arc settings: absent members left out", &DecodedReports::robot_net_slot_arcsetData,
         "robot_arcset_data_check",
         R"({"num":2,"parameter":{"arcOnVol":18.5,"weldingCur":150,"flyArcSwitch":true}})",
         "18.5 150 1"},
        {"weaving: integers, booleans and g6", &DecodedReports::robot_net_slot_waveweldData,
         "robot_waveweld_data_check",
         R"({"parameter":{"weavingType":2,"weavingFreq":1.5,"isMove":0,"initDirection":1,
             "verticalAngle":45}})",
         "2 1.5 0 1 45"},
        {"weld equipment without anaToZeroSwitch", &DecodedReports::robot_net_slot_weldData,
         "robot_weld_data_check",
         R"({"time":{"arconDetect":0.2},"restart":{"distance":5},
             "equipment":{"arcInterRestart":true,"breakReSwitch":false}})",
         "0.2 5 1 0 "},
        {"current-voltage match: interleaved objects", &DecodedReports::robot_net_slot_matchData,
         "robot_match_data_check",
         R"({"voltage":{"set_A":1,"fact_B":4},"current":{"set_A":2},"IO":{"AO_setcurrent":9}})",
         "1 2 4 9"},
        {"robot range: texts unchanged", &DecodedReports::robot_net_slot_robotRange,
         "robot_robotRange_data_check", R"({"maxX":"100.50","minX":"-100","minZ":"\u96f6"})",
         "100.50 -100 零"},
        {"interference range: inside param", &DecodedReports::robot_net_slot_interfereRange,
         "robot_interfereRange_data_check", R"({"maxX":"9","param":{"maxX":"1","maxZ":"3"}})",
         "1 3 "},
    };
    for (const TextCase& c : cases) {
        SCOPED_TRACE(c.what);
        const std::unique_ptr<QSignalSpy> spy = spyOn(reports, c.signal);
        ASSERT_TRUE(spy);
        std::invoke(c.slot, reports, QByteArray(c.payload));
        ASSERT_EQ(spy->count(), 1);
        EXPECT_EQ(textOf(spy->first()), QByteArray(c.text));
    }

    // The integer and text arguments.
    QSignalSpy joint(&reports, &DecodedReports::robot_joint_para);
    reports.robot_net_slot_jointPara(R"({"Joint":{"AxisNum":2}})");
    QSignalSpy tool(&reports, &DecodedReports::robot_tool_count_check);
    reports.robot_net_slot_countToolData(R"({"toolNum":4,"note":"焊枪"})");
    QSignalSpy arc(&reports, &DecodedReports::robot_arcset_data_check);
    reports.robot_net_slot_arcsetData(R"({"parameter":{}})");
    ASSERT_EQ(joint.count() + tool.count() + arc.count(), 3);
    EXPECT_EQ(joint.first().at(0).toInt(), 2);
    EXPECT_EQ(tool.first().at(0).toInt(), 4);
    EXPECT_EQ(tool.first().at(2).toString(), QStringLiteral("焊枪"));
    EXPECT_EQ(arc.first().at(0).toInt(), 0);
    EXPECT_EQ(arc.first().at(1).toByteArray(), QByteArray());
}

TEST_F(ParameterReportsTest, UserFramesFollowTheRobotType) {
    const QByteArray report = R"({"userNum":3,"inquire":"工件","posDeg":[1,2,3,4,5,6]})";
    const QVector<double> six = {1, 2, 3, 4, 5, 6};
    const QVector<double> four = {1, 2, 3, 6};
    QSignalSpy check(&reports, &DecodedReports::robot_usercoords_check);
    QSignalSpy reply(&reports, &DecodedReports::robot_usercoords_reply);

    for (int type : {1, 2}) {
        setRobotType(robot, type);
        reports.robot_net_slot_userCheck(report);
        reports.robot_net_slot_userReply(report);
    }
    ASSERT_EQ(check.count(), 2);
    ASSERT_EQ(reply.count(), 2);
    EXPECT_EQ(check.at(0).at(0).toInt(), 3);
    EXPECT_EQ(check.at(0).at(1).toString(), QStringLiteral("工件"));
    EXPECT_EQ(check.at(0).at(2).value<QVector<double>>(), six);
    EXPECT_EQ(reply.at(0).at(2).value<QVector<double>>(), six);
    EXPECT_EQ(check.at(1).at(2).value<QVector<double>>(), four);
    EXPECT_EQ(reply.at(1).at(2).value<QVector<double>>(), four);

    // The two reports disagree on the other types: the check gives six only for type 1.
    setRobotType(robot, 6);
    reports.robot_net_slot_userCheck(report);
    reports.robot_net_slot_userReply(report);
    EXPECT_EQ(check.last().at(2).value<QVector<double>>(), four);
    EXPECT_EQ(reply.last().at(2).value<QVector<double>>(), six);
}

TEST_F(ParameterReportsTest, KinematicParametersFollowTheRobotType) {
    // Link[i] has d = 100 + i, a = 10 + i, theta = i / 2.
    const QByteArray report = R"({
        "Link":[{"d":100,"a":10,"theta":0},{"d":101,"a":11,"theta":0.5},
                {"d":102,"a":12,"theta":1},{"d":103,"a":13,"theta":1.5},
                {"d":104,"a":14,"theta":2},{"d":105,"a":15,"theta":2.5}],
        "CoupleCoe":{"Couple_Coe_1_2":0.5,"Couple_Coe_2_3":1,"Couple_Coe_3_2":1.25,
                     "Couple_Coe_3_4":-2,"Couple_Coe_4_5":0,"Couple_Coe_4_6":1e-7},
        "dynamicLimit":{"max":170,"min":-170.5},
        "upsideDown":1})";
    const QString couplings = "0.50 1.0 1.250 -2.0 0.0 0.00000010 0.0";
    struct Layout {
        int type;
        QString values;  // "-" for no list at all
    };
    const Layout layouts[] = {
        {1, "100 11 12 103 105 10 " + couplings + " 2 101"},
        {6, "100 11 12 103 105 10 " + couplings + " 2 101"},
        {2, "100 11 12 103 105 10 " + couplings + " 2"},
        {9, "100 11 12 103 105 10 " + couplings + " 2"},
        {7, "100 11 12 104 105 10 101 " + couplings},
        {3, "10 11 12 13 103 1.0 -2.0 170 -170.5 102"},
        {10, "10 11 12"},
        {11, "100 101 102 11 12"},
        {12, "-"},
    };
    QSignalSpy lists(&reports, &DecodedReports::robot_user_dhParaState);
    QSignalSpy upsideDown(&reports, &DecodedReports::robot_user_dhcoord);
    for (const Layout& layout : layouts) {
        SCOPED_TRACE(layout.type);
        lists.clear();
        upsideDown.clear();
        setRobotType(robot, layout.type);
        reports.robot_net_slot_dhParaState(report);
        if (layout.values == "-") {
            EXPECT_EQ(lists.count(), 0);
        } else {
            ASSERT_EQ(lists.count(), 1);
            EXPECT_EQ(lists.first().at(0).toStringList().join(' '), layout.values);
        }
        ASSERT_EQ(upsideDown.count(), 1);
        EXPECT_EQ(upsideDown.first().at(0).toString(), QStringLiteral("1"));
    }

    setRobotType(robot, 5);
    lists.clear();
    upsideDown.clear();
    reports.robot_net_slot_dhParaState(report);
    EXPECT_EQ(lists.count() + upsideDown.count(), 0);
}

TEST_F(ParameterReportsTest, RequiredMembersAndHostilePayloads) {
    QSignalSpy count(&reports, &DecodedReports::robot_count_success);
    QSignalSpy count20(&reports, &DecodedReports::robot_count_successFor20);
    QSignalSpy reset(&reports, &DecodedReports::robot_ResetResult_ToZeroPoint);
    QSignalSpy joint(&reports, &DecodedReports::robot_joint_para);
    for (const char* incomplete : {R"({})", R"({"result":"1","distance":1,"apply":"x"})",
                                   R"({"result":1,"Joint":5})", R"({"distance":1,"Joint":[]})"}) {
        reports.robot_net_slot_countSuccessFor20(incomplete);
        reports.robot_net_slot_ResetResultToZeroPoint(incomplete);
        reports.robot_net_slot_jointPara(incomplete);
    }
    reports.robot_net_slot_countSuccess(R"({"distance":1})");
    EXPECT_EQ(count.count() + count20.count() + reset.count() + joint.count(), 0);
    reports.robot_net_slot_countSuccess(R"({"result":1})");
    reports.robot_net_slot_countSuccessFor20(R"({"result":1,"distance":0.25})");
    reports.robot_net_slot_ResetResultToZeroPoint(R"({"apply":0})");
    ASSERT_EQ(count20.count(), 1);
    EXPECT_EQ(count20.first().at(1).toDouble(), 0.25);
    EXPECT_EQ(count.count() + reset.count(), 2);

    // Wrong types everywhere: every handler survives; only an object is a report.
    const Slot handlers[] = {
        &DecodedReports::robot_net_slot_keepToolCheck,
        &DecodedReports::slot_receivedAllToolCheck,
        &DecodedReports::robot_net_slot_countToolData,
        &DecodedReports::robot_net_slot_receive20PointState,
        &DecodedReports::robot_net_slot_userCheck,
        &DecodedReports::robot_net_slot_userReply,
        &DecodedReports::robot_net_slot_arcsetData,
        &DecodedReports::robot_net_slot_waveweldData,
        &DecodedReports::robot_net_slot_weldData,
        &DecodedReports::robot_net_slot_matchData,
        &DecodedReports::robot_net_slot_receiveWeldState,
        &DecodedReports::robot_net_slot_robotRange,
        &DecodedReports::robot_net_slot_interfereRange,
        &DecodedReports::robot_net_slot_jointPara,
        &DecodedReports::robot_net_slot_dhParaState,
    };
    const char* hostile[] = {
        R"({"pos":{"x":1},"status":"on","toolDeg":[1,2],"posDeg":"x","parameter":[1],
            "time":7,"equipment":{"breakReSwitch":"yes"},"voltage":null,"maxX":5,"param":"p",
            "Joint":{"AxisNum":"2","PosSWLimit":[1],"RatedVel":1e300},
            "Link":[1,"x",null,[],{"d":"x"}],"CoupleCoe":[0.5],"dynamicLimit":true,
            "upsideDown":1e20,"pointNum":{}})",
        "[1,2,3]",
        "\"text\"",
    };
    QSignalSpy any(&reports, &DecodedReports::robot_tool_check);
    for (int type : {1, 3, 7}) {
        setRobotType(robot, type);
        for (Slot slot : handlers) {
            for (const char* payload : hostile)
                std::invoke(slot, reports, QByteArray(payload));
            std::invoke(slot, reports, QByteArray("{\"pos\":[1,2", 11));
        }
    }
    EXPECT_EQ(any.count(), 3);
    EXPECT_EQ(textOf(any.first()), QByteArray("0 0 0 0 0 0"));
}
