// Reports the library does not read: each reaches one Robot signal with its payload unchanged.

#include "robot/reportroute.h"
#include "robot/robot.h"

// Message-layer signal, Robot slot, Robot signal: one row per report.
#define KELVO_PASS_THROUGH_REPORTS(X)                                                              \
    X(receivedEncoderState, robot_net_slot_EncoderState, robot_mtservo_error)                      \
    X(receivedSingleCycleValue, robot_net_slot_SingleCycleValue, robot_singlevalue)                \
    X(receivedJobfileLine, robot_net_slot_JobfiletoLine, robot_JobfiletoLine)                      \
    X(recriveIoStatus, robot_net_slot_IoStatus, robot_Io_State)                                    \
    X(recriveioparam, robot_net_slot_ioparam, receive_IO_Param)                                    \
    X(recriveMoreRobotResetPosition, robot_net_slot_MoreRobotResetPosition,                        \
      receive_moreRobot_ResetPosition)                                                             \
    X(receivedRunModeAutoMan, robot_net_slot_RunModeAutoMan, robot_runModeAutoMan)                 \
    X(receiveRobotRunningTime, robot_net_slot_runningtime, robot_runningtime_update)               \
    X(receiveIOState, robot_net_slot_DoutState, robot_DoutState_update)                            \
    X(receiveIOFuncState, robot_net_slot_IOFuncState, receive_IOFUNC_state)                        \
    X(receiveFileNamesNeedByDownload, robot_net_slot_FileNamesNeedDownOrUp,                        \
      robot_FileName_Need_DownOrUp)                                                                \
    X(receiveShotParameter, robot_net_slot_shotParameter, robot_change_ShotParameter)              \
    X(receiveCurrentState, robot_net_slot_currentState, robot_change_CurrentState)                 \
    X(receiveControlComCycle, robot_net_slot_ControlComCycle, receive_ControlComCycle)             \
    X(receivedRobotProgramTitle, robot_net_slot_programTitle, robot_programtitle_reflash)          \
    X(receivedSafeCheck, robot_net_slot_SafeCheck, robot_SafeCheck)                                \
    X(receivedIdentificationData, robot_net_slot_IdentificationData, robot_IdentificationData)     \
    X(receivedFinish, robot_net_slot_Finish, robot_Finish)                                         \
    X(receivedErrorStop, robot_net_slot_ErrorStop, robot_ErrorStop)                                \
    X(receivedTrackData, robot_net_slot_TrackData, robot_TrackData)                                \
    X(receivedTrackRange, robot_net_slot_TrackRange, robot_TrackRange)                             \
    X(recvServoPara, robot_net_slot_recvServoPara, receive_servo_Param)                            \
    X(receivehistorycmd, robot_net_slot_receivehistorycmd, receive_his_cmd)                        \
    X(recvSysClock, robot_net_slot_SysClock, robot_ControlSys_Clock)                               \
    X(receivedServoList, robot_net_slot_ServoList, robot_ServoList)                                \
    X(receivedENI, robot_net_slot_ENI, robot_ENI)                                                  \
    X(receivedRobotTypeSlave, robot_net_slot_RobotTypeSlave, robot_RobotTypeSlave)                 \
    X(receivedRobotSyncAxle, robot_net_slot_RobotSyncAxle, robot_RobotSyncAxle)                    \
    X(recvCOOPERATIVE, robot_net_slot_recvCOOPERATIVE, robot_recvCOOPERATIVE)                      \
    X(recvIOConfig, robot_net_slot_IOConfig, robot_IO_config)                                      \
    X(recvJobSumlist, robot_net_slot_JobSumlist, robot_job_Sum_list)                               \
    X(recvJobFileList, robot_net_slot_JobFileList, robot_job_File_list)                            \
    X(recvControlLoglist, robot_net_slot_ControlLogList, robot_ControlLog_list)                    \
    X(recvControlVersion, robot_net_slot_ControlVersion, robot_Rec_ControlVersion)                 \
    X(recvOutterJointPara, robot_net_slot_outterJointPara, robot_outterJoint_para)                 \
    X(receiveOuterSingleCycle, robot_net_slot_OuterSingleCycle, robot_outerSingleCycle)            \
    X(recvOutterAxisPos, robot_net_slot_outterAxisPos, robot_outterAxis_pos)                       \
    X(recvOutterAxisState, robot_net_slot_outterAxisState, robot_outterAxis_state)                 \
    X(recvOutterCalResult, robotNetSlotOutterAxisCalResult, robotOutterAxisCalResult)              \
    X(receivedPosOver, robotNetSlotReceivedPosOver, robotReceivedPosOver)                          \
    X(receivedTrackingError, robotNetSlotReceivedTrackingError, robotReceivedTrackingError)        \
    X(receiveTransCoordPos, robot_net_slot_receiveTransCoordPos, robot_receiveTransCoordPos)       \
    X(receiveSafetySet, robot_net_slot_receiveSafetySet, robot_tool_receiveSafetySet)              \
    X(receivedIODinAlarm, robot_net_slot_receivedIODinAlarm, robot_receivedIODinAlarm)             \
    X(receivedIODoutAlarm, robot_net_slot_receivedIODoutAlarm, robot_receivedIODoutAlarm)          \
    X(receivedIODinPortName, robot_net_slot_receivedIODinPortName, robot_receivedIODinPortName)    \
    X(receivedIODoutPortName, robot_net_slot_receivedIODoutPortName, robot_receivedIODoutPortName) \
    X(receivedIOAIPortName, robot_net_slot_receivedIOAIPortName, robot_receivedIOAIPortName)       \
    X(receivedIOAOPortName, robot_net_slot_receivedIOAOPortName, robot_receivedIOAOPortName)       \
    X(receiveReservationState, robot_net_slot_receiveReservation, robot_receiveReservation)        \
    X(receiveControlIp, robot_net_slot_receiveControlIp, robot_receiveControlIp)                   \
    X(receiveConntrollerInitState, robot_net_slot_receiveConntrollerInitState,                     \
      robot_receiveConntrollerInitState)                                                           \
    X(receiveGlobalVariant, robot_net_slot_receiveGlobalVariant, robot_get_globalVariant)          \
    X(receiveOneGlobalVariant, robot_net_slot_receiveOneGlobalVariant, robot_get_oneglobalVariant) \
    X(receiveAllGlobalPosition, robot_net_slot_receiveAllglobalPosition,                           \
      robot_rec_allGlobalPosition)                                                                 \
    X(receiveGlobalPosition, robot_net_slot_receiveGlobalPosition, robot_rec_globalPosition)       \
    X(receiveLocalVariantPosP, robot_net_slot_receiveLocalVariantPosP,                             \
      robot_receiveLocalVariantPosP)                                                               \
    X(receiveLocalVariantPosE, robot_net_slot_receiveLocalVariantPosE,                             \
      robot_receiveLocalVariantPosE)                                                               \
    X(receiveLocalVariantValue, robot_net_slot_receiveLocalVariantValue,                           \
      robot_receiveLocalVariantValue)                                                              \
    X(receiveCollisionDetectDragTeach, robot_net_slot_receiveCollisionDetectDragTeach,             \
      robot_receiveCollisionDetectDragTeach)                                                       \
    X(receiveClearCollision, robot_net_slot_receiveClearCollision, robot_receiveClearCollision)    \
    X(receivedCollision, robot_net_slot_receivedCollision, robot_collision)                        \
    X(receivedCollisionPara, robot_net_slot_receivedCollisionPara, robot_collisionPara)            \
    X(receivedTorqFeedback, robot_net_slot_receivedTorqFeedback, robot_torqFeedback)               \
    X(receivedDragSwitch, robot_net_slot_receivedDragSwitch, robot_DragSwitch)                     \
    X(receivedDragPara, robot_net_slot_receivedDragPara, robot_DragPara)                           \
    X(receivedDynaPara, robot_net_slot_receivedDynaPara, robot_dynaPara)                           \
    X(receivedDynaIdentify, robot_net_slot_receivedDynaIdentify, robot_dynaIdentify)               \
    X(receivedThreeMouse, robot_net_slot_receivedThreeMouse, robot_threeMouse_para)                \
    X(received3DMousePoint, robot_net_slot_received3DMousePoint, robot_3DMouse_Point)              \
    X(received3DMouseMark, robot_net_slot_received3DMouseMark, robot_3DMouse_Mark)                 \
    X(receiveBrakeAvoidCrushed, robot_net_slot_receiveBrakeAvoidCrushed,                           \
      robot_receiveBrakeAvoidCrushed)                                                              \
    X(receiveBrakeAvoidCrushedDelay, robot_net_slot_receiveBrakeAvoidCrushedDelay,                 \
      robot_receiveBrakeAvoidCrushedDelay)                                                         \
    X(receiveBrakeAvoidCrushedParam, robot_net_slot_receiveBrakeAvoidCrushedParam,                 \
      robot_receiveBrakeAvoidCrushedParam)                                                         \
    X(receiveBrakeAvoidCrushedRecordtorq, robot_net_slot_receiveBrakeAvoidCrushedRecordtorq,       \
      robot_receiveBrakeAvoidCrushedRecordtorq)                                                    \
    X(receivedModbusProgram, robot_net_slot_receivedModbusProgram,                                 \
      robot_receivedModbusProgram_reflash)                                                         \
    X(reveivedModbusParameter, robot_net_slot_receivedModbusParameter,                             \
      robot_receivedModbusParameter)                                                               \
    X(receivedUploadEnable, robot_net_slot_receivedUploadEnable, robot_receivedUploadEnable)       \
    X(receivedUploadPara, robot_net_slot_receivedUploadPara, robot_receivedUploadPara)             \
    X(receivedDAformat, robot_net_slot_receivedDAformat, robot_receivedDAformat)                   \
    X(receiveVisionParameter, robot_net_slot_visionParameter, robot_vision_para)                   \
    X(receiveVisionIp, robot_net_slot_visionIp, robot_vision_ip)                                   \
    X(receiveVisionPosParameter, robot_net_slot_visionPosParameter, robot_visionpos_para)          \
    X(receiveVisionPosGesture, robot_net_slot_visionPosGeture, robot_visionposgesture_para)        \
    X(receiveVisionPostrytakephoto, robot_net_slot_visionPostrytakephoto,                          \
      robot_visionpostrytakephoto_para)                                                            \
    X(receiveVisionDebugPosList, robot_net_slot_receiveVisionDebugPosList,                         \
      robot_receiveVisionDebugPosList)                                                             \
    X(receiveTCPParameter, robot_net_slot_TCPParameter, robot_tcp_para)                            \
    X(receivedLaserParameter, robot_net_slot_LaserParameter, robot_laser_para)                     \
    X(receivedTrackParameter, robot_net_slot_TrackParameter, robot_track_para)                     \
    X(receivedSearchParameter, robot_net_slot_SearchParameter, robot_search_para)                  \
    X(receivedLaserManufacturer, robot_net_slot_LaserManufacturer, robot_laser_Manufacturer)       \
    X(receivedLaserCalibate, robot_net_slot_LaserCalibate, robot_laser_Calibate)                   \
    X(receivedLaserCalibateReCord, robot_net_slot_LaserCalibateReCord, robot_laser_CalibateReCord) \
    X(receivedLaserCalibateResult, robot_net_slot_LaserCalibateResult, robot_laser_CalibateResult) \
    X(receivedArcTrackCOMM, robot_net_slot_ArcTrackCOMM, robot_arc_TrackCOMM)                      \
    X(receivedArcTrackCOMP, robot_net_slot_ArcTrackCOMP, robot_arc_TrackCOMP)                      \
    X(signal_receivedArcSearch, slot_receivedArcSearch, signal_arcSearchPara)                      \
    X(receiveTrackConBasic, robot_net_slot_trackConBasic, robot_trackConBasic_para)                \
    X(receiveTrackConTool, robot_net_slot_trackConTool, robot_trackConTool_para)                   \
    X(receiveCalibrationedPoint, robot_net_slot_trackConCalibration,                               \
      robot_trackConCalibration_para)                                                              \
    X(receiveCalibrationedSensorPoint, robot_net_slot_trackConCaliSensorPoint,                     \
      robot_trackConCaliSensorPoint_para)                                                          \
    X(receiveCalibrationedSensorPos, robot_net_slot_trackConCaliSensorPos,                         \
      robot_trackConCaliSensorPos_para)                                                            \
    X(receiveSensorPos, robot_net_slot_trackConSensorPos, robot_trackConSensorPos_para)            \
    X(rceiveTrackConPos, robot_net_slot_trackConPosr, robot_trackConPosr_para)                     \
    X(receiveCalibrationPos, robot_net_slot_calibrationPos, robot_calibrationPos_para)             \
    X(receiveTrackSpeed, robot_net_slot_trackSpeed, robot_trackSpeed_para)                         \
    X(receiveLaserTechParam, robot_net_slot_receiveLaserTechParam, robot_recLaserTechParam)        \
    X(receiveCutTechParam, robot_net_slot_receiveCutTechParam, robot_recCutTechParam)              \
    X(receiveChangeIosetData, robot_net_slot_receiveChangeIosetData, robot_recLaserChangerIoSet)   \
    X(receiveChangeLaserAnalog, robot_net_slot_receiveChangeLaserAnalog,                           \
      robot_recLaserChangerAnalog)                                                                 \
    X(receiveChangeLaserAnalogSet, robot_net_slot_receiveChangeLaserAnalogSet,                     \
      robot_recLaserChangerAnalogSet)                                                              \
    X(receiveWeldIOData, robot_net_slot_weldIOData, robot_weldIO_data_get)                         \
    X(receiveWaveIUMatch, robot_net_slot_WaveIUMatch, robot_waveweld_IUmatch)                      \
    X(receivedWelder, robot_net_slot_receivedWelder, robot_receivedWelder)                         \
    X(receivedWelderState, robot_net_slot_receivedWelderState, robot_receivedWelderState)          \
    X(receiveWeldEnableState, robot_net_slot_receiveWeldEnableState, robot_weldEnableState)        \
    X(receiveWeldintersectionCal, robot_net_slot_receiveWeldIntersectionCal,                       \
      robot_get_weldIntersectionCal)                                                               \
    X(receiveweldintersectionPoint, robot_net_slot_receiveWeldIntersectionPoint,                   \
      robot_get_weldIntersectionPoint)                                                             \
    X(receiveweldintersectionPara, robot_net_slot_receiveWeldIntersectionPara,                     \
      robot_get_weldIntersectionPara)                                                              \
    X(receiveOuterWeldTorchParam, robot_net_slot_receiveOuterWeldTorchParam,                       \
      robot_receiveOuterWeldTorchParam)                                                            \
    X(receiveOuterWeldType, robot_net_slot_receiveOuterWeldType, robot_receiveOuterWeldType)       \
    X(recvPalletToolParameter, robot_net_slot_palletToolParameter, robot_pallet_ToolParameter)     \
    X(recvPalletEasyToolParameter, robot_net_slot_palleteasyToolParameter,                         \
      robot_palleteasy_ToolParameter)                                                              \
    X(recvSwitchPalletMode, robot_net_slot_switchPalletMode, robot_switchpalletmode)               \
    X(recvPalletTrayParameter, robot_net_slot_palletTrayParameter, robot_pallet_TrayParameter)     \
    X(recvPalletPositionParameter, robot_net_slot_palletPositionParameter,                         \
      robot_pallet_PositionParameter)                                                              \
    X(recvPalletEasyPositionParameter, robot_net_slot_palleteasyPositionParameter,                 \
      robot_palleteasy_PositionParameter)                                                          \
    X(recvPalletWorkpieceParameter, robot_net_slot_palletWorkpieceParameter,                       \
      robot_pallet_WorkpieceParameter)                                                             \
    X(recvPalletApproachParameter, robot_net_slot_palletApproachParameter,                         \
      robot_pallet_ApproachParameter)                                                              \
    X(recvPalletOverlappingModel, robot_net_slot_palletOverlappingModel,                           \
      robot_pallet_OverlappingModel)                                                               \
    X(recvPalletPlaneModel, robot_net_slot_palletPlaneModel, robot_pallet_PlaneModel)              \
    X(recvPalletChangeModel, robot_net_slot_palletChangeModel, robot_pallet_ChangeModel)           \
    X(recvPalletPlanePreview, robot_net_slot_palletPlanePreview, robot_pallet_PlanePreview)        \
    X(recvPalletState, robot_net_slot_palletState, robot_pallet_State)                             \
    X(recvPalletLocATPara, robot_net_slot_palletLocATPara, robot_pallet_LocATPara)                 \
    X(recvPieceLocAT, robot_net_slot_pieceLocAT, robot_piece_LocAT)                                \
    X(receivePalletData, robot_net_slot_receivePalletData, robot_receivePalletData)                \
    X(receivedPolishPara, robot_net_slot_receivePolishPara, robot_Polish_Para)                     \
    X(receivedScrewIO, robot_net_slot_receivedScrewIO, robotReceivedScrewIO)                       \
    X(receivedScrewPara, robot_net_slot_receivedScrewPara, robotReceivedScrewPara)                 \
    X(receivedScrewState, robot_net_slot_receivedScrewState, robotReceivedScrewState)              \
    X(receiveDecareParam, robot_net_slot_DecareParam, robot_Decare_Param)                          \
    X(receivedEncoderPara, robot_net_slot_EncoderPara, robot_EncoderPara)                          \
    X(receivedCountSuccessFor4, robot_net_slot_countSuccessFor4, robot_count_successFor4)          \
    X(receivedresultForDH, robot_net_slot_receivedresultForDH, robot_receivedresultForDH)

