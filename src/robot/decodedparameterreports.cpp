// Configuration and calibration reports, decoded into texts of numbers for a user interface.
// Nothing here is cached and no requester waits for these reports.

#include "link/jsonwire.h"
#include "robot/decodedreports.h"
#include "robot/reportfields.h"
#include "robot/reportroute.h"
#include "robot/reporttext.h"
#include "robot/robot.h"

#include <optional>
#include <vector>

namespace json = kelvo::json;
namespace text = kelvo::reporttext;
using kelvo::intMember;
using text::Absent;
using text::Format;

namespace {

constexpr int kPoseValues = 6;
constexpr int kToolStatusValues = 7;
// The one-axis robot has no kinematic parameters to show.
constexpr int kOneAxisRobot = 5;

// A report is one object; any other JSON carries none of its members and is dropped as well.
std::optional<Json::Value> parseReport(const QByteArray& data) {
    std::optional<Json::Value> report = json::parse(data);
    if (report && !report->isObject())
        return std::nullopt;
    return report;
}

int intOf(const Json::Value& report, const char* key) {
    return json::intOr(json::member(report, key));
}

// A calibration point: its number and pose.
void emitPoint(DecodedReports* reports, const QByteArray& data,
               void (DecodedReports::*signal)(int, QByteArray)) {
    const std::optional<Json::Value> report = parseReport(data);
    if (report) {
        (reports->*signal)(intOf(*report, "pointNum"),
                           text::elements(*report, "pos", kPoseValues, Format::G6));
    }
}

// The six limits of a working range, as the controller words them, from the report itself or
// from one of its objects.
QByteArray rangeText(const Json::Value& range) {
    return text::fields(range,
                        {{"maxX", Format::Text},
                         {"minX", Format::Text},
                         {"maxY", Format::Text},
                         {"minY", Format::Text},
                         {"maxZ", Format::Text},
                         {"minZ", Format::Text}},
                        Absent::LeftOut);
}

void emitRange(DecodedReports* reports, const QByteArray& data,
               void (DecodedReports::*signal)(QByteArray)) {
    const std::optional<Json::Value> report = parseReport(data);
    if (report)
        (reports->*signal)(rangeText(*report));
}

// A user frame: six values, or the four a four-axis robot has (x, y, z and the last angle).
QVector<double> userFrame(const Json::Value& report, bool fourValues) {
    const Json::Value& posDeg = json::member(report, "posDeg");
    QVector<double> values;
    for (Json::ArrayIndex i : fourValues ? std::vector<Json::ArrayIndex>{0, 1, 2, 5}
                                         : std::vector<Json::ArrayIndex>{0, 1, 2, 3, 4, 5}) {
        values << json::doubleOr(json::element(posDeg, i));
    }
    return values;
}

void emitUserFrame(DecodedReports* reports, const QByteArray& data, bool fourValues,
                   void (DecodedReports::*signal)(int, QString, QVector<double>)) {
    const std::optional<Json::Value> report = parseReport(data);
    if (report) {
        (reports->*signal)(intOf(*report, "userNum"), json::text(json::member(*report, "inquire")),
                           userFrame(*report, fourValues));
    }
}

// ---- Kinematic (DH) parameters ----

enum class DhSource { Link, Coupling, DynamicLimit };

// One value of the list: a member of Link[link], of "CoupleCoe" or of "dynamicLimit".
struct DhValue {
    DhSource source;
    Json::ArrayIndex link;
    const char* key;
};

DhValue link(Json::ArrayIndex index, const char* key) {
    return {DhSource::Link, index, key};
}
DhValue coupling(const char* key) {
    return {DhSource::Coupling, 0, key};
}
DhValue limit(const char* key) {
    return {DhSource::DynamicLimit, 0, key};
}

using DhLayout = std::vector<DhValue>;

DhLayout operator+(DhLayout head, const DhLayout& tail) {
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
}

const DhLayout& allCouplings() {
    static const DhLayout couplings = {
        coupling("Couple_Coe_1_2"), coupling("Couple_Coe_2_3"), coupling("Couple_Coe_3_2"),
        coupling("Couple_Coe_3_4"), coupling("Couple_Coe_4_5"), coupling("Couple_Coe_4_6"),
        coupling("Couple_Coe_5_6"),
    };
    return couplings;
}

// The values each robot type shows, in list order; null for a type without a list.
const DhLayout* dhLayout(int robotType) {
    static const DhLayout serial = DhLayout{link(0, "d"), link(1, "a"), link(2, "a"),
                                            link(3, "d"), link(5, "d"), link(0, "a")} +
                                   allCouplings() + DhLayout{link(4, "theta")};
    static const DhLayout serialWithLink1Offset = serial + DhLayout{link(1, "d")};
    static const DhLayout specialShape =
        DhLayout{link(0, "d"), link(1, "a"), link(2, "a"), link(4, "d"),
                 link(5, "d"), link(0, "a"), link(1, "d")} +
        allCouplings();
    static const DhLayout palletising = {
        link(0, "a"),
        link(1, "a"),
        link(2, "a"),
        link(3, "a"),
        link(3, "d"),
        coupling("Couple_Coe_2_3"),
        coupling("Couple_Coe_3_4"),
        limit("max"),
        limit("min"),
        link(2, "d"),
    };
    static const DhLayout threeLinks = {link(0, "a"), link(1, "a"), link(2, "a")};
    static const DhLayout threeLinksWithOffsets = {link(0, "d"), link(1, "d"), link(2, "d"),
                                                   link(1, "a"), link(2, "a")};
    switch (robotType) {
        case 1:
        case 6:
            return &serialWithLink1Offset;
        case 2:
        case 8:
        case 9:
            return &serial;
        case 7:
            return &specialShape;
        case 3:
        case 4:
            return &palletising;
        case 10:
            return &threeLinks;
        case 11:
            return &threeLinksWithOffsets;
        default:
            return nullptr;
    }
}

// Lengths, angles and limits.
QString g6Text(const Json::Value& value) {
    return QString::fromLatin1(text::format(value, Format::G6));
}

QString dhText(const Json::Value& report, const DhValue& value) {
    switch (value.source) {
        case DhSource::Link:
            return g6Text(
                json::member(json::element(json::member(report, "Link"), value.link), value.key));
        case DhSource::Coupling:
            // The JSON reader accepts no infinities, so the wire form always has a text.
            return QString::fromStdString(json::formatReal(
                json::doubleOr(json::member(json::member(report, "CoupleCoe"), value.key))));
        case DhSource::DynamicLimit:
            return g6Text(json::member(json::member(report, "dynamicLimit"), value.key));
    }
    return {};
}

}  // namespace

