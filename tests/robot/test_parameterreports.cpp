// Parameter reports: the texts and lists they carry, and what a bad one leaves out.

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
        if (method.methodType() == QMetaMethod::Signal && method.name() == name)
            return std::make_unique<QSignalSpy>(&reports, ("2" + method.methodSignature()).data());
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

// A controller never connected to: the handlers are called directly.
struct ParameterReportsTest : ::testing::Test {
    void setRobotType(int type) {
        robot.robot_net_slot_robotType("{\"type\":" + QByteArray::number(type) + '}');
    }

    Robot robot{QStringLiteral("127.0.0.1"), 1};
    DecodedReports& reports = robot.decodedReports();
};

}  // namespace

TEST_F(ParameterReportsTest, TextsFollowMemberOrderFormatAndPresence) {
    // text: nullptr when nothing is announced.
    const struct {
        Slot slot;
        const char* signal;
        const char* payload;
        const char* text;
    } cases[] = {
        // f2 against g6, absent values as 0.
        {&DecodedReports::robot_net_slot_jointPara, "robot_joint_para",
         R"({"Joint":{"PosSWLimit":1234567,"DeRatedVel":2.5,"MaxRotSpeed":0.1234567,
             "MaxDecel":-1,"AxisDirection":-1}})",
         "1.23457e+06 0 0.00 2.50 0.123457 0 0.00 -1.00 0 0 0 0 0 0 -1"},
        {&DecodedReports::robot_net_slot_keepToolCheck, "robot_tool_check",
         R"({"pointNum":3,"pos":[1.5,2,-3e-7]})", "1.5 2 -3e-07 0 0 0"},
        {&DecodedReports::robot_net_slot_keepToolCheck, "robot_tool_check",
         R"({"pointNum":{},"pos":{"x":1}})", "0 0 0 0 0 0"},
        {&DecodedReports::robot_net_slot_countToolData, "robot_tool_count_check",
         R"({"toolNum":4,"toolDeg":{"x":10,"C":-0.125}})", "10 0 0 0 0 -0.125"},
        // Absent members left out.
        {&DecodedReports::robot_net_slot_weldData, "robot_weld_data_check",
         R"({"time":{"arconDetect":0.2},"restart":{"distance":5},
             "equipment":{"arcInterRestart":true,"breakReSwitch":false}})",
         "0.2 5 1 0 "},
        // Texts unchanged; the interference range reads inside param.
        {&DecodedReports::robot_net_slot_robotRange, "robot_robotRange_data_check",
         R"({"maxX":"100.50","minX":"-100","minZ":"\u96f6"})", "100.50 -100 零"},
        {&DecodedReports::robot_net_slot_interfereRange, "robot_interfereRange_data_check",
         R"({"maxX":"9","param":{"maxX":"1","maxZ":"3"}})", "1 3 "},
        // Inching speeds: an axis is required where the signal carries one; %g throughout.
        {&DecodedReports::robot_net_slot_jointInchSpeed, "robot_jointInchSpeed_data_check",
         R"({"MaxSpeed":1,"MaxAcc":2})", nullptr},
        {&DecodedReports::robot_net_slot_jointInchSpeed, "robot_jointInchSpeed_data_check",
         R"({"AxisNum":1,"MaxAcc":0.5})", " 0.5"},
        {&DecodedReports::robot_net_slot_rectInchSpeed, "robot_rectInchSpeed_data_check",
         R"({"MaxSpeed":1234567,"MaxAcc":12345678})", "1.23457e+06 1.23457e+07"},
        {&DecodedReports::robot_net_slot_recvInterpolationMode,
         "robot_interpolationMode_data_check",
         R"({"interpolationMethod":1,"absolutePosResolution":0.001,"remoteDefaultSpeed":20,
             "runDelayTime":5,"stopTime":100})",
         "1 0.001 20 5 100"},
        {&DecodedReports::robot_net_slot_recvInterpolationMode,
         "robot_interpolationMode_data_check",
         R"({"interpolationMethod":1,"absolutePosResolution":0.001})", nullptr},
        // Motor figures: robot axes, then external axes, missing values as 0.
        {&DecodedReports::robot_net_slot_receiveMotorSpeed, "robot_tool_receiveMotorSpeed",
         R"({"robot":1,"vel":[1,2,3,4,5,6,7],"velSync":[0.5,1,1.5,2,2.5],
             "maxVel":[10,20,30,40,50,60,70],"maxVelSync":[1,2]})",
         "1 2 3 4 5 6 7 0.5 1 1.5 2 2.5;10 20 30 40 50 60 70 1 2 0 0 0"},
        {&DecodedReports::robot_net_slot_receiveMotorTorque, "robot_tool_receiveMotorTorqueTheo",
         R"({"torq":[1],"theoTorq":[2],"torqSync":[3],"maxTheoTorq":[5]})",
         "2 0 0 0 0 0 0 5 0 0 0 0 0 0 "},
        {&DecodedReports::slot_robotNetSlotReceivedMotorLoad, "signal_robotReceivedMotorLoad",
         R"({"motorOverload":[1,2,3,4,5,6,7],"motorOverloadSync":[8,9,10,11,12]})",
         "1 2 3 4 5 6 7 8 9 10 11 12;"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.payload);
        const std::unique_ptr<QSignalSpy> spy = spyOn(reports, c.signal);
        ASSERT_TRUE(spy);
        std::invoke(c.slot, reports, QByteArray(c.payload));
        ASSERT_EQ(spy->count(), c.text ? 1 : 0);
        if (c.text) {
            EXPECT_EQ(textOf(spy->first()), QByteArray(c.text));
        }
    }

    QSignalSpy tool(&reports, &DecodedReports::robot_tool_count_check);
    reports.robot_net_slot_countToolData(R"({"toolNum":4,"note":"焊枪"})");
    ASSERT_EQ(tool.count(), 1);
    EXPECT_EQ(tool.first().at(0).toInt(), 4);
    EXPECT_EQ(tool.first().at(2).toString(), QStringLiteral("焊枪"));
}

