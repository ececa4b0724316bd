#ifndef SESSIONHOST_H
#define SESSIONHOST_H

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Opens a session, sets the jog speed and reads it back; KELVO_OK when the value came back.
 * message gets a line for the test's log. */
int c_host_reads_speed(const char* address, int port, int speed_to_set, char* message,
                       size_t size);

#ifdef __cplusplus
}
#endif

#endif
