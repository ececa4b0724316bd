#pragma once

#include "cellfamily.h"

#include <QTimer>

namespace kelvo::sim {

// Motion: the moves 0x4501 (joint), 0x4502 (linear) and 0x4503 (arc, full circle), jogging
// 0x2901 and its stop 0x2902, and the position queries 0x2F07 and 0x7012. A tick carries motion
// forward and reports each robot that moved; jogging stops when the last client goes.
class MotionFamily : public CellFamily {
public:
    MotionFamily(SimController& controller, SimCell& cell);
    ~MotionFamily() override;

    static constexpr int kTickMs = 100;

private:
    void move(const QByteArray& payload, MoveRequest::Kind kind);

    QTimer* ticker_;  // a child of the controller, so it lives in the controller's thread
    QMetaObject::Connection lastClientGone_;
};

}  // namespace kelvo::sim