#define KELVO_DEFINE_SLOT(report, slot, signal) \
    void Robot::slot(QByteArray data) {         \
        emit signal(data);                      \
    }
KELVO_PASS_THROUGH_REPORTS(KELVO_DEFINE_SLOT)
#undef KELVO_DEFINE_SLOT

void Robot::robot_net_slot_JobFileInfoFinish() {
    emit robot_job_File_Info_Finish();
}

void Robot::robot_net_slot_outterZeroPoint() {
    emit robot_outerZeroPoint();
}

void Robot::routePassThroughReports() {
    TcpConnectModule* from = connection_.data();
#define KELVO_ROUTE(report, slot, signal) {&TcpConnectModule::report, &Robot::slot},
    kelvo::connectRoutes<QByteArray>(from, this, {KELVO_PASS_THROUGH_REPORTS(KELVO_ROUTE)});
#undef KELVO_ROUTE
    kelvo::connectRoutes<>(
        from, this,
        {
            {&TcpConnectModule::recvJobFileInfoFinish, &Robot::robot_net_slot_JobFileInfoFinish},
            {&TcpConnectModule::recvOutterZeroPoint, &Robot::robot_net_slot_outterZeroPoint},
        });
    // The spray reports need no slot: the message-layer signal drives the Robot signal itself.
    kelvo::connectRoutes<QByteArray>(
        from, this,
        {
            {&TcpConnectModule::receivedSprayAnalog, &Robot::robot_Spray_Analog},
            {&TcpConnectModule::receivedSprayDigital, &Robot::robot_Spray_Digital},
            {&TcpConnectModule::receivedSpraySequence, &Robot::robot_Spray_Sequence},
            {&TcpConnectModule::receivedSprayTrackPara, &Robot::robot_Spray_TrackPara},
            {&TcpConnectModule::receivedSprayHandOperatOne, &Robot::robot_Spray_HandOperatOne},
            {&TcpConnectModule::receivedSprayHandOperatTwo, &Robot::robot_Spray_HandOperatTwo},
            {&TcpConnectModule::receivedSprayHandOperatThree, &Robot::robot_Spray_HandOperatThree},
        });
}
