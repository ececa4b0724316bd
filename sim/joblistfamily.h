#pragma once

#include "simfamily.h"
#include "simfilefaults.h"
#include "simjobstore.h"

class QTcpSocket;

namespace kelvo::sim {

// 0x5532 on the control port (the job lists, asked for by a synchronisation) is answered from the
// job store: the summary 0x5533, one list 0x5534 per robot with each file's MD5, then 0x5535. In
// chaos mode some answers name hostile files and counts.
class JobListFamily : public SimFamily {
public:
    JobListFamily(SimController& controller, const SimJobStore& store,
                  const SimFileFaultSwitch& faults);

private:
    void answerHostile(QTcpSocket* client);

    const SimJobStore& store_;
    const SimFileFaultSwitch& faults_;
};

}  // namespace kelvo::sim
