#include "pushfamily.h"

namespace kelvo::sim {

PushFamily::PushFamily(SimController& controller, SimCell& cell)
    : CellFamily(controller, cell), timer_(new QTimer(&controller)) {
    timer_->setTimerType(Qt::PreciseTimer);
    QObject::connect(timer_, &QTimer::timeout, timer_, [this] { pushState(); });
}

PushFamily::~PushFamily() {
    delete timer_;
}

bool PushFamily::setRate(int hz) {
    if (hz < 0 || hz > kMaxRate)
        return false;
    if (hz == 0) {
        timer_->stop();
        return true;
    }
    timer_->start(1000 / hz);
    return true;
}

void PushFamily::pushState() {
    cell_.advance();
    for (int robot = 1; robot <= cell_.robotCount(); ++robot) {
        controller_.push(SimReports::kCurrentPosition,
                         SimReports::currentPosition(cell_, robot, coord_));
    }
    coord_ = coord_ == kJointCoord ? kCartesianCoord : kJointCoord;
    controller_.push(SimReports::word(SimReport::Din),
                     SimReports::payload(SimReport::Din, cell_, 0));
}

}  // namespace kelvo::sim
