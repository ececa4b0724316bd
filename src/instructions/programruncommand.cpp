#include "instructions/programruncommand.h"

namespace kelvo {

namespace {

// programtype 0 means every program, 1 the main one, anything else the named job.
void writeProgram(std::ostream& out, const PROGRAMRUNCommand& run) {
    static constexpr std::array<const char*, 2> programs = {"ALL", "MAIN"};
    const char* program = wordFor(programs, run.programtype, nullptr);
    if (program) {
        out << program;
    } else {
        out << "[$" << run.jobname << "$]";
    }
}

}  // namespace

const PROGRAMRUNCommand::Layout& PROGRAMRUNCommand::layout() const {
    static const Layout table{
        {
            {"programtype", &PROGRAMRUNCommand::programtype},
            {"jobname", &PROGRAMRUNCommand::jobname},
        },
        {
            {108, "PAUSERUN ", {{"", writeProgram}}},
            {109, "CONTINUERUN ", {{"", writeProgram}}},
            {110, "STOPRUN"},
            {116, "RESTARTRUN"},
        },
    };
    return table;
}

}  // namespace kelvo