TEST_F(ParameterReportsTest, UserFramesAndKinematicsFollowTheRobotType) {
    // The two user frame reports disagree past types 1 and 2: the check gives six only for 1.
    const QByteArray frame = R"({"userNum":3,"inquire":"工件","posDeg":[1,2,3,4,5,6]})";
    const QVector<double> six = {1, 2, 3, 4, 5, 6};
    const QVector<double> four = {1, 2, 3, 6};
    const struct {
        int type;
        QVector<double> check, reply;
    } frames[] = {{1, six, six}, {2, four, four}, {6, four, six}};
    QSignalSpy check(&reports, &DecodedReports::robot_usercoords_check);
    QSignalSpy reply(&reports, &DecodedReports::robot_usercoords_reply);
    for (const auto& f : frames) {
        setRobotType(f.type);
        reports.robot_net_slot_userCheck(frame);
        reports.robot_net_slot_userReply(frame);
        ASSERT_EQ(check.count(), 1);
        ASSERT_EQ(reply.count(), 1);
        EXPECT_EQ(check.first().at(0).toInt(), 3);
        EXPECT_EQ(check.first().at(1).toString(), QStringLiteral("工件"));
        EXPECT_EQ(check.takeFirst().at(2).value<QVector<double>>(), f.check) << f.type;
        EXPECT_EQ(reply.takeFirst().at(2).value<QVector<double>>(), f.reply) << f.type;
    }

    // Link[i] has d = 100 + i, a = 10 + i, theta = i / 2.
    const QByteArray kinematics = R"({
        "Link":[{"d":100,"a":10,"theta":0},{"d":101,"a":11,"theta":0.5},
                {"d":102,"a":12,"theta":1},{"d":103,"a":13,"theta":1.5},
                {"d":104,"a":14,"theta":2},{"d":105,"a":15,"theta":2.5}],
        "CoupleCoe":{"Couple_Coe_1_2":0.5,"Couple_Coe_2_3":1,"Couple_Coe_3_2":1.25,
                     "Couple_Coe_3_4":-2,"Couple_Coe_4_5":0,"Couple_Coe_4_6":1e-7},
        "dynamicLimit":{"max":170,"min":-170.5},
        "upsideDown":1})";
    const QString couplings = "0.50 1.0 1.250 -2.0 0.0 0.00000010 0.0";
    // "-": no list; "": no report at all.
    const struct {
        int type;
        QString values;
    } layouts[] = {{1, "100 11 12 103 105 10 " + couplings + " 2 101"},
                   {6, "100 11 12 103 105 10 " + couplings + " 2 101"},
                   {2, "100 11 12 103 105 10 " + couplings + " 2"},
                   {9, "100 11 12 103 105 10 " + couplings + " 2"},
                   {7, "100 11 12 104 105 10 101 " + couplings},
                   {3, "10 11 12 13 103 1.0 -2.0 170 -170.5 102"},
                   {10, "10 11 12"},
                   {11, "100 101 102 11 12"},
                   {12, "-"},
                   {5, ""}};
    QSignalSpy lists(&reports, &DecodedReports::robot_user_dhParaState);
    QSignalSpy upsideDown(&reports, &DecodedReports::robot_user_dhcoord);
    for (const auto& layout : layouts) {
        SCOPED_TRACE(layout.type);
        setRobotType(layout.type);
        reports.robot_net_slot_dhParaState(kinematics);
        const bool listed = layout.values != "-" && !layout.values.isEmpty();
        ASSERT_EQ(lists.count(), listed ? 1 : 0);
        if (listed) {
            EXPECT_EQ(lists.takeFirst().at(0).toStringList().join(' '), layout.values);
        }
        ASSERT_EQ(upsideDown.count(), layout.values.isEmpty() ? 0 : 1);
        if (!layout.values.isEmpty()) {
            EXPECT_EQ(upsideDown.takeFirst().at(0).toString(), QStringLiteral("1"));
        }
    }
}

TEST_F(ParameterReportsTest, ReportsMissingARequiredMemberAreDropped) {
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
}
