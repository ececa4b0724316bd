/* kelvo: remote control of a robot controller over TCP/IP. The library's exported C interface. */
#ifndef KELVO_H
#define KELVO_H

#include <stdbool.h>
#include <stdint.h>

#if defined(_WIN32)
#if defined(KELVO_BUILDING_DLL)
#define KELVO_API __declspec(dllexport)
#else
#define KELVO_API __declspec(dllimport)
#endif
#define KELVO_CALL __cdecl
#else
#define KELVO_API __attribute__((visibility("default")))
#define KELVO_CALL
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* One point of a continuous-motion queue; 200 bytes with natural alignment. */
typedef struct ContinuousMotionPoint {
    double velocity;
    double acc;
    double dec;
    double pl;
    int32_t spin; /* used for point types 4, 6 and 7 */
    double pos[19]; /* 13 values for point types 1 to 4, all 19 for types 5 to 7 */
    int32_t type; /* 1 MOVJ, 2 MOVL, 3 MOVC, 4 MOVCA, 5 MOVJEXT, 6 MOVLEXT, 7 MOVCEXT */
} ContinuousMotionPoint;

#ifdef __cplusplus
}
static_assert(sizeof(ContinuousMotionPoint) == 200, "ContinuousMotionPoint must be 200 bytes");
#else
_Static_assert(sizeof(ContinuousMotionPoint) == 200, "ContinuousMotionPoint must be 200 bytes");
#endif

#endif
