/* A host built against an installed kelvo: prints the version it was built with, the library's and
 * the file it loaded, then reads the position from the controller at argv[1]. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stdio.h>
#include <string.h>

#include "kelvo.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: consumer ADDR\n");
        return 2;
    }
    Dl_info loaded;
    if (!dladdr((void*)kelvo_version, &loaded) || !loaded.dli_fname)
        return 1;
    printf("header %d.%d.%d\n", KELVO_VERSION_MAJOR, KELVO_VERSION_MINOR, KELVO_VERSION_PATCH);
    printf("library %s\n", kelvo_version());
    printf("loaded %s\n", loaded.dli_fname);

    int error = KELVO_OK;
    KelvoSession* session = kelvo_open(argv[1], 0, 5000, &error);
    if (!session) {
        fprintf(stderr, "kelvo_open: %s\n", kelvo_strerror(error));
        return 1;
    }
    double position[6];
    const int status = kelvo_get_current_position(session, position, 1);
    if (status == KELVO_OK)
        printf("position %.3f %.3f %.3f\n", position[0], position[1], position[2]);
    else
        fprintf(stderr, "kelvo_get_current_position: %s\n", kelvo_strerror(status));
    kelvo_close(session);
    return status == KELVO_OK ? 0 : 1;
}
