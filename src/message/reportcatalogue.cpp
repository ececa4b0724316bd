#include "message/reportcatalogue.h"

#include <algorithm>
#include <iterator>

namespace kelvo {
namespace {

using M = TcpConnectModule;
using Rule = DispatchRule;

// Every command word understood on receipt, in ascending order.
constexpr Report kReports[] = {
    {0x2003, &M::receivedServoStatus, Rule::ForwardIfJson},
    {0x2103, &M::receivedOperationMode, Rule::Forward},
    {0x2106, &M::receivedTeachModeType, Rule::Forward},
    {0x2203, &M::receivedCoordinationMode, Rule::Forward},
    {0x2303, &M::receivedDeadmanStatus, Rule::Forward},
    {0x2306, &M::receivedDeadManMode, Rule::Forward},
    {0x2406, &M::receivedFbCmdMode, Rule::Forward},
    {0x2603, &M::receivedSpeedInfo, Rule::ForwardIfJson},
    {0x2606, &M::receiveJointInchSpeed, Rule::Forward},
    {0x2609, &M::receiveRectInchSpeed, Rule::Forward},
    {0x260C, &M::recvSensitivity, Rule::Forward},
    {0x2703, &M::receivedTestMode, Rule::OneByte},
    {0x2803, &M::receiveInterpolationMode, Rule::Forward},
    {0x2A03, &M::receivedPosition, Rule::Position},
    {0x2A05, &M::receiveMotorSpeed, Rule::Forward},
    {0x2A07, &M::receiveMotorTorque, Rule::Forward},
    {0x2A09, &M::receivedPosOver, Rule::Forward},
    {0x2A0B, &M::signal_receivedMotorLoad, Rule::Forward},
    {0x2A13, &M::receiveTransCoordPos, Rule::Forward},
    {0x2A16, &M::receivedTrackingError, Rule::Forward},
    {0x2B03, &M::receivedError, Rule::ForwardIfNotEmpty},
    {0x2B04, &M::receivedWarning, Rule::ForwardIfNotEmpty},
    {0x2B05, &M::receivedInfo, Rule::ForwardIfNotEmpty},
    {0x2C03, &M::receivedRobotProgramTitle, Rule::Forward},
    {0x2E03, &M::receivedRobotType, Rule::Forward},
    {0x2E06, &M::receiveRobotSum, Rule::Forward},
    {0x2E09, &M::receiveControlComCycle, Rule::Forward},
    {0x2E0C, &M::recvSelectFuncton, Rule::Forward},
    {0x2E0F, &M::receivedServoList, Rule::Forward},
    {0x2E16, &M::receivedRobotTypeSlave, Rule::Forward},
    {0x2E19, &M::receivedRobotSyncAxle, Rule::Forward},
    {0x2E1C, &M::receivedENI, Rule::Forward},
    {0x2F03, &M::recriveioparam, Rule::Forward},
    {0x2F06, &M::recriveMoreRobotResetPosition, Rule::Forward},
    {0x2F08, &M::recriveMoreRobotCurPosition, Rule::Forward},
    {0x2F0B, &M::recriveIoStatus, Rule::Forward},
    {0x2F0F, &M::receiveIOState, Rule::Forward},
    {0x2F13, &M::receiveIOFuncState, Rule::Forward},
    {0x2F16, &M::receiveUnsafePoint, Rule::Forward},
    {0x2F1C, &M::receiveReservationState, Rule::Forward},
    {0x2F23, &M::recvIOConfig, Rule::Forward},
    {0x2F33, &M::receiveSafetySet, Rule::Forward},
    {0x2F43, &M::receivedIODinAlarm, Rule::Forward},
    {0x2F46, &M::receivedIODoutAlarm, Rule::Forward},
    {0x2F49, &M::receivedIODinPortName, Rule::Forward},
    {0x2F4C, &M::receivedIODoutPortName, Rule::Forward},
    {0x2F4F, &M::receivedIOAIPortName, Rule::Forward},
    {0x2F52, &M::receivedIOAOPortName, Rule::Forward},
    {0x3205, &M::receiveCollisionDetectDragTeach, Rule::Forward},
    {0x3207, &M::receiveClearCollision, Rule::Forward},
    {0x3303, &M::receivedZeroSuccess, Rule::NoArguments},
    {0x3306, &M::receivedEncoderState, Rule::Forward},
    {0x330A, &M::receivedSingleCycleValue, Rule::Forward},
    {0x3403, &M::recvControlVersion, Rule::Forward},
    {0x3501, &M::receivedStepEndStatus, Rule::Forward},
    {0x3502, &M::receivedBWBStatus, Rule::Forward},
    {0x3504, &M::receivedJobfileLine, Rule::Forward},
    {0x3603, &M::receivedDoutStatus, Rule::Forward},
    {0x3606, &M::receivedDinStatus, Rule::Forward},
    {0x3609, &M::receivedAoutStatus, Rule::Forward},
    {0x360B, &M::receivedAinStatus, Rule::Forward},
    {0x3803, &M::receivedToolCheck, Rule::Forward},
    {0x3804, &M::receivedCountSuccess, Rule::Forward},
    {0x3807, &M::receivedCountToolData, Rule::Forward},
    {0x380C, &M::receivedToolInfo, Rule::Forward},
    {0x3813, &M::receive7MarkedPoint, Rule::Forward},
    {0x3816, &M::signal_receivedAllToolCheck, Rule::Forward},
    {0x3A03, &M::recvDHparaState, Rule::Forward},
    {0x3B03, &M::receivedJointPara, Rule::Forward},
    {0x3B06, &M::receiveDecareParam, Rule::Forward},
    {0x3B09, &M::receivedEncoderPara, Rule::Forward},
    {0x3C03, &M::receivedUserCoordsCheck, Rule::Forward},
    {0x3C04, &M::receivedUserSuccess, Rule::Forward},
    {0x3C09, &M::receivedUserCoordsReply, Rule::Forward},
    {0x3C0C, &M::receivedCurrentUserCoords, Rule::ForwardIfJson},
    {0x3C0F, &M::receivedUserCoordsNote, Rule::Forward},
    {0x3D03, &M::receivedProRunStatus, Rule::Forward},
    {0x3E03, &M::receivedPresentRobot, Rule::Forward},
    {0x3F03, &M::receivedRobotRange, Rule::Forward},
    {0x3F06, &M::receivedVisionRange, Rule::Forward},
    {0x3F09, &M::receivedInterfereRange, Rule::Forward},
    {0x4003, &M::receivedWeldEquipmentData, Rule::Forward},
    {0x4006, &M::receivedCurVolMatData, Rule::Forward},
    {0x4009, &M::receivedArcsettingData, Rule::Forward},
    {0x400D, &M::receivedWaveweldData, Rule::Forward},
    {0x400F, &M::receiveWaveIUMatch, Rule::Forward},
    {0x4013, &M::receiveWeldIOData, Rule::Forward},
    {0x4016, &M::receiveWeldState, Rule::Forward},
    {0x401C, &M::receiveWeldEnableState, Rule::Forward},
    {0x401F, &M::receivedWelder, Rule::Forward},
    {0x4023, &M::receivedWelderState, Rule::Forward},
    {0x4053, &M::receiveweldintersectionPoint, Rule::Forward},
    {0x4054, &M::receiveWeldintersectionCal, Rule::Forward},
    {0x4057, &M::receiveweldintersectionPara, Rule::Forward},
    {0x4063, &M::receiveOuterWeldTorchParam, Rule::Forward},
    {0x4067, &M::receiveOuterWeldType, Rule::Forward},
    {0x4103, &M::receiveVisionParameter, Rule::ForwardIfNotEmpty},
    {0x4106, &M::receiveVisionPosParameter, Rule::Forward},
    {0x4108, &M::receiveVisionDebugPosList, Rule::Forward},
    {0x4111, &M::receiveVisionPosGesture, Rule::Forward},
    {0x4113, &M::receiveVisionPostrytakephoto, Rule::Forward},
    {0x4115, &M::receiveVisionIp, Rule::Forward},
    {0x4132, &M::receivedLaserParameter, Rule::Forward},
    {0x4135, &M::receivedLaserManufacturer, Rule::Forward},
    {0x4138, &M::receivedTrackParameter, Rule::Forward},
    {0x413B, &M::receivedSearchParameter, Rule::Forward},
    {0x4141, &M::receivedLaserCalibate, Rule::Forward},
    {0x4143, &M::receivedLaserCalibateReCord, Rule::Forward},
    {0x4146, &M::receivedLaserCalibateResult, Rule::Forward},
    {0x4152, &M::receivedArcTrackCOMM, Rule::Forward},
    {0x4155, &M::receivedArcTrackCOMP, Rule::Forward},
    {0x4162, &M::signal_receivedArcSearch, Rule::Forward},
    {0x4182, &M::receiveTCPParameter, Rule::Forward},
    {0x4203, &M::recvPalletToolParameter, Rule::Forward},
    {0x4206, &M::recvPalletTrayParameter, Rule::Forward},
    {0x4209, &M::recvPalletPositionParameter, Rule::Forward},
    {0x420C, &M::recvPalletWorkpieceParameter, Rule::Forward},
    {0x420F, &M::recvPalletApproachParameter, Rule::Forward},
    {0x4212, &M::recvPalletOverlappingModel, Rule::Forward},
    {0x4215, &M::recvPalletPlaneModel, Rule::Forward},
    {0x4217, &M::recvPalletChangeModel, Rule::Forward},
    {0x4219, &M::recvPalletPlanePreview, Rule::Forward},
    {0x421C, &M::recvPalletState, Rule::Forward},
    {0x4223, &M::recvSwitchPalletMode, Rule::Forward},
    {0x4226, &M::recvPalletEasyPositionParameter, Rule::Forward},
    {0x4229, &M::recvPalletEasyToolParameter, Rule::Forward},
    {0x4233, &M::receivePalletData, Rule::Forward},
    {0x4243, &M::recvPalletLocATPara, Rule::Forward},
    {0x4249, &M::recvPieceLocAT, Rule::Forward},
    {0x4303, &M::receiveControlIp, Rule::Forward},
    {0x4306, &M::receiveConntrollerInitState, Rule::Forward},
    {0x4403, &M::receiveChangeIosetData, Rule::Forward},
    {0x4406, &M::receiveLaserTechParam, Rule::Forward},
    {0x4409, &M::receiveChangeLaserAnalog, Rule::Forward},
    {0x440C, &M::receiveCutTechParam, Rule::Forward},
    {0x440F, &M::receiveCurrentState, Rule::Forward},
    {0x4413, &M::receiveShotParameter, Rule::Forward},
    {0x4419, &M::receiveChangeLaserAnalogSet, Rule::Forward},
    {0x4603, &M::receivedPolishPara, Rule::Forward},
    {0x4703, &M::receivedSprayAnalog, Rule::Forward},
    {0x4706, &M::receivedSprayDigital, Rule::Forward},
    {0x4709, &M::receivedSpraySequence, Rule::Forward},
    {0x470C, &M::receivedSprayTrackPara, Rule::Forward},
    {0x4713, &M::receivedSprayHandOperatOne, Rule::Forward},
    {0x4716, &M::receivedSprayHandOperatTwo, Rule::Forward},
    {0x4719, &M::receivedSprayHandOperatThree, Rule::Forward},
    {0x4803, &M::receiveTrackConBasic, Rule::Forward},
    {0x4806, &M::receiveTrackConTool, Rule::Forward},
    {0x4808, &M::receiveTrackSpeed, Rule::Forward},
    {0x4813, &M::receiveCalibrationedPoint, Rule::Forward},
    {0x4817, &M::receiveSensorPos, Rule::Forward},
    {0x4819, &M::receiveCalibrationedSensorPoint, Rule::Forward},
    {0x481D, &M::receiveCalibrationedSensorPos, Rule::Forward},
    {0x4832, &M::rceiveTrackConPos, Rule::Forward},
    {0x4834, &M::receiveCalibrationPos, Rule::Forward},
    {0x5003, &M::receivedChangeRobot, Rule::Forward},
    {0x5013, &M::recriveRobotCycleIndex, Rule::Forward},
    {0x5023, &M::receiveRobotRunningTime, Rule::Forward},
    {0x5033, &M::recriveModbusIoState, Rule::Forward},
    {0x5053, &M::recvControlNumber, Rule::Forward},
    {0x505C, &M::recvSysClock, Rule::Forward},
    {0x5073, &M::recvServoPara, Rule::Forward},
    {0x5083, &M::receivedProSelfStart, Rule::Forward},
    {0x5093, &M::receivehistorycmd, Rule::Forward},
    {0x50A3, &M::receivedRunModeAutoMan, Rule::Forward},
    {0x50B3, &M::receivedSocketState, Rule::Forward},
    {0x5502, &M::receiveUploadAnswer, Rule::Forward},
    {0x5508, &M::receiveFileNamesNeedByDownload, Rule::Forward},
    {0x5533, &M::recvJobSumlist, Rule::Forward},
    {0x5534, &M::recvJobFileList, Rule::Forward},
    {0x5535, &M::recvJobFileInfoFinish, Rule::NoArguments},
    {0x5543, &M::recvControlLoglist, Rule::Forward},
    {0x5603, &M::receiveAllGlobalPosition, Rule::Forward},
    {0x5606, &M::receiveGlobalPosition, Rule::Forward},
    {0x5609, &M::receiveGlobalVariant, Rule::Forward},
    {0x560C, &M::receiveOneGlobalVariant, Rule::Forward},
    {0x5613, &M::receiveLocalVariantPosP, Rule::Forward},
    {0x5616, &M::receiveLocalVariantPosE, Rule::Forward},
    {0x5619, &M::receiveLocalVariantValue, Rule::Forward},
    {0x5703, &M::receivedModbusProgram, Rule::Forward},
    {0x5713, &M::reveivedModbusParameter, Rule::Forward},
    {0x5719, &M::recrivedModbusState, Rule::Forward},
    {0x5723, &M::receivedUploadEnable, Rule::Forward},
    {0x5726, &M::receivedUploadPara, Rule::Forward},
    {0x5729, &M::receivedDAformat, Rule::Forward},
    {0x5733, &M::receivedScrewPara, Rule::Forward},
    {0x5736, &M::receivedScrewIO, Rule::Forward},
    {0x5739, &M::receivedScrewState, Rule::Forward},
    {0x7003, &M::recvOutterAxisPos, Rule::Forward},
    {0x7004, &M::recvOutterAxisState, Rule::Forward},
    {0x7006, &M::receiveOutterAxisCount, Rule::Forward},
    {0x700F, &M::recvSyncPositonerSwitch, Rule::Forward},
    {0x7013, &M::recvCurEXPosition, Rule::Forward},
    {0x7017, &M::recvCOOPERATIVE, Rule::Forward},
    {0x7023, &M::recvOutterJointPara, Rule::Forward},
    {0x7026, &M::receivedOutInchSpeed, Rule::Forward},
    {0x7033, &M::recvOutterZeroPoint, Rule::NoArguments},
    {0x7037, &M::receiveOuterSingleCycle, Rule::Forward},
    {0x7043, &M::recvOutterCalResult, Rule::Forward},
    {0x7103, &M::receivedToolCheckFor20, Rule::Forward},
    {0x7104, &M::receivedCountSuccessFor20, Rule::Forward},
    {0x7106, &M::receiveResetResultToZeroPoint, Rule::Forward},
    {0x7108, &M::receive20PointState, Rule::Forward},
    {0x710B, &M::receive20MarkedPoint, Rule::Forward},
    {0x7204, &M::receivedCountSuccessFor4, Rule::Forward},
    {0x7206, &M::receivedresultForDH, Rule::Forward},
    {0x7303, &M::receivedThreeMouse, Rule::Forward},
    {0x7306, &M::received3DMousePoint, Rule::Forward},
    {0x7309, &M::received3DMouseMark, Rule::Forward},
    {0x7403, &M::receivedDynaPara, Rule::Forward},
    {0x7405, &M::receivedDynaIdentify, Rule::Forward},
    {0x7408, &M::receivedCollision, Rule::Forward},
    {0x740B, &M::receivedCollisionPara, Rule::Forward},
    {0x740E, &M::receivedTorqFeedback, Rule::Forward},
    {0x7503, &M::receivedDragSwitch, Rule::Forward},
    {0x7506, &M::receivedDragPara, Rule::Forward},
    {0x7603, &M::receivedTrackData, Rule::Forward},
    {0x7605, &M::receivedSafeCheck, Rule::Forward},
    {0x7607, &M::receivedIdentificationData, Rule::Forward},
    {0x7608, &M::receivedFinish, Rule::Forward},
    {0x7609, &M::receivedTrackRange, Rule::Forward},
    {0x760A, &M::receivedErrorStop, Rule::Forward},
    {0x7703, &M::receiveBrakeAvoidCrushed, Rule::Forward},
    {0x7706, &M::receiveBrakeAvoidCrushedDelay, Rule::Forward},
    {0x7709, &M::receiveBrakeAvoidCrushedParam, Rule::Forward},
    {0x770C, &M::receiveBrakeAvoidCrushedRecordtorq, Rule::Forward},
    {0x9103, &M::receivedProRunStatus, Rule::TwoSignals},  // then receivedJobStatus
};

constexpr bool sortedByWord() {
    for (std::size_t i = 1; i < std::size(kReports); ++i) {
        if (kReports[i - 1].word >= kReports[i].word)
            return false;
    }
    return true;
}
static_assert(sortedByWord(), "the catalogue must be sorted by word for the binary search");

// The alternative of Report::signal that each rule emits through.
constexpr std::size_t signalKind(Rule rule) {
    switch (rule) {
        case Rule::NoArguments:
            return 1;
        case Rule::OneByte:
            return 2;
        case Rule::Position:
            return 3;
        default:
            return 0;
    }
}

constexpr bool signalsMatchRules() {
    for (const Report& report : kReports) {
        if (report.signal.index() != signalKind(report.rule))
            return false;
    }
    return true;
}
// The dispatch reads the signal through its rule's alternative, so this keeps std::get from
// failing.
static_assert(signalsMatchRules(), "a catalogue signal does not take the arguments of its rule");

}  // namespace

const Report* findReport(quint16 word) {
    const auto* end = std::end(kReports);
    const auto* found = std::lower_bound(std::begin(kReports), end, word,
                                         [](const Report& r, quint16 w) { return r.word < w; });
    return found != end && found->word == word ? found : nullptr;
}

}  // namespace kelvo
