#pragma once

namespace kelvo::sim {

class SimController;

// One family of command words (heartbeat, later servo, modes, I/O, motion, jobs, files): it
// registers its handlers with the controller and keeps whatever state its messages need.
class SimFamily {
public:
    explicit SimFamily(SimController& controller) : controller_(controller) {}
    virtual ~SimFamily() = default;
    SimFamily(const SimFamily&) = delete;
    SimFamily& operator=(const SimFamily&) = delete;

protected:
    SimController& controller_;
};

}  // namespace kelvo::sim
