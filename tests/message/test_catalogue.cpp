// Every word of the inbound catalogue reaches the signal of its name, and only that signal.
#include "message/tcpconnectmodule.h"

#include <QMetaMethod>
#include <QSet>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <vector>

namespace {

enum Rule { Forward, ForwardIfNotEmpty, ForwardIfJson, OneByte, Position, TwoSignals, NoArguments };

struct Entry {
    quint16 word;
    const char* signal;
    Rule rule;
};

// The catalogue as the controller's documentation spells it, odd spellings included.
const Entry kCatalogue[] = {
    {0x2003, "receivedServoStatus", ForwardIfJson},
    {0x2103, "receivedOperationMode", Forward},
    {0x2106, "receivedTeachModeType", Forward},
    {0x2203, "receivedCoordinationMode", Forward},
    {0x2303, "receivedDeadmanStatus", Forward},
    {0x2306, "receivedDeadManMode", Forward},
    {0x2406, "receivedFbCmdMode", Forward},
    {0x2603, "receivedSpeedInfo", ForwardIfJson},
    {0x2606, "receiveJointInchSpeed", Forward},
    {0x2609, "receiveRectInchSpeed", Forward},
    {0x260C, "recvSensitivity", Forward},
    {0x2703, "receivedTestMode", OneByte},
    {0x2803, "receiveInterpolationMode", Forward},
    {0x2A03, "receivedPosition", Position},
    {0x2A05, "receiveMotorSpeed", Forward},
    {0x2A07, "receiveMotorTorque", Forward},
    {0x2A09, "receivedPosOver", Forward},
    {0x2A0B, "signal_receivedMotorLoad", Forward},
    {0x2A13, "receiveTransCoordPos", Forward},
    {0x2A16, "receivedTrackingError", Forward},
    {0x2B03, "receivedError", ForwardIfNotEmpty},
    {0x2B04, "receivedWarning", ForwardIfNotEmpty},
    {0x2B05, "receivedInfo", ForwardIfNotEmpty},
    {0x2C03, "receivedRobotProgramTitle", Forward},
    {0x2E03, "receivedRobotType", Forward},
    {0x2E06, "receiveRobotSum", Forward},
    {0x2E09, "receiveControlComCycle", Forward},
    {0x2E0C, "recvSelectFuncton", Forward},
    {0x2E0F, "receivedServoList", Forward},
    {0x2E16, "receivedRobotTypeSlave", Forward},
    {0x2E19, "receivedRobotSyncAxle", Forward},
    {0x2E1C, "receivedENI", Forward},
    {0x2F03, "recriveioparam", Forward},
    {0x2F06, "recriveMoreRobotResetPosition", Forward},
    {0x2F08, "recriveMoreRobotCurPosition", Forward},
    {0x2F0B, "recriveIoStatus", Forward},
    {0x2F0F, "receiveIOState", Forward},
    {0x2F13, "receiveIOFuncState", Forward},
    {0x2F16, "receiveUnsafePoint", Forward},
    {0x2F1C, "receiveReservationState", Forward},
    {0x2F23, "recvIOConfig", Forward},
    {0x2F33, "receiveSafetySet", Forward},
    {0x2F43, "receivedIODinAlarm", Forward},
    {0x2F46, "receivedIODoutAlarm", Forward},
    {0x2F49, "receivedIODinPortName", Forward},
    {0x2F4C, "receivedIODoutPortName", Forward},
    {0x2F4F, "receivedIOAIPortName", Forward},
    {0x2F52, "receivedIOAOPortName", Forward},
    {0x3205, "receiveCollisionDetectDragTeach", Forward},
    {0x3207, "receiveClearCollision", Forward},
    {0x3303, "receivedZeroSuccess", NoArguments},
    {0x3306, "receivedEncoderState", Forward},
    {0x330A, "receivedSingleCycleValue", Forward},
    {0x3403, "recvControlVersion", Forward},
    {0x3501, "receivedStepEndStatus", Forward},
    {0x3502, "receivedBWBStatus", Forward},
    {0x3504, "receivedJobfileLine", Forward},
    {0x3603, "receivedDoutStatus", Forward},
    {0x3606, "receivedDinStatus", Forward},
    {0x3609, "receivedAoutStatus", Forward},
    {0x360B, "receivedAinStatus", Forward},
    {0x3803, "receivedToolCheck", Forward},
    {0x3804, "receivedCountSuccess", Forward},
    {0x3807, "receivedCountToolData", Forward},
    {0x380C, "receivedToolInfo", Forward},
    {0x3813, "receive7MarkedPoint", Forward},
    {0x3816, "signal_receivedAllToolCheck", Forward},
    {0x3A03, "recvDHparaState", Forward},
    {0x3B03, "receivedJointPara", Forward},
    {0x3B06, "receiveDecareParam", Forward},
    {0x3B09, "receivedEncoderPara", Forward},
    {0x3C03, "receivedUserCoordsCheck", Forward},
    {0x3C04, "receivedUserSuccess", Forward},
    {0x3C09, "receivedUserCoordsReply", Forward},
    {0x3C0C, "receivedCurrentUserCoords", ForwardIfJson},
    {0x3C0F, "receivedUserCoordsNote", Forward},
    {0x3D03, "receivedProRunStatus", Forward},
    {0x3E03, "receivedPresentRobot", Forward},
    {0x3F03, "receivedRobotRange", Forward},
    {0x3F06, "receivedVisionRange", Forward},
    {0x3F09, "receivedInterfereRange", Forward},
    {0x4003, "receivedWeldEquipmentData", Forward},
    {0x4006, "receivedCurVolMatData", Forward},
    {0x4009, "receivedArcsettingData", Forward},
    {0x400D, "receivedWaveweldData", Forward},
    {0x400F, "receiveWaveIUMatch", Forward},
    {0x4013, "receiveWeldIOData", Forward},
    {0x4016, "receiveWeldState", Forward},
    {0x401C, "receiveWeldEnableState", Forward},
    {0x401F, "receivedWelder", Forward},
    {0x4023, "receivedWelderState", Forward},
    {0x4053, "receiveweldintersectionPoint", Forward},
    {0x4054, "receiveWeldintersectionCal", Forward},
    {0x4057, "receiveweldintersectionPara", Forward},
    {0x4063, "receiveOuterWeldTorchParam", Forward},
    {0x4067, "receiveOuterWeldType", Forward},
    {0x4103, "receiveVisionParameter", ForwardIfNotEmpty},
    {0x4106, "receiveVisionPosParameter", Forward},
    {0x4108, "receiveVisionDebugPosList", Forward},
    {0x4111, "receiveVisionPosGesture", Forward},
    {0x4113, "receiveVisionPostrytakephoto", Forward},
    {0x4115, "receiveVisionIp", Forward},
    {0x4132, "receivedLaserParameter", Forward},
    {0x4135, "receivedLaserManufacturer", Forward},
    {0x4138, "receivedTrackParameter", Forward},
    {0x413B, "receivedSearchParameter", Forward},
    {0x4141, "receivedLaserCalibate", Forward},
    {0x4143, "receivedLaserCalibateReCord", Forward},
    {0x4146, "receivedLaserCalibateResult", Forward},
    {0x4152, "receivedArcTrackCOMM", Forward},
    {0x4155, "receivedArcTrackCOMP", Forward},
    {0x4162, "signal_receivedArcSearch", Forward},
    {0x4182, "receiveTCPParameter", Forward},
    {0x4203, "recvPalletToolParameter", Forward},
    {0x4206, "recvPalletTrayParameter", Forward},
    {0x4209, "recvPalletPositionParameter", Forward},
    {0x420C, "recvPalletWorkpieceParameter", Forward},
    {0x420F, "recvPalletApproachParameter", Forward},
    {0x4212, "recvPalletOverlappingModel", Forward},
    {0x4215, "recvPalletPlaneModel", Forward},
    {0x4217, "recvPalletChangeModel", Forward},
    {0x4219, "recvPalletPlanePreview", Forward},
    {0x421C, "recvPalletState", Forward},
    {0x4223, "recvSwitchPalletMode", Forward},
    {0x4226, "recvPalletEasyPositionParameter", Forward},
    {0x4229, "recvPalletEasyToolParameter", Forward},
    {0x4233, "receivePalletData", Forward},
    {0x4243, "recvPalletLocATPara", Forward},
    {0x4249, "recvPieceLocAT", Forward},
    {0x4303, "receiveControlIp", Forward},
    {0x4306, "receiveConntrollerInitState", Forward},
    {0x4403, "receiveChangeIosetData", Forward},
    {0x4406, "receiveLaserTechParam", Forward},
    {0x4409, "receiveChangeLaserAnalog", Forward},
    {0x440C, "receiveCutTechParam", Forward},
    {0x440F, "receiveCurrentState", Forward},
    {0x4413, "receiveShotParameter", Forward},
    {0x4419, "receiveChangeLaserAnalogSet", Forward},
    {0x4603, "receivedPolishPara", Forward},
    {0x4703, "receivedSprayAnalog", Forward},
    {0x4706, "receivedSprayDigital", Forward},
    {0x4709, "receivedSpraySequence", Forward},
    {0x470C, "receivedSprayTrackPara", Forward},
    {0x4713, "receivedSprayHandOperatOne", Forward},
    {0x4716, "receivedSprayHandOperatTwo", Forward},
    {0x4719, "receivedSprayHandOperatThree", Forward},
    {0x4803, "receiveTrackConBasic", Forward},
    {0x4806, "receiveTrackConTool", Forward},
    {0x4808, "receiveTrackSpeed", Forward},
    {0x4813, "receiveCalibrationedPoint", Forward},
    {0x4817, "receiveSensorPos", Forward},
    {0x4819, "receiveCalibrationedSensorPoint", Forward},
    {0x481D, "receiveCalibrationedSensorPos", Forward},
    {0x4832, "rceiveTrackConPos", Forward},
    {0x4834, "receiveCalibrationPos", Forward},
    {0x5003, "receivedChangeRobot", Forward},
    {0x5013, "recriveRobotCycleIndex", Forward},
    {0x5023, "receiveRobotRunningTime", Forward},
    {0x5033, "recriveModbusIoState", Forward},
    {0x5053, "recvControlNumber", Forward},
    {0x505C, "recvSysClock", Forward},
    {0x5073, "recvServoPara", Forward},
    {0x5083, "receivedProSelfStart", Forward},
    {0x5093, "receivehistorycmd", Forward},
    {0x50A3, "receivedRunModeAutoMan", Forward},
    {0x50B3, "receivedSocketState", Forward},
    {0x5502, "receiveUploadAnswer", Forward},
    {0x5508, "receiveFileNamesNeedByDownload", Forward},
    {0x5533, "recvJobSumlist", Forward},
    {0x5534, "recvJobFileList", Forward},
    {0x5535, "recvJobFileInfoFinish", NoArguments},
    {0x5543, "recvControlLoglist", Forward},
    {0x5603, "receiveAllGlobalPosition", Forward},
    {0x5606, "receiveGlobalPosition", Forward},
    {0x5609, "receiveGlobalVariant", Forward},
    {0x560C, "receiveOneGlobalVariant", Forward},
    {0x5613, "receiveLocalVariantPosP", Forward},
    {0x5616, "receiveLocalVariantPosE", Forward},
    {0x5619, "receiveLocalVariantValue", Forward},
    {0x5703, "receivedModbusProgram", Forward},
    {0x5713, "reveivedModbusParameter", Forward},
    {0x5719, "recrivedModbusState", Forward},
    {0x5723, "receivedUploadEnable", Forward},
    {0x5726, "receivedUploadPara", Forward},
    {0x5729, "receivedDAformat", Forward},
    {0x5733, "receivedScrewPara", Forward},
    {0x5736, "receivedScrewIO", Forward},
    {0x5739, "receivedScrewState", Forward},
    {0x7003, "recvOutterAxisPos", Forward},
    {0x7004, "recvOutterAxisState", Forward},
    {0x7006, "receiveOutterAxisCount", Forward},
    {0x700F, "recvSyncPositonerSwitch", Forward},
    {0x7013, "recvCurEXPosition", Forward},
    {0x7017, "recvCOOPERATIVE", Forward},
    {0x7023, "recvOutterJointPara", Forward},
    {0x7026, "receivedOutInchSpeed", Forward},
    {0x7033, "recvOutterZeroPoint", NoArguments},
    {0x7037, "receiveOuterSingleCycle", Forward},
    {0x7043, "recvOutterCalResult", Forward},
    {0x7103, "receivedToolCheckFor20", Forward},
    {0x7104, "receivedCountSuccessFor20", Forward},
    {0x7106, "receiveResetResultToZeroPoint", Forward},
    {0x7108, "receive20PointState", Forward},
    {0x710B, "receive20MarkedPoint", Forward},
    {0x7204, "receivedCountSuccessFor4", Forward},
    {0x7206, "receivedresultForDH", Forward},
    {0x7303, "receivedThreeMouse", Forward},
    {0x7306, "received3DMousePoint", Forward},
    {0x7309, "received3DMouseMark", Forward},
    {0x7403, "receivedDynaPara", Forward},
    {0x7405, "receivedDynaIdentify", Forward},
    {0x7408, "receivedCollision", Forward},
    {0x740B, "receivedCollisionPara", Forward},
    {0x740E, "receivedTorqFeedback", Forward},
    {0x7503, "receivedDragSwitch", Forward},
    {0x7506, "receivedDragPara", Forward},
    {0x7603, "receivedTrackData", Forward},
    {0x7605, "receivedSafeCheck", Forward},
    {0x7607, "receivedIdentificationData", Forward},
    {0x7608, "receivedFinish", Forward},
    {0x7609, "receivedTrackRange", Forward},
    {0x760A, "receivedErrorStop", Forward},
    {0x7703, "receiveBrakeAvoidCrushed", Forward},
    {0x7706, "receiveBrakeAvoidCrushedDelay", Forward},
    {0x7709, "receiveBrakeAvoidCrushedParam", Forward},
    {0x770C, "receiveBrakeAvoidCrushedRecordtorq", Forward},
    {0x9103, "receivedProRunStatus", TwoSignals},
};

// Signals that are not reports: the link state, unknown words, and two that nothing emits.
const char* const kOtherSignals[] = {"connectSucceed", "linkStateInLinkThread", "receivedData", "receivedRunningMode",
                                     "receiveRobotCycleTimes"};

QByteArray signatureOf(const Entry& entry) {
    const QByteArray name(entry.signal);
    switch (entry.rule) {
        case OneByte:
            return name + "(qint8)";
        case Position:
            return name + "(QVector<double>,int,int)";
        case NoArguments:
            return name + "()";
        default:
            return name + "(QByteArray)";
    }
}

// A payload that passes the entry's rule.
QByteArray passingPayload(Rule rule) {
    switch (rule) {
        case OneByte:
            return QByteArray(1, '\x05');
        case Position:
            return "{\"coord\":1,\"posDeg\":[1,2,3,4,5,6,7],\"robot\":2}\n";
        default:
            return "{\"robot\":1,\"x\":[0.50]}\n";
    }
}

QByteArray nameOf(const QMetaMethod& method) {
    return method.name();
}

class Catalogue : public ::testing::Test {
protected:
    // Port 9 on loopback: the link is never started, the dispatcher is called directly.
    TcpConnectModule module{"127.0.0.1", 9, 300000};
};

TEST_F(Catalogue, DeclaresEveryReportSignalAndNoOther) {
    const QMetaObject* meta = module.metaObject();
    QSet<QByteArray> declared;
    for (int i = meta->methodOffset(); i < meta->methodCount(); ++i) {
        if (meta->method(i).methodType() == QMetaMethod::Signal)
            declared.insert(nameOf(meta->method(i)));
    }
    QSet<QByteArray> expected;
    for (const Entry& entry : kCatalogue) {
        expected.insert(entry.signal);
        EXPECT_GE(meta->indexOfSignal(signatureOf(entry)), 0) << signatureOf(entry).constData();
    }
    expected.insert("receivedJobStatus");
    for (const char* other : kOtherSignals)
        expected.insert(other);
    EXPECT_EQ(declared, expected);
    EXPECT_EQ(std::size(kCatalogue), 227u);
}

// Whether the rule lets a payload through: passing, empty or one non-JSON byte.
bool accepts(Rule rule, const QByteArray& payload) {
    switch (rule) {
        case ForwardIfNotEmpty:
            return !payload.isEmpty();
        case ForwardIfJson:
        case Position:
            return payload == passingPayload(rule);
        case OneByte:
            return payload.size() == 1;
        default:
            return true;
    }
}

TEST_F(Catalogue, EveryWordReachesExactlyItsSignalsByItsRule) {
    // One spy per declared signal, so a word routed to the wrong signal shows up as well.
    const QMetaObject* meta = module.metaObject();
    std::map<QByteArray, std::unique_ptr<QSignalSpy>> spies;
    for (int i = meta->methodOffset(); i < meta->methodCount(); ++i) {
        const QMetaMethod method = meta->method(i);
        if (method.methodType() == QMetaMethod::Signal) {
            spies[nameOf(method)] = std::make_unique<QSignalSpy>(&module, method);
        }
    }
    for (const Entry& entry : kCatalogue) {
        for (const QByteArray& payload :
             {passingPayload(entry.rule), QByteArray(), QByteArray("x")}) {
            SCOPED_TRACE((QByteArray::number(entry.word, 16) + " " + entry.signal + " payload " +
                          payload.toHex())
                             .constData());
            module.onReceivedData(entry.word, payload);

            std::vector<QByteArray> expected;
            if (accepts(entry.rule, payload)) {
                expected.push_back(entry.signal);
                if (entry.rule == TwoSignals)
                    expected.push_back("receivedJobStatus");
            }
            std::vector<QByteArray> fired;
            for (auto& [name, spy] : spies) {
                for (int i = 0; i < spy->count(); ++i)
                    fired.push_back(name);
            }
            std::sort(expected.begin(), expected.end());
            EXPECT_EQ(fired, expected);

            const bool carriesPayload =
                entry.rule != OneByte && entry.rule != Position && entry.rule != NoArguments;
            QSignalSpy& spy = *spies.at(entry.signal);
            if (carriesPayload && spy.count() == 1) {
                EXPECT_EQ(spy.at(0).at(0).toByteArray(), payload);
            }
            for (auto& named : spies)
                named.second->clear();
        }
    }
}

}  // namespace
