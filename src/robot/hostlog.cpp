#include "robot/hostlog.h"

#include "robot/robotlog.h"

#include <QDebug>
#include <QString>

namespace kelvo {

void writeHostLog(const QByteArray& utf8) {
    qCDebug(lcHostLog) << QString::fromUtf8(utf8);
}

}  // namespace kelvo
