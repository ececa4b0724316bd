#pragma once

#include "instructions/positioncommand.h"

#include <string>

namespace kelvo {

// Every motion instruction: joint, linear and circular moves, their external-axis and dual-robot
// forms, CIL, IMOV and SAMOV, the laser-cutting shapes and the polishing edge. The type code picks
// the text and whether a position is read (never for the CIL starts 51 and 52).
// A code outside the motion codes keeps the tail of the text and writes "///" as its head.
class MoveCommand : public PositionCommand<MoveCommand> {
public:
    using PositionCommand::PositionCommand;

    // The position alone, {"RobotPos": {...}}, or a null value when there is none.
    virtual Json::Value robotPosJson() const;

    // The position name: the character in bits 16 to 23 of positionId, then the number in bits 0 to
    // 15 with at least three digits (P001, P1234). The character is written whatever its code.
    std::string positionName() const;
    // The number part of the position name alone.
    std::string positionNumber() const;

    double velocity = 0.0;
    // Index into velocityUnitText.
    int vUnit = 0;
    double acc = 0.0;
    double dec = 0.0;
    double pl = 0.0;
    double radius = 0.0;
    double side = 0.0;
    double length = 0.0;
    double width = 0.0;
    double margin = 0.0;
    int spin = 0;
    int sync = 0;
    int positionId = 0;
    std::string imovecoord = "UF";
    // The ID of the CIL moves.
    int para = 0;
    int polish = 0;
    int polishID = 1;
    double polishAngle = 0.0;

protected:
    const Layout& layout() const override;
    void writeText(std::ostream& out) const override;
    bool readsPosition() const override;

private:
    void writeTail(std::ostream& out) const;
};

}  // namespace kelvo
