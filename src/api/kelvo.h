/** @file
 * kelvo: remote control of a robot controller over TCP/IP. The library's exported C interface.
 *
 * Every call acts on the robot the controller has selected. Before the first connect_robot every
 * other call returns at once: it sends nothing and writes no output array. Requests send one frame
 * and return at once (while the link is down the frame is dropped). Queries send a question, wait
 * for the controller's answer (see set_reply_timeout, and "Answers" under Sessions) and return the
 * values it carried; unanswered, a flat query returns the library's cache of the controller
 * state. Arrays are caller-owned; each call touches exactly the elements named. */
#ifndef KELVO_H
#define KELVO_H

#include <stdbool.h>
#include <stddef.h>
#include <stdint.h>

#include "kelvo_version.h"

/** @cond internal */
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
/** @endcond */

#ifdef __cplusplus
extern "C" {
#endif

/** One point of a continuous-motion queue; 200 bytes with natural alignment. */
typedef struct ContinuousMotionPoint {
    double velocity; /**< the instruction's velocity */
    double acc;      /**< the instruction's acceleration (ACC) */
    double dec;      /**< the instruction's deceleration (DEC) */
    double pl;       /**< the instruction's position level (PL) */
    int32_t spin;    /**< used for point types 4, 6 and 7 */
    double pos[19];  /**< 13 values for point types 1 to 4, all 19 for types 5 to 7 */
    int32_t type;    /**< 1 MOVJ, 2 MOVL, 3 MOVC, 4 MOVCA, 5 MOVJEXT, 6 MOVLEXT, 7 MOVCEXT */
} ContinuousMotionPoint;

/** The text show_log writes: its first field points to NUL-terminated UTF-8 text (the layout of a
 * standard-library string object). */
typedef struct LogText {
    const char* text; /**< NUL-terminated UTF-8 text */
} LogText;

/** The library's version, "MAJOR.MINOR.PATCH"; a host built against other headers compares it with
 * KELVO_VERSION_STRING. Static text, never NULL. */
KELVO_API const char* KELVO_CALL kelvo_version(void);

/** @name Connection, servo power, jogging, log */
/** @{ */

/** Connects to the controller at ip (port 6000); true once the link is up, false after about 5 s
 * (the link then stays stopped). Only the first call does anything; later calls return false. */
KELVO_API bool KELVO_CALL connect_robot(const char* ip);
/** Whether the link to the controller is up now: a query made while it is down returns cached
 * values. */
KELVO_API bool KELVO_CALL is_connected(void);
/** How long a query waits for the controller's answer, in ms (default 3000; 0 waits without limit;
 * negative values are ignored). When the wait ends unanswered the query returns cached values. */
KELVO_API void KELVO_CALL set_reply_timeout(int ms);
/** Switches the servo power on; 1 when the controller's answer reports servo status 1, else 0
 * (also when the link is down or no answer comes in time). */
KELVO_API int KELVO_CALL servo_power_on(void);
/** Releases the enabling switch (teach mode, servo ready or running only). */
KELVO_API void KELVO_CALL servo_power_off(void);
/** Starts jogging axis 1 to 12 (8 to 12: external axes) in the positive or negative direction. */
KELVO_API void KELVO_CALL start_jogging(int axis, bool positive);
/** Stops jogging axis. */
KELVO_API void KELVO_CALL stop_jogging(int axis);
/** Writes message->text to the library's debug log. */
KELVO_API void KELVO_CALL show_log(const LogText* message);

/** @} */

/** @name I/O */
/** @{ */

/** Sets digital output port to status. */
KELVO_API void KELVO_CALL set_dout(int port, int status);
/** Sets analog output port to value (finite values only). */
KELVO_API void KELVO_CALL set_aout(int port, double value);
/** Reads the 16 digital outputs into out[0..15]. */
KELVO_API void KELVO_CALL get_dout(double* out);
/** Reads the 16 digital inputs into out[0..15]. */
KELVO_API void KELVO_CALL get_din(double* out);
/** Reads the 16 analog outputs into out[0..15]. */
KELVO_API void KELVO_CALL get_aout(double* out);
/** Reads the 16 analog inputs into out[0..15]. */
KELVO_API void KELVO_CALL get_ain(double* out);

/** @} */

/** @name State and positions */
/** @{ */

/** The program running state (2: a job runs); -1 before connect_robot. */
KELVO_API int KELVO_CALL get_robot_running_state(void);
/** Reads the current position in coordinate system coord (0 joint, 1 Cartesian, 2 tool, 3 user)
 * into out[0..5]. */
KELVO_API void KELVO_CALL get_current_position(double* out, int coord);
/** Reads the external-axis joint positions into out[0..4]. */
KELVO_API void KELVO_CALL get_current_sync_position(double* out);

/** @} */

/** @name Motion (targets must be finite; otherwise nothing is sent) */
/** @{ */

/** Joint move to pos[0..5] at speed vel; coord is the coordinate system of pos. */
KELVO_API void KELVO_CALL robot_movj(const double* pos, int vel, int coord);
/** Linear move to pos[0..5]. */
KELVO_API void KELVO_CALL robot_movl(const double* pos, int vel, int coord);
/** Circular move along the arc through p1, p2 and p3 (6 values each). */
KELVO_API void KELVO_CALL robot_movc(const double* p1, const double* p2, const double* p3, int vel,
                                     int coord);
/** Full circle through p1, p2 and p3 (6 values each). */
KELVO_API void KELVO_CALL robot_movca(const double* p1, const double* p2, const double* p3, int vel,
                                      int coord);

/** @} */

/** @name Jobs and continuous motion (none of these waits for an answer) */
/** @{ */

/** Starts the job stored on the controller under name (NUL-terminated UTF-8) at its first line.
 * Sends nothing while a job runs (running state 2), while the servo is stopped (status 0) or
 * when name is null. */
KELVO_API void KELVO_CALL run_job(const char* name);
/** Stops the running job; sends nothing unless the running state is 2. The request names the robot
 * the controller has selected, as every other call does (also while a base robot is selected). */
KELVO_API void KELVO_CALL stop_job(void);
/** open == 1 opens continuous-motion mode; any other value closes it and switches the controller
 * to teach mode. */
KELVO_API void KELVO_CALL continuous_motion_mode(int open);
/** Sends points[0..count-1] as one queue: each point of type 1 to 7 becomes a motion instruction
 * at its index, points of other types are left out. Nothing is sent when points is null (and
 * count is not 0), when a value the point's type uses is not finite, or when the queue would not
 * fit one frame (65535 bytes of JSON: 100 to 170 points, by their values). */
KELVO_API void KELVO_CALL send_continuous_motion_queue(const ContinuousMotionPoint* points,
                                                       unsigned int count);

/** @} */

/** @name Operation mode, jog coordinate system, jog speed */
/** @{ */

/** Sets the jog speed: 0 to 100 percent, 101 to 103 inching steps; clamped to 0..103. */
KELVO_API void KELVO_CALL set_jogging_speed(int speed);
/** The jog speed code; -1 before connect_robot. */
KELVO_API int KELVO_CALL get_jogging_speed(void);
/** Sets the operation mode: 0 teach, 1 remote, 2 run. */
KELVO_API void KELVO_CALL set_current_mode(int mode);
/** The operation mode code; -1 before connect_robot. */
KELVO_API int KELVO_CALL get_current_mode(void);
/** Sets the jog coordinate system: 0 joint, 1 Cartesian, 2 tool, 3 user. */
KELVO_API void KELVO_CALL set_current_coord(int coord);
/** The jog coordinate system code, 0 to 255; -1 before connect_robot. */
KELVO_API int KELVO_CALL get_current_coord(void);

/** @} */

/** @name Job files: robotJob/R1 to R4 beside the host program */
/** @{ */

/** Uploads every job file of robotJob/R1 to R4 to the controller, robot by robot, newest first.
 * Returns once the transfer connection is being set up; the files follow once it is up (within
 * 1 s, else the upload fails). Refused while an upload runs. */
KELVO_API void KELVO_CALL upload_job(void);
/** Brings robotJob/R1 to R4 in line with the controller's job files and returns at once. */
KELVO_API void KELVO_CALL sync_jobs(void);

/** @} */

/** @name Sessions: several controllers in one process, a status from every call

 *
 * A session is one controller link with its own robot selection, reply timeout, job directory and
 * file transfer. Every session call returns KELVO_OK (0) or a negative KELVO_ERR_ code; outputs are
 * written only on KELVO_OK, so a query never returns a stale value silently. Each flat call above
 * has a session form: kelvo_ plus its name, the session first, then the same parameters; a value
 * the flat call returns comes through an int* last instead, and bool parameters are int (non-zero
 * is true). connect_robot and show_log have none. The flat calls act on kelvo_default_session().
 * Where a flat call clamps or sends a value as given, its session form returns KELVO_ERR_INVALID
 * for a coordinate system, mode or jog speed this header does not define.
 *
 * Answers. Every query goes out with a heartbeat (0x7266) right behind it, in the same write: a
 * fence. The query is answered by the last readable report of its kind (and robot, and coordinate
 * system) that arrived after it was asked and before the controller's reply to its fence (0x7267),
 * or, if none did, by the next such report; at its reply timeout, a query still waiting for that
 * reply takes the report it holds. Its values are the report's own, also where the cache does not
 * keep them. This assumes the controller answers a query before it replies to a heartbeat it read
 * later. When a controller proves otherwise (more replies than heartbeats, heartbeats echoed back,
 * or a heartbeat unanswered for 1666 ms), fences are off for the rest of that connection, logged
 * once, and a query is answered by the first report of its kind that arrives after it was asked,
 * the oldest waiting query first; kelvo_set_fences(s, 0) chooses that for a session. A report that
 * cannot be read (not JSON, a member of the wrong type) answers no session query: it waits for a
 * readable one until its reply timeout; a flat query returns the cache at once.
 *
 * Threads: every call may be made from any thread, on the same session or on different ones.
 * kelvo_close may be called while other threads wait in calls on that session: they return
 * KELVO_ERR_CLOSED. No call may use a session once kelvo_close on it has begun.
 * @{ */
/** A session: one controller link, opened by kelvo_open() and ended by kelvo_close(). */
typedef struct KelvoSession KelvoSession;

/** Success; any other status is a negative KELVO_ERR_ code. */
#define KELVO_OK 0
#define KELVO_ERR_INVALID (-1) /**< null pointer, value out of range or not finite, bad address */
#define KELVO_ERR_NOT_CONNECTED \
    (-2)                       /**< link down, nothing sent; or no link within kelvo_open's time */
#define KELVO_ERR_TIMEOUT (-3) /**< no answer within the reply timeout */
#define KELVO_ERR_REFUSED (-4) /**< the state forbids it, or the controller said no */
#define KELVO_ERR_BUSY (-5)    /**< a transfer already runs, or pull and push events were mixed */
#define KELVO_ERR_TOO_LARGE (-6) /**< a queue does not fit one frame */
#define KELVO_ERR_CLOSED (-7)    /**< the session was closed */
#define KELVO_ERR_IO (-8)        /**< a local job directory or file could not be read or written */

/** A short English text for a code; never NULL. */
KELVO_API const char* KELVO_CALL kelvo_strerror(int code);
/** Opens a link to the controller at ip:port (0: 6000). The first attempt starts at once and the
 * link is retried until timeout_ms (<= 0: 5000) has passed; returns as soon as it is up. On failure
 * returns NULL and writes KELVO_ERR_INVALID (malformed address, at once) or
 * KELVO_ERR_NOT_CONNECTED to *error when error is not NULL. */
KELVO_API KelvoSession* KELVO_CALL kelvo_open(const char* ip, int port, int timeout_ms, int* error);
/** Stops the link and any transfer, joins the session's threads and frees it; NULL is ignored.
 * A running event handler is let finish first (its calls into the session return
 * KELVO_ERR_CLOSED); from inside the handler see the events below. */
KELVO_API void KELVO_CALL kelvo_close(KelvoSession* session);
/** The session connect_robot made; NULL before it. */
KELVO_API KelvoSession* KELVO_CALL kelvo_default_session(void);
/** The controller's file transfer port (default 5000); KELVO_ERR_BUSY while a transfer connects,
 * runs or waits for the controller's answer. */
KELVO_API int KELVO_CALL kelvo_set_transfer_port(KelvoSession* session, int port);
/** The folder holding robotJob/R1 to R4 (default: the host program's folder). */
KELVO_API int KELVO_CALL kelvo_set_job_dir(KelvoSession* session, const char* dir);

/** Session form of is_connected(): *connected is 1 while the link is up, else 0. */
KELVO_API int KELVO_CALL kelvo_is_connected(KelvoSession* session, int* connected);
/** Session form of set_reply_timeout(): how long this session's queries wait, in ms. */
KELVO_API int KELVO_CALL kelvo_set_reply_timeout(KelvoSession* session, int ms);
/** Heartbeat fences behind queries (see "Answers" above): 1 on (the default), 0 off. */
KELVO_API int KELVO_CALL kelvo_set_fences(KelvoSession* session, int on);
/** *status: the servo status the controller reported (1: on). */
KELVO_API int KELVO_CALL kelvo_servo_power_on(KelvoSession* session, int* status);
/** Session form of servo_power_off(). */
KELVO_API int KELVO_CALL kelvo_servo_power_off(KelvoSession* session);
/** KELVO_ERR_REFUSED unless the servo runs (status 3). */
KELVO_API int KELVO_CALL kelvo_start_jogging(KelvoSession* session, int axis, int positive);
/** Session form of stop_jogging(). */
KELVO_API int KELVO_CALL kelvo_stop_jogging(KelvoSession* session, int axis);
/** Session form of set_dout(). */
KELVO_API int KELVO_CALL kelvo_set_dout(KelvoSession* session, int port, int status);
/** Session form of set_aout(). */
KELVO_API int KELVO_CALL kelvo_set_aout(KelvoSession* session, int port, double value);
/** Session form of get_dout(): out[0..15]. */
KELVO_API int KELVO_CALL kelvo_get_dout(KelvoSession* session, double* out);
/** Session form of get_din(): out[0..15]. */
KELVO_API int KELVO_CALL kelvo_get_din(KelvoSession* session, double* out);
/** Session form of get_aout(): out[0..15]. */
KELVO_API int KELVO_CALL kelvo_get_aout(KelvoSession* session, double* out);
/** Session form of get_ain(): out[0..15]. */
KELVO_API int KELVO_CALL kelvo_get_ain(KelvoSession* session, double* out);
/** Session form of get_robot_running_state(). */
KELVO_API int KELVO_CALL kelvo_get_robot_running_state(KelvoSession* session, int* state);
/** Session form of get_current_position(): out[0..5]. */
KELVO_API int KELVO_CALL kelvo_get_current_position(KelvoSession* session, double* out, int coord);
/** Session form of get_current_sync_position(): out[0..4]. */
KELVO_API int KELVO_CALL kelvo_get_current_sync_position(KelvoSession* session, double* out);
/** Session form of robot_movj(). */
KELVO_API int KELVO_CALL kelvo_robot_movj(KelvoSession* session, const double* pos, int vel,
                                          int coord);
/** Session form of robot_movl(). */
KELVO_API int KELVO_CALL kelvo_robot_movl(KelvoSession* session, const double* pos, int vel,
                                          int coord);
/** Session form of robot_movc(). */
KELVO_API int KELVO_CALL kelvo_robot_movc(KelvoSession* session, const double* p1, const double* p2,
                                          const double* p3, int vel, int coord);
/** Session form of robot_movca(). */
KELVO_API int KELVO_CALL kelvo_robot_movca(KelvoSession* session, const double* p1,
                                           const double* p2, const double* p3, int vel, int coord);
/** KELVO_ERR_REFUSED while a job runs or the servo is stopped. */
KELVO_API int KELVO_CALL kelvo_run_job(KelvoSession* session, const char* name);
/** KELVO_ERR_REFUSED unless a job runs. */
KELVO_API int KELVO_CALL kelvo_stop_job(KelvoSession* session);
/** Session form of continuous_motion_mode(). */
KELVO_API int KELVO_CALL kelvo_continuous_motion_mode(KelvoSession* session, int open);
/** Session form of send_continuous_motion_queue(); KELVO_ERR_TOO_LARGE when the queue does not fit
 * one frame. */
KELVO_API int KELVO_CALL kelvo_send_continuous_motion_queue(KelvoSession* session,
                                                            const ContinuousMotionPoint* points,
                                                            unsigned int count);
/** Session form of set_jogging_speed(). */
KELVO_API int KELVO_CALL kelvo_set_jogging_speed(KelvoSession* session, int speed);
/** Session form of get_jogging_speed(). */
KELVO_API int KELVO_CALL kelvo_get_jogging_speed(KelvoSession* session, int* speed);
/** Session form of set_current_mode(). */
KELVO_API int KELVO_CALL kelvo_set_current_mode(KelvoSession* session, int mode);
/** Session form of get_current_mode(). */
KELVO_API int KELVO_CALL kelvo_get_current_mode(KelvoSession* session, int* mode);
/** Session form of set_current_coord(). */
KELVO_API int KELVO_CALL kelvo_set_current_coord(KelvoSession* session, int coord);
/** Session form of get_current_coord(). */
KELVO_API int KELVO_CALL kelvo_get_current_coord(KelvoSession* session, int* coord);
/** Both return once the transfer has started: KELVO_OK, or KELVO_ERR_BUSY, NOT_CONNECTED or IO. */
KELVO_API int KELVO_CALL kelvo_upload_job(KelvoSession* session);
/** Session form of sync_jobs(); returns as kelvo_upload_job() does. */
KELVO_API int KELVO_CALL kelvo_sync_jobs(KelvoSession* session);

/** @} */

/** @name Beyond the flat calls */
/** @{ */
/** *status: the servo status the controller reports (0 stopped, 1 ready, 2 alarm, 3 running). */
KELVO_API int KELVO_CALL kelvo_get_servo_status(KelvoSession* session, int* status);
/** Clears the alarm with number code (values[0] of its ALARM event). */
KELVO_API int KELVO_CALL kelvo_clear_alarm(KelvoSession* session, int code);
/** Clears every alarm. */
KELVO_API int KELVO_CALL kelvo_clear_all_alarms(KelvoSession* session);
/** Sends stop-jogging (0x2902) for axis: a controller ends a jog of that axis, or any move. */
KELVO_API int KELVO_CALL kelvo_stop_move(KelvoSession* session, int axis);
/** *tool: the number of the tool in use. */
KELVO_API int KELVO_CALL kelvo_get_tool(KelvoSession* session, int* tool);

/** @} */

/** @name Events: what the controller pushes, by push or by pull

 *
 * Every report a host may want to hear of becomes one event, in the order reports arrive, whether
 * or not it changed anything; events are queued from the moment the session exists. The queue is
 * bounded, to 1024 events and about 4 MiB per session: when full it drops the oldest POSITION and
 * IO events first, then other kinds but LINK, ALARM and TRANSFER, and says what it dropped with
 * one KELVO_EVENT_OVERFLOW event. LINK, ALARM and TRANSFER events go only past 4096 events or
 * 4 MiB, and then the oldest first, after every kept alarm has been cut down to its text and
 * values.
 *
 * Push: the handler runs on a thread of the session's own that holds no library lock, so it may
 * call any export, waiting queries included; a slow handler never stalls the link.
 * kelvo_set_event_handler(s, NULL, NULL) returns once a running delivery has finished, after which
 * the handler is never called again, or KELVO_ERR_CLOSED when a close of s began meanwhile;
 * called from inside the handler it returns at once and takes effect when that delivery ends.
 * kelvo_close from inside the handler returns at once and is carried out when the handler
 * returns. kelvo_next_event from inside the handler returns KELVO_ERR_BUSY.
 * Pull: kelvo_next_event; values and text stay valid until the same thread's next
 * kelvo_next_event on that session. Flat-API hosts use kelvo_default_session().
 * @{ */
#define KELVO_EVENT_LINK 1     /**< code 1 up, 0 down; text: the reason */
#define KELVO_EVENT_SERVO 2    /**< code: servo status */
#define KELVO_EVENT_MODE 3     /**< code: operation mode */
#define KELVO_EVENT_COORD 4    /**< code: jog coordinate system */
#define KELVO_EVENT_SPEED 5    /**< code: jog speed */
#define KELVO_EVENT_RUNNING 6  /**< code: program running state */
#define KELVO_EVENT_ROBOT 7    /**< the robot selection changed: robot, code the selection mode */
#define KELVO_EVENT_POSITION 8 /**< code: coordinate system; values: the position as reported */
#define KELVO_EVENT_IO 9       /**< code: KELVO_IO_...; values: every value the report carried */
#define KELVO_EVENT_ALARM 10   /**< code: KELVO_ALARM_...; text; values[0]: the alarm number */
#define KELVO_EVENT_TRANSFER \
    11 /**< code: KELVO_TRANSFER_...; text: file; values: bytes done, total */
#define KELVO_EVENT_OVERFLOW 12 /**< count: how many events were dropped */

/** IO event codes: which array the values are. */
#define KELVO_IO_DOUT 0 /**< digital outputs */
#define KELVO_IO_DIN 1  /**< digital inputs */
#define KELVO_IO_AOUT 2 /**< analog outputs */
#define KELVO_IO_AIN 3  /**< analog inputs */
/** ALARM event codes: the severity. */
#define KELVO_ALARM_ERROR 0   /**< an error */
#define KELVO_ALARM_WARNING 1 /**< a warning */
#define KELVO_ALARM_INFO 2    /**< a notice */
/** TRANSFER event codes: the step. */
#define KELVO_TRANSFER_STARTED 0  /**< started */
#define KELVO_TRANSFER_PROGRESS 1 /**< bytes done so far */
#define KELVO_TRANSFER_FINISHED 2 /**< done */
#define KELVO_TRANSFER_FAILED 3   /**< failed; text names the file */

/** One report of the controller, or a change of the link (see the kinds). */
typedef struct KelvoEvent {
    int kind;  /**< KELVO_EVENT_... */
    int robot; /**< the robot the report names; 0 when none */
    int code;  /**< by kind: the new state, mode, coordinate system, speed, severity... */
    int count; /**< number of values */
    const double* values; /**< see the kinds; NULL when count is 0 */
    const char* text;     /**< UTF-8 text (alarm text, file name, reason) or NULL */
    double time;          /**< when the library received it: seconds since the Unix epoch */
} KelvoEvent;
/** Receives every event once a handler is set; see kelvo_set_event_handler(). */
typedef void (*KelvoEventHandler)(const KelvoEvent* event, void* user);

/** Delivers every event to handler(event, user) from now on; NULL stops delivery. */
KELVO_API int KELVO_CALL kelvo_set_event_handler(KelvoSession* session, KelvoEventHandler handler,
                                                 void* user);
/** The next event, waiting up to timeout_ms (0 polls, negative waits for ever): KELVO_OK,
 * KELVO_ERR_TIMEOUT, KELVO_ERR_CLOSED, or KELVO_ERR_BUSY while a handler is set. */
KELVO_API int KELVO_CALL kelvo_next_event(KelvoSession* session, KelvoEvent* event, int timeout_ms);
/** The last ALARM event the session received, whether or not it was pulled or delivered, so that a
 * failed call can be told with the controller's reason; kind 0 when none has come. Always KELVO_OK
 * for an open session. Values and text stay valid until the same thread's next kelvo_last_alarm on
 * that session. */
KELVO_API int KELVO_CALL kelvo_last_alarm(KelvoSession* session, KelvoEvent* event);

/** @} */

/** @name The flight recorder

 * Every session, the default one included, keeps its last frames of the control and transfer
 * links in both directions, with the link events between them (connect, loss, silence, CRC
 * errors, skipped bytes). Payloads are kept up to 4 KiB each. With the environment variable
 * KELVO_TRACE_DIR set, a dump is written there on every link loss and at close (at most 20 files
 * per process, the oldest replaced).
 * @{ */
/** How many frames and events are kept (default 2000, at most 100000); 0 turns recording off. */
KELVO_API int KELVO_CALL kelvo_set_trace_size(KelvoSession* session, int frames);
/** Writes the record to path as JSON Lines, oldest first: KELVO_OK, or KELVO_ERR_IO. */
KELVO_API int KELVO_CALL kelvo_dump_trace(KelvoSession* session, const char* path);

/** @} */

/** @name The library's log

 * Routes the library's log lines, process-wide, to handler(level, category, text, user) from
 * min_level up; NULL restores the default output (standard error). The texts are unchanged. The
 * handler may run on any thread, the library's own included, and should return quickly. Once
 * kelvo_set_log_handler returns, the old handler is not called again; called from inside a
 * handler it returns at once and applies from the next line. Every call on a session from inside
 * a log handler returns KELVO_ERR_BUSY at once (flat calls do nothing and return what they return
 * before connect_robot), and kelvo_close there does nothing: the thread may be the session's.
 * @{ */
/** Log levels, lowest first. */
#define KELVO_LOG_DEBUG 0   /**< debug */
#define KELVO_LOG_INFO 1    /**< information */
#define KELVO_LOG_WARNING 2 /**< a warning */
#define KELVO_LOG_ERROR 3   /**< an error */
/** Receives the library's log lines; see kelvo_set_log_handler(). */
typedef void (*KelvoLogHandler)(int level, const char* category, const char* text, void* user);
/** Sets the log handler as the paragraph above says; KELVO_OK. */
KELVO_API int KELVO_CALL kelvo_set_log_handler(KelvoLogHandler handler, void* user, int min_level);
/** @} */

/** @cond internal */
#ifdef __cplusplus
}
#define KELVO_STATIC_ASSERT static_assert
#else
#define KELVO_STATIC_ASSERT _Static_assert
#endif
/* The host's records and the library's must match byte for byte. */
KELVO_STATIC_ASSERT(sizeof(ContinuousMotionPoint) == 200,
                    "ContinuousMotionPoint must be 200 bytes");
KELVO_STATIC_ASSERT(offsetof(ContinuousMotionPoint, spin) == 32 &&
                        offsetof(ContinuousMotionPoint, pos) == 40 &&
                        offsetof(ContinuousMotionPoint, type) == 192,
                    "ContinuousMotionPoint fields at their natural offsets");
#undef KELVO_STATIC_ASSERT
/** @endcond */

#endif
