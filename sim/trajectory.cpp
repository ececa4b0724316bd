#include "trajectory.h"

#include <algorithm>
#include <utility>

namespace kelvo::sim {

Trajectory::Trajectory(std::vector<double> timesMs, std::vector<Joints> waypoints)
    : times_(std::move(timesMs)), waypoints_(std::move(waypoints)) {}

Joints Trajectory::at(double elapsedMs) const {
    if (elapsedMs <= 0)
        return waypoints_.front();
    const auto after = std::upper_bound(times_.begin(), times_.end(), elapsedMs);
    if (after == times_.end())
        return waypoints_.back();
    const auto i = static_cast<size_t>(after - times_.begin());
    const double span = times_[i] - times_[i - 1];
    const double s = span > 0 ? (elapsedMs - times_[i - 1]) / span : 1.0;
    Joints joints;
    for (int axis = 0; axis < kArmAxes; ++axis)
        joints[axis] =
            waypoints_[i - 1][axis] + s * (waypoints_[i][axis] - waypoints_[i - 1][axis]);
    return joints;
}

void Trajectory::append(const Trajectory& next) {
    const double offset = durationMs();
    for (size_t i = 1; i < next.times_.size(); ++i) {
        times_.push_back(offset + next.times_[i]);
        waypoints_.push_back(next.waypoints_[i]);
    }
}

}  // namespace kelvo::sim
