#include "ctldemo.h"

#include "ctlevents.h"
#include "ctlfiles.h"
#include "ctlshell.h"
#include "kelvo.h"
#include "simchild.h"

#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <system_error>

namespace kelvoctl {

namespace {

constexpr const char* kDefaultAddress = "127.0.9.1";
constexpr int kServoAlarm = 2;

struct Step {
    const char* explanation;  // what the step shows, and the C functions behind it
    const char* command;
};

// clang-format off
constexpr Step kSteps[] = {
    {"Where the robot stands: kelvo_get_current_position(s, out, 0) gives the joint angles,\n"
     "kelvo_get_current_position(s, out, 1) the tool's position (x, y, z, rx, ry, rz).",
     "pos"},
    {"kelvo_servo_power_on(s, &status): the servo comes on (status 1, ready); in teach mode the\n"
     "library also presses the enabling switch, which powers the motors.",
     "servo on"},
    {"kelvo_set_current_mode(s, 0), then kelvo_get_current_mode(s, &mode): teach mode, for\n"
     "jogging.",
     "mode teach"},
    {"kelvo_set_current_coord(s, 1), kelvo_get_current_coord(s, &coord): jog in Cartesian\n"
     "coordinates.",
     "coord cartesian"},
    {"kelvo_set_jogging_speed(s, 50), kelvo_get_jogging_speed(s, &speed): half the top jog\n"
     "speed.",
     "speed 50"},
    {"kelvo_start_jogging(s, 3, 1), a second later kelvo_stop_jogging(s, 3): axis 3 is Z, so the\n"
     "tool rises.",
     "jog 3 + 1000"},
    {"kelvo_robot_movj(s, pos, 20, 0): a joint move at 20 % speed to joint angles; kelvoctl\n"
     "follows it with kelvo_get_current_position until the robot stands at the target.",
     "movj 30 15 10 0 -25 0"},
    {"kelvo_robot_movl(s, pos, 150, 1): a straight line at 150 mm/s to a Cartesian target.",
     "movl --vel 150 650 -150 600 180 0 0"},
    {"kelvo_set_dout(s, 1, 1), kelvo_set_dout(s, 3, 1), then kelvo_get_dout(s, out): outputs 1\n"
     "to 16.",
     "dout 1 1"},
    {nullptr, "dout 3 1"},
    {nullptr, "dout"},
    {"kelvo_get_din(s, out): the simulator wires every output back to the input of the same\n"
     "number.",
     "din"},
    {"kelvo_set_aout(s, 2, 5), then kelvo_get_ain(s, out): the analog output comes back on\n"
     "analog input 2.",
     "aout 2 5"},
    {nullptr, "ain"},
    {"kelvo_set_current_mode(s, 2): run mode, for jobs and queues; the servo stays on (ready).",
     "mode run"},
    {"kelvo_run_job(s, \"DEMO\"): the controller starts its job DEMO from the first line;\n"
     "kelvoctl follows kelvo_get_robot_running_state(s, &state) until it reads 2 (running).",
     "run DEMO"},
    {"kelvo_stop_job(s): the job stops, and the running state returns to 0.",
     "stop"},
    {"kelvo_continuous_motion_mode(s, 1), then kelvo_send_continuous_motion_queue(s, points, 4):\n"
     "four points of a file (three joint moves and a straight one) streamed as one queue. The\n"
     "robot passes through them; then kelvo_continuous_motion_mode(s, 0) closes the mode and\n"
     "returns to teach mode.",
     "queue QUEUE_FILE"},
    {"All of it at once, as kelvoctl status shows it; the servo state comes from\n"
     "kelvo_get_servo_status(s, &status).",
     "status"},
};
// clang-format on

// The demo's queue: kelvo-sim reads the values as joint angles.
constexpr const char* kQueuePoints =
    "# TYPE VEL J1 .. J6\n"
    "movj 60   0  10 10 0 -40  0\n"
    "movj 60 -20  15  5 0 -50 20\n"
    "movl 150 -20 20  0 0 -45 20\n"
    "movj 80   0   0  0 0 -30  0\n";
constexpr const char* kQueueFileMark = "QUEUE_FILE";

// The queue in a temporary file for the length of the demo.
struct QueueFile {
    QueueFile() {
        char name[] = "/tmp/kelvo-demo-queue-XXXXXX";
        const int fd = mkstemp(name);
        if (fd < 0)
            return;
        const std::string text = kQueuePoints;
        if (write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size()))
            path = name;
        else
            unlink(name);
        close(fd);
    }
    ~QueueFile() {
        if (!path.empty())
            unlink(path.c_str());
    }
    std::string path;
};

// kelvo-sim's job directory for the length of the demo.
struct SimJobFolder {
    SimJobFolder() {
        char name[] = "/tmp/kelvo-demo-jobs-XXXXXX";
        if (mkdtemp(name))
            path = name;
    }
    ~SimJobFolder() {
        std::error_code error;
        if (!path.empty())
            std::filesystem::remove_all(path, error);
    }
    std::string path;
};

// The step's command, with the queue file's path in place of its mark.
std::string commandOf(const Step& step, const QueueFile& queue) {
    std::string command = step.command;
    const size_t mark = command.find(kQueueFileMark);
    if (mark != std::string::npos)
        command.replace(mark, std::string(kQueueFileMark).size(), queue.path);
    return command;
}

struct DemoOptions {
    std::string address = kDefaultAddress;
    std::string simulator;
};

DemoOptions parseOptions(const Args& args, const std::string& simulator) {
    DemoOptions options;
    options.simulator = simulator;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--address" && i + 1 < args.size())
            options.address = args[++i];
        else if (args[i] == "--sim" && i + 1 < args.size())
            options.simulator = args[++i];
        else
            throw UsageError("demo takes --address ADDR and --sim PATH");
    }
    return options;
}

