#include "instructions/poscalcommand.h"

namespace kelvo {

const POSCALCommand::Layout& POSCALCommand::layout() const {
    static const Layout table{
        {
            {"caltype", &POSCALCommand::caltype},
            {"positionId", &POSCALCommand::positionId},
            {"coord", &POSCALCommand::coord},
            {"axis", &POSCALCommand::axis},
            {"datatype", &POSCALCommand::datatype},
            {"desData", &POSCALCommand::desData},
            {"posidtype", &POSCALCommand::posidtype},
            {"posidname", &POSCALCommand::posidname},
        },
        {
            {90,
             "POS",
             {{"", writeCalculationKind<POSCALCommand>},
              {" ", writePosition<POSCALCommand>},
              {" ", &POSCALCommand::coord},
              {" ", &POSCALCommand::axis},
              {" ", &POSCALCommand::desData}}},
        },
    };
    return table;
}

}  // namespace kelvo