void DecodedReports::routeParameterReports(TcpConnectModule* from) {
    kelvo::connectRoutes<QByteArray>(
        from, this,
        {
            {&TcpConnectModule::receivedToolCheck, &DecodedReports::robot_net_slot_keepToolCheck},
            {&TcpConnectModule::receivedToolCheckFor20,
             &DecodedReports::robot_net_slot_keepToolCheckFor20},
            {&TcpConnectModule::receive20MarkedPoint,
             &DecodedReports::robot_net_slot_receive20MarkedPoint},
            {&TcpConnectModule::receive7MarkedPoint,
             &DecodedReports::robot_net_slot_receive7MarkedPoint},
            {&TcpConnectModule::signal_receivedAllToolCheck,
             &DecodedReports::slot_receivedAllToolCheck},
            {&TcpConnectModule::receivedCountToolData,
             &DecodedReports::robot_net_slot_countToolData},
            {&TcpConnectModule::receivedCountSuccess, &DecodedReports::robot_net_slot_countSuccess},
            {&TcpConnectModule::receivedCountSuccessFor20,
             &DecodedReports::robot_net_slot_countSuccessFor20},
            {&TcpConnectModule::receiveResetResultToZeroPoint,
             &DecodedReports::robot_net_slot_ResetResultToZeroPoint},
            {&TcpConnectModule::receive20PointState,
             &DecodedReports::robot_net_slot_receive20PointState},
            {&TcpConnectModule::receivedUserCoordsCheck, &DecodedReports::robot_net_slot_userCheck},
            {&TcpConnectModule::receivedUserCoordsReply, &DecodedReports::robot_net_slot_userReply},
            {&TcpConnectModule::receivedArcsettingData, &DecodedReports::robot_net_slot_arcsetData},
            {&TcpConnectModule::receivedWaveweldData, &DecodedReports::robot_net_slot_waveweldData},
            {&TcpConnectModule::receivedWeldEquipmentData,
             &DecodedReports::robot_net_slot_weldData},
            {&TcpConnectModule::receivedCurVolMatData, &DecodedReports::robot_net_slot_matchData},
            {&TcpConnectModule::receiveWeldState, &DecodedReports::robot_net_slot_receiveWeldState},
            {&TcpConnectModule::receivedRobotRange, &DecodedReports::robot_net_slot_robotRange},
            {&TcpConnectModule::receivedVisionRange, &DecodedReports::robot_net_slot_visionRange},
            {&TcpConnectModule::receivedInterfereRange,
             &DecodedReports::robot_net_slot_interfereRange},
            {&TcpConnectModule::receivedJointPara, &DecodedReports::robot_net_slot_jointPara},
            {&TcpConnectModule::recvDHparaState, &DecodedReports::robot_net_slot_dhParaState},
        });
}

