#include "instructions/searchcommand.h"

namespace kelvo {

const SEARCHCommand::Layout& SEARCHCommand::layout() const {
    static const Layout table{
        {
            {"position1Id", &SEARCHCommand::position1Id},
            {"position2Id", &SEARCHCommand::position2Id},
            {"position3Id", &SEARCHCommand::position3Id},
            {"position4Id", &SEARCHCommand::position4Id},
            {"positionOutId", &SEARCHCommand::positionOutId},
            {"ID", &SEARCHCommand::ID},
            {"tableID", &SEARCHCommand::tableID},
            {"senseType", &SEARCHCommand::senseType},
            {"pointEffet", &SEARCHCommand::pointEffet},
            {"artifactType", &SEARCHCommand::artifactType},
            {"calculType", &SEARCHCommand::calculType},
            {"coordNum", &SEARCHCommand::coordNum},
            {"velocity", &SEARCHCommand::velocity},
            {"pl", &SEARCHCommand::pl},
            {"acc", &SEARCHCommand::acc},
            {"delay", &SEARCHCommand::delay},
        },
        {
            {147,
             "SEARCH_START ID = ",
             {{"", &SEARCHCommand::ID}, {" TYPE = ", &SEARCHCommand::senseType}}},
            {148, "SEARCH_STATIC ID = ", {{"", &SEARCHCommand::ID}}},
            {149,
             "SEARCH_DYNAMIC ",
             {{"ID = ", &SEARCHCommand::ID},
              {" TYPE = ", &SEARCHCommand::senseType},
              {" V = ", &SEARCHCommand::velocity},
              {" ACC = ", &SEARCHCommand::acc}}},
            {150,
             "SEARCH_CALC PART = ",
             {{"", &SEARCHCommand::artifactType}, {" TYPE = ", &SEARCHCommand::calculType}}},
            {151, "SEARCH_END ID = ", {{"", &SEARCHCommand::ID}}},
            {152, "SEARCH_OFFSET ", {{"", &SEARCHCommand::tableID}}},
            {153, "SEARCH_OFFSETEND"},
        },
    };
    return table;
}

}  // namespace kelvo