void explain(CtlConsole& console, const char* explanation) {
    console.line("");
    std::string text = explanation;
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find('\n', start);
        console.line("# " + text.substr(start, end - start));
        start = end == std::string::npos ? text.size() : end + 1;
    }
}

bool connect(CtlSession& ctl, const std::string& address) {
    CtlConsole& console = ctl.console();
    console.line("s = kelvo_open(\"" + address + "\", " + std::to_string(CtlSession::kControlPort) +
                 ", " + std::to_string(CtlSession::kOpenTimeoutMs) + ", &error) ...");
    const auto start = std::chrono::steady_clock::now();
    const int status = ctl.open(address);
    if (status != KELVO_OK) {
        console.error("the library did not connect to the simulator (" +
                      failure("kelvo_open", status) + ")");
        return false;
    }
    const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - start);
    console.line("connected in " + std::to_string(took.count()) + " ms");
    explain(console,
            "Every call takes the session s first and returns KELVO_OK (0) or a negative error\n"
            "code; kelvoctl tells a failure with kelvo_strerror(code) and exits with status 1.");
    return true;
}

constexpr int kEventWaitMs = 3000;

// A servo alarm that kelvo-sim raises arrives as events; its number from the event clears it.
bool showAlarm(CtlSession& ctl, CtlShell& shell, SimChild& sim) {
    CtlConsole& console = ctl.console();
    explain(
        console,
        "The controller's reports reach the host as events, one by one in the order they\n"
        "arrive: kelvo_next_event(s, &event, timeout_ms) takes the next, or a handler set with\n"
        "kelvo_set_event_handler gets them (kelvoctl watch prints them all). kelvo-sim raises a\n"
        "servo alarm on robot 1, as a drive fault would:");
    discardEvents(ctl);
    console.line("kelvo-sim> alarm 1");
    int alarm = -1;
    const auto alarmAndServo = [&alarm](const KelvoEvent& event) {
        if (event.kind == KELVO_EVENT_ALARM && event.count > 0)
            alarm = static_cast<int>(event.values[0]);
        return event.kind == KELVO_EVENT_SERVO && alarm >= 0;
    };
    if (!sim.command("alarm 1") || !showEventsUntil(ctl, alarmAndServo, kEventWaitMs))
        return false;

    explain(console,
            "kelvo_clear_alarm(s, number): the alarm's number, from the event; the servo is ready\n"
            "again.");
    const std::string clear = "clear " + std::to_string(alarm);
    console.line("kelvo> " + clear);
    const auto servoBack = [](const KelvoEvent& event) {
        return event.kind == KELVO_EVENT_SERVO && event.code != kServoAlarm;
    };
    return shell.runLine(clear) == kDone && showEventsUntil(ctl, servoBack, kEventWaitMs);
}

}  // namespace

int runDemo(CtlConsole& console, const Args& args, const std::string& simulator) {
    DemoOptions options;
    try {
        options = parseOptions(args, simulator);
    } catch (const UsageError& error) {
        console.error(error.what());
        return kUsage;
    }
    console.line("kelvo demo: a session with kelvo-sim, the simulated controller, through the");
    console.line("library's C functions. Each step shows the kelvoctl command and what it calls.");
    console.line("");
    console.line("Starting kelvo-sim on " + options.address + " (control port 6000) ...");
    const SimJobFolder simJobs;
    SimChild sim;
    if (simJobs.path.empty() ||
        !sim.start(options.simulator, options.address, {"--job-dir", simJobs.path})) {
        console.error(sim.error());
        return kFailed;
    }
    console.line("kelvo-sim is listening.");
    CtlSession ctl(console);
    if (!connect(ctl, options.address))
        return kFailed;

    const QueueFile queue;
    if (queue.path.empty()) {
        console.error("cannot write the demo's queue file");
        return kFailed;
    }
    CtlShell shell(ctl);
    for (const Step& step : kSteps) {
        if (step.explanation)
            explain(console, step.explanation);
        const std::string command = commandOf(step, queue);
        console.line("kelvo> " + command);
        if (shell.runLine(command) != kDone) {
            console.line("The demo stopped at a failing step.");
            return kFailed;
        }
    }
    if (!showAlarm(ctl, shell, sim) ||
        !demoUpload(ctl, shell, simJobs.path,
                    [&console](const char* text) { explain(console, text); })) {
        console.line("The demo stopped at a failing step.");
        return kFailed;
    }
    console.line("");
    console.line("kelvo_close(s): the session ends, its link and threads with it.");
    ctl.close();
    sim.stop();
    console.line("");
    console.line("kelvo-sim stopped. The same commands work on a real controller:");
    console.line("  kelvoctl --ip ADDR status        one command");
    console.line("  kelvoctl --ip ADDR               interactive: one command per line");
    console.line("  kelvoctl help                    every command");
    return kDone;
}

}  // namespace kelvoctl