// ---- Tool calibration ----

void DecodedReports::robot_net_slot_keepToolCheck(QByteArray data) {
    emitPoint(this, data, &DecodedReports::robot_tool_check);
}

void DecodedReports::robot_net_slot_keepToolCheckFor20(QByteArray data) {
    emitPoint(this, data, &DecodedReports::robot_tool_checkFor20);
}

void DecodedReports::robot_net_slot_receive20MarkedPoint(QByteArray data) {
    emitPoint(this, data, &DecodedReports::robot_tool_receive20MarkedPoint);
}

void DecodedReports::robot_net_slot_receive7MarkedPoint(QByteArray data) {
    emitPoint(this, data, &DecodedReports::robot_tool_receive7MarkedPoint);
}

void DecodedReports::slot_receivedAllToolCheck(QByteArray data) {
    const std::optional<Json::Value> report = parseReport(data);
    if (report)
        emit signal_toolStatus(text::elements(*report, "status", kToolStatusValues, Format::Int));
}

void DecodedReports::robot_net_slot_countToolData(QByteArray data) {
    const std::optional<Json::Value> report = parseReport(data);
    if (!report)
        return;
    const QByteArray frame = text::fields(*report,
                                          {{"toolDeg.x", Format::G6},
                                           {"toolDeg.y", Format::G6},
                                           {"toolDeg.z", Format::G6},
                                           {"toolDeg.A", Format::G6},
                                           {"toolDeg.B", Format::G6},
                                           {"toolDeg.C", Format::G6}},
                                          Absent::ReadsAsZero);
    emit robot_tool_count_check(intOf(*report, "toolNum"), frame,
                                json::text(json::member(*report, "note")));
}

void DecodedReports::robot_net_slot_countSuccess(QByteArray data) {
    const std::optional<Json::Value> report = parseReport(data);
    if (!report)
        return;
    if (const std::optional<int> result = intMember(*report, "result"))
        emit robot_count_success(*result);
}

void DecodedReports::robot_net_slot_countSuccessFor20(QByteArray data) {
    const std::optional<Json::Value> report = parseReport(data);
    if (!report)
        return;
    const std::optional<int> result = intMember(*report, "result");
    double distance = 0.0;
    if (result && json::has(*report, "distance") &&
        json::toDouble(json::member(*report, "distance"), &distance)) {
        emit robot_count_successFor20(*result, distance);
    }
}

