#include "instructions/createcommand.h"

#include "instructions/aitocommand.h"
#include "instructions/arccommand.h"
#include "instructions/arctrackcommand.h"
#include "instructions/callcommand.h"
#include "instructions/clkcommand.h"
#include "instructions/cmdnotecommand.h"
#include "instructions/conytrackcommand.h"
#include "instructions/coordcommand.h"
#include "instructions/copyposcommand.h"
#include "instructions/craftlinecommand.h"
#include "instructions/extmovcommand.h"
#include "instructions/forcesetcommand.h"
#include "instructions/gearincommand.h"
#include "instructions/ifcommand.h"
#include "instructions/iocommand.h"
#include "instructions/jumpcommand.h"
#include "instructions/lasercommand.h"
#include "instructions/logical_opcommand.h"
#include "instructions/movcommcommand.h"
#include "instructions/movecommand.h"
#include "instructions/msg_conn_stcommand.h"
#include "instructions/opcommand.h"
#include "instructions/openclosemsgcommand.h"
#include "instructions/palcommand.h"
#include "instructions/parsemsgcommand.h"
#include "instructions/polishcommand.h"
#include "instructions/pos_reachablecommand.h"
#include "instructions/poscalallcommand.h"
#include "instructions/poscalcommand.h"
#include "instructions/printmsgcommand.h"
#include "instructions/programruncommand.h"
#include "instructions/pthreadcommand.h"
#include "instructions/readcommcommand.h"
#include "instructions/readlinearcommand.h"
#include "instructions/readposcommand.h"
#include "instructions/screwcommand.h"
#include "instructions/seamfindcommand.h"
#include "instructions/searchcommand.h"
#include "instructions/sendmsgcommand.h"
#include "instructions/spraycommand.h"
#include "instructions/syssettingcommand.h"
#include "instructions/tigweldcommand.h"
#include "instructions/timercommand.h"
#include "instructions/toffsetcommand.h"
#include "instructions/toolcommand.h"
#include "instructions/trackcommand.h"
#include "instructions/untilcommand.h"
#include "instructions/usercommand.h"
#include "instructions/varcommand.h"
#include "instructions/visioncommand.h"
#include "instructions/waitcommand.h"
#include "instructions/whilecommand.h"

#include <json/value.h>

#include <type_traits>

namespace kelvo {

namespace {

using Creator = std::unique_ptr<Command> (*)(int type);

// Classes with one type code fix it themselves; the others take it.
template <class C>
std::unique_ptr<Command> create(int type) {
    if constexpr (std::is_constructible_v<C, int>) {
        return std::make_unique<C>(type);
    } else {
        return std::make_unique<C>();
    }
}

struct CodeRange {
    int first;
    int last;
    Creator creator;
};

// Type codes 0 to 155; 0, 29, 31, 66, 97 and 111 have no class.
constexpr CodeRange kClasses[] = {
    {1, 6, create<MoveCommand>},           {7, 7, create<TimerCommand>},
    {8, 8, create<WaitCommand>},           {9, 12, create<IFCommand>},
    {13, 14, create<WHILECommand>},        {15, 15, create<CallCommand>},
    {16, 17, create<IOCommand>},           {18, 19, create<AITOCommand>},
    {20, 22, create<IOCommand>},           {23, 27, create<ARCCommand>},
    {28, 28, create<MoveCommand>},         {30, 30, create<SysSettingCommand>},
    {32, 34, create<MoveCommand>},         {35, 40, create<VARCommand>},
    {41, 41, create<FORCESETCommand>},     {42, 46, create<OPCommand>},
    {47, 48, create<COORDCommand>},        {49, 50, create<JUMPCommand>},
    {51, 57, create<MoveCommand>},         {58, 59, create<LASERCommand>},
    {60, 63, create<MoveCommand>},         {64, 65, create<TIGWeldCommand>},
    {67, 67, create<ARCCommand>},          {68, 75, create<PALCommand>},
    {76, 81, create<VisionCommand>},       {82, 83, create<TRACKCommand>},
    {84, 85, create<UNTILCommand>},        {86, 86, create<CRAFTLINECommand>},
    {87, 88, create<PTHREADCommand>},      {89, 89, create<READPOSCommand>},
    {90, 90, create<POSCALCommand>},       {91, 91, create<SENDMSGCommand>},
    {92, 92, create<MSG_CONN_STCommand>},  {93, 93, create<PARSEMSGCommand>},
    {94, 94, create<UserCommand>},         {95, 95, create<ToolCommand>},
    {96, 96, create<IOCommand>},           {98, 98, create<MOVCOMMCommand>},
    {99, 101, create<OPCommand>},          {102, 105, create<CONYTRACKCommand>},
    {106, 106, create<MoveCommand>},       {107, 107, create<READCOMMCommand>},
    {108, 110, create<PROGRAMRUNCommand>}, {112, 113, create<OPENCLOSEMSGCommand>},
    {114, 114, create<COORDCommand>},      {115, 115, create<COPYPOSCommand>},
    {116, 116, create<PROGRAMRUNCommand>}, {117, 117, create<PRINTMSGCommand>},
    {118, 118, create<LOGICAL_OPCommand>}, {119, 123, create<SPRAYCommand>},
    {124, 124, create<CMDNOTECommand>},    {125, 127, create<ClkCommand>},
    {128, 129, create<POLISHCommand>},     {130, 130, create<POS_REACHABLECommand>},
    {131, 136, create<SeamFindCommand>},   {137, 137, create<POSCALALLCommand>},
    {138, 139, create<TOFFSETCommand>},    {140, 140, create<SCREWCommand>},
    {141, 142, create<EXTMOVCommand>},     {143, 144, create<READLINEARCommand>},
    {145, 146, create<GEARINCommand>},     {147, 153, create<SEARCHCommand>},
    {154, 155, create<ARCTRACKCommand>},
};

Creator creatorFor(int type) {
    for (const CodeRange& range : kClasses) {
        if (type >= range.first && type <= range.last) {
            return range.creator;
        }
    }
    return nullptr;
}

}  // namespace

std::unique_ptr<Command> createCommand(const Json::Value& json) {
    try {
        const int type = json["type"].asInt();
        const Creator creator = creatorFor(type);
        if (!creator) {
            return nullptr;
        }
        std::unique_ptr<Command> command = creator(type);
        command->fromJson(json);
        return command;
    } catch (const Json::Exception&) {
        return nullptr;
    }
}

}  // namespace kelvo
