/* A plain C host of the session API: what a C integrator writes. */

#include "sessionhost.h"

#include "kelvo.h"

#include <stdio.h>

int c_host_reads_speed(const char* address, int port, int speed_to_set, char* message,
                       size_t size) {
    int error = KELVO_OK;
    KelvoSession* session = kelvo_open(address, port, 3000, &error);
    if (!session) {
        snprintf(message, size, "kelvo_open: %s", kelvo_strerror(error));
        return error;
    }
    int status = kelvo_set_jogging_speed(session, speed_to_set);
    int speed = -1;
    /* The controller applies the setting before it answers the question sent after it. */
    if (status == KELVO_OK)
        status = kelvo_get_jogging_speed(session, &speed);
    snprintf(message, size, "status %d (%s), speed %d", status, kelvo_strerror(status), speed);
    kelvo_close(session);
    return status == KELVO_OK && speed == speed_to_set ? KELVO_OK : KELVO_ERR_REFUSED;
}