void DecodedReports::robot_net_slot_ResetResultToZeroPoint(QByteArray data) {
    const std::optional<Json::Value> report = parseReport(data);
    if (!report)
        return;
    if (const std::optional<int> apply = intMember(*report, "apply"))
        emit robot_ResetResult_ToZeroPoint(*apply);
}

void DecodedReports::robot_net_slot_receive20PointState(QByteArray data) {
    if (parseReport(data))
        emit robot_tool_receive20PointState(data);
}

// ---- User frames ----

void DecodedReports::robot_net_slot_userCheck(QByteArray data) {
    emitUserFrame(this, data, robot_.robotType() != static_cast<int>(RobotType::SixAxis),
                  &DecodedReports::robot_usercoords_check);
}

void DecodedReports::robot_net_slot_userReply(QByteArray data) {
    const int type = robot_.robotType();
    const bool fourValues = type == static_cast<int>(RobotType::ScaraFourAxis) ||
                            type == static_cast<int>(RobotType::PalletisingFourAxis) ||
                            type == static_cast<int>(RobotType::FourAxis) ||
                            type == static_cast<int>(RobotType::ScaraTwoAxis);
    emitUserFrame(this, data, fourValues, &DecodedReports::robot_usercoords_reply);
}

// ---- Welding ----

void DecodedReports::robot_net_slot_arcsetData(QByteArray data) {
    const std::optional<Json::Value> report = parseReport(data);
    if (!report)
        return;
    const QByteArray parameters = text::fields(*report,
                                               {{"parameter.arcOnVol", Format::G6},
                                                {"parameter.arcOnCur", Format::G6},
                                                {"parameter.arcOnTime", Format::G6},
                                                {"parameter.arcOffVol", Format::G6},
                                                {"parameter.arcOffCur", Format::G6},
                                                {"parameter.arcOffTime", Format::G6},
                                                {"parameter.weldingVol", Format::G6},
                                                {"parameter.weldingCur", Format::G6},
                                                {"parameter.antiStickCur", Format::G6},
                                                {"parameter.antiStickTime", Format::G6},
                                                {"parameter.antiStickVol", Format::G6},
                                                {"parameter.flyArcSwitch", Format::Bool}},
                                               Absent::LeftOut);
    emit robot_arcset_data_check(intMember(*report, "num").value_or(0), parameters);
}

void DecodedReports::robot_net_slot_waveweldData(QByteArray data) {
    const std::optional<Json::Value> report = parseReport(data);
    if (!report)
        return;
    const QByteArray parameters = text::fields(*report,
                                               {{"parameter.weavingType", Format::Int},
                                                {"parameter.weavingFreq", Format::G6},
                                                {"parameter.weavingAmpli", Format::G6},
                                                {"parameter.isMove", Format::Bool},
                                                {"parameter.upStandingTime", Format::G6},
                                                {"parameter.downStandingTime", Format::G6},
                                                {"parameter.initDirection", Format::Int},
                                                {"parameter.horizontalAngle", Format::G6},
                                                {"parameter.verticalAngle", Format::G6}},
                                               Absent::LeftOut);
    emit robot_waveweld_data_check(intMember(*report, "num").value_or(0), parameters);
}

void DecodedReports::robot_net_slot_weldData(QByteArray data) {
    const std::optional<Json::Value> report = parseReport(data);
    if (!report)
        return;
    emit robot_weld_data_check(text::fields(*report,
                                            {{"time.arconDetect", Format::G6},
                                             {"time.arconConfirm", Format::G6},
                                             {"time.arcoffDetect", Format::G6},
                                             {"time.preAspirated", Format::G6},
                                             {"time.delAspirated", Format::G6},
                                             {"time.withdrawwire", Format::G6},
                                             {"time.breakRewire", Format::G6},
                                             {"restart.distance", Format::G6},
                                             {"restart.velocity", Format::G6},
                                             {"equipment.arcInterRestart", Format::Bool},
                                             {"equipment.arcInterCheck", Format::Bool},
                                             {"equipment.withdrawSwitch", Format::Bool},
                                             {"equipment.breakReSwitch", Format::Bool},
                                             {"equipment.anaToZeroSwitch", Format::Bool}},
                                            Absent::LeftOut));
}

