#include "instructions/poscalallcommand.h"

namespace kelvo {

const POSCALALLCommand::Layout& POSCALALLCommand::layout() const {
    static const Layout table{
        {
            {"caltype", &POSCALALLCommand::caltype},
            {"positionId", &POSCALALLCommand::positionId},
            {"coord", &POSCALALLCommand::coord},
            {"calData", &POSCALALLCommand::calData},
            {"datatype", &POSCALALLCommand::datatype},
            {"posidtype", &POSCALALLCommand::posidtype},
            {"posidname", &POSCALALLCommand::posidname},
        },
        {
            {137,
             "POS",
             {{"", writeCalculationKind<POSCALALLCommand>},
              {"ALL ", writePosition<POSCALALLCommand>},
              {" ", &POSCALALLCommand::coord},
              {"", writeCalData<POSCALALLCommand>}}},
        },
    };
    return table;
}

}  // namespace kelvo
