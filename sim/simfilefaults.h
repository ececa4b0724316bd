#pragma once

#include <QStringList>

#include <mutex>

namespace kelvo::sim {

// Faults of the simulated controller's job file service. All off by default.
struct SimFileFaults {
    bool refuseUploads = false;    // file information answered "no"
    bool failUploads = false;      // every uploaded file reported as failed
    bool refuseDownloads = false;  // download requests answered "no"
    bool wrongName = false;        // a download answer confirms another name
    bool sizeMismatch = false;     // a download answer announces one byte more than is sent
    bool stall = false;            // file information and download requests go unanswered
    bool noise = false;            // file information answered by a false frame header alone
    int listCountOffset = 0;       // added to robot 1's count in the job summary
    QStringList extraNames;        // listed for robot 1 besides its files (any text, even hostile)
};

// The faults in force, set from any thread and read by the simulator's.
class SimFileFaultSwitch {
public:
    void set(const SimFileFaults& faults) {
        std::lock_guard<std::mutex> lock(mutex_);
        faults_ = faults;
    }
    SimFileFaults get() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return faults_;
    }

private:
    mutable std::mutex mutex_;
    SimFileFaults faults_;
};

}  // namespace kelvo::sim