void DecodedReports::robot_net_slot_matchData(QByteArray data) {
    const std::optional<Json::Value> report = parseReport(data);
    if (!report)
        return;
    emit robot_match_data_check(text::fields(*report,
                                             {{"voltage.set_A", Format::G6},
                                              {"current.set_A", Format::G6},
                                              {"voltage.fact_A", Format::G6},
                                              {"current.fact_A", Format::G6},
                                              {"voltage.set_B", Format::G6},
                                              {"current.set_B", Format::G6},
                                              {"voltage.fact_B", Format::G6},
                                              {"current.fact_B", Format::G6},
                                              {"IO.AO_setvoltage", Format::G6},
                                              {"IO.AO_setcurrent", Format::G6}},
                                             Absent::LeftOut));
}

void DecodedReports::robot_net_slot_receiveWeldState(QByteArray data) {
    const std::optional<Json::Value> report = parseReport(data);
    if (!report)
        return;
    emit robot_tool_receiveWeldState(text::fields(*report,
                                                  {{"pistolSwitch", Format::Int},
                                                   {"arcingSuccess", Format::Int},
                                                   {"handWireFeed", Format::Int},
                                                   {"weldCurrent", Format::G6},
                                                   {"weldVoltage", Format::G6}},
                                                  Absent::ReadsAsZero));
}

// ---- Working ranges ----

void DecodedReports::robot_net_slot_robotRange(QByteArray data) {
    emitRange(this, data, &DecodedReports::robot_robotRange_data_check);
}

void DecodedReports::robot_net_slot_visionRange(QByteArray data) {
    emitRange(this, data, &DecodedReports::robot_visionRange_data_check);
}

void DecodedReports::robot_net_slot_interfereRange(QByteArray data) {
    const std::optional<Json::Value> report = parseReport(data);
    if (!report)
        return;
    emit robot_interfereIO_data(data);
    emit robot_interfereRange_data_check(rangeText(json::member(*report, "param")));
}

// ---- Joints and kinematics ----

void DecodedReports::robot_net_slot_jointPara(QByteArray data) {
    const std::optional<Json::Value> report = parseReport(data);
    if (!report)
        return;
    // Only an object can hold the joint's members; anything else under "Joint" is no report.
    const Json::Value& joint = json::member(*report, "Joint");
    if (!joint.isObject())
        return;
    const QByteArray parameters = text::fields(joint,
                                               {{"PosSWLimit", Format::G6},
                                                {"NegSWLimit", Format::G6},
                                                {"RatedVel", Format::F2},
                                                {"DeRatedVel", Format::F2},
                                                {"MaxRotSpeed", Format::G6},
                                                {"MaxDeRotSpeed", Format::G6},
                                                {"MaxAcc", Format::F2},
                                                {"MaxDecel", Format::F2},
                                                {"ReducRatio", Format::G6},
                                                {"EncoderResolution", Format::G6},
                                                {"RatedRotSpeed", Format::G6},
                                                {"RatedDeRotSpeed", Format::G6},
                                                {"BackLash", Format::G6},
                                                {"Direction", Format::G6},
                                                {"AxisDirection", Format::G6}},
                                               Absent::ReadsAsZero);
    emit robot_joint_para(intOf(joint, "AxisNum"), parameters);
}

void DecodedReports::robot_net_slot_dhParaState(QByteArray data) {
    const int type = robot_.robotType();
    if (type == kOneAxisRobot)
        return;
    const std::optional<Json::Value> report = parseReport(data);
    if (!report)
        return;
    if (const DhLayout* layout = dhLayout(type)) {
        QStringList values;
        for (const DhValue& value : *layout)
            values << dhText(*report, value);
        emit robot_user_dhParaState(values);
    }
    emit robot_user_dhcoord(QString::number(intOf(*report, "upsideDown")));
}
