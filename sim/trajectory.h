#pragma once

#include "armmodel.h"

#include <vector>

namespace kelvo::sim {

// A planned motion: joint waypoints at times from its start, passed through at even speed
// between them.
class Trajectory {
public:
    // Times in ms, ascending, the first 0; one waypoint per time.
    Trajectory(std::vector<double> timesMs, std::vector<Joints> waypoints);

    double durationMs() const { return times_.back(); }
    Joints at(double elapsedMs) const;
    const Joints& end() const { return waypoints_.back(); }
    // Continues with next, which starts where this ends.
    void append(const Trajectory& next);

private:
    std::vector<double> times_;
    std::vector<Joints> waypoints_;
};

}  // namespace kelvo::sim
