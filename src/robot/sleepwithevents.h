#pragma once

namespace kelvo {

// Waits ms milliseconds while the calling thread keeps delivering its Qt events, in slices of at
// most 100 ms. Measured on the monotonic clock, so a change of the time of day cannot stretch it.
// Without an application object there are no events to deliver and it simply sleeps.
void sleepWithEvents(int ms);

}  // namespace kelvo
