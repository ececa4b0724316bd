#include "ctlfiles.h"

#include "ctltext.h"
#include "kelvo.h"

#include <chrono>
#include <filesystem>
#include <set>
#include <system_error>
#include <thread>

namespace fs = std::filesystem;

namespace kelvoctl {

namespace {

constexpr int kDefaultWaitMs = 3000;
constexpr int kLongestWaitMs = 600000;
constexpr int kArrivalMs = 10000;
constexpr auto kPollInterval = std::chrono::milliseconds(50);

// The folder useJobFolder gave the library.
fs::path& jobFolder() {
    static fs::path folder;
    return folder;
}

fs::path jobDirectory() {
    return jobFolder() / "robotJob";
}

// "R1/NAME (N bytes)" for the regular files of R1 to R4 under root, robot by robot.
std::set<std::string> jobFiles(const fs::path& root) {
    std::set<std::string> files;
    for (int robot = 1; robot <= 4; ++robot) {
        const std::string folder = "R" + std::to_string(robot);
        std::error_code error;
        for (const fs::directory_entry& entry : fs::directory_iterator(root / folder, error)) {
            if (entry.is_regular_file(error) && !entry.is_symlink(error))
                files.insert(folder + "/" + entry.path().filename().string() + " (" +
                             std::to_string(entry.file_size(error)) + " bytes)");
        }
    }
    return files;
}

void listFiles(CtlConsole& console, const std::set<std::string>& files) {
    for (const std::string& file : files)
        console.line("  " + file);
}

// The library reports no end of a transfer: kelvoctl stays a while, so the files can go.
Action transfer(const Args& args, int (*call)(KelvoSession*), const char* name) {
    expectArgs(args, 0, 1);
    const int waitMs =
        args.empty() ? kDefaultWaitMs
                     : required(wholeNumber(args[0], 0, kLongestWaitMs), "MS must be 0 to 600000");
    return [call, name, waitMs](CtlSession& ctl) {
        const fs::path jobs = jobDirectory();
        const std::set<std::string> files = jobFiles(jobs);
        ctl.console().line(std::string(name) + "(s): " + std::to_string(files.size()) +
                           " job files in " + jobs.string());
        listFiles(ctl.console(), files);
        if (!ctl.call(name, call))
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(waitMs));
        return true;
    };
}

}  // namespace

fs::path programFolder() {
    std::error_code error;
    return fs::read_symlink("/proc/self/exe", error).parent_path();
}

bool useJobFolder(CtlSession& ctl, const std::string& folder) {
    std::error_code error;
    const fs::path path = fs::canonical(folder, error);
    const int status = error ? KELVO_ERR_IO : ctl.status(kelvo_set_job_dir, path.c_str());
    if (status != KELVO_OK) {
        ctl.console().error("cannot use the job folder " + folder + ": " + kelvo_strerror(status));
        return false;
    }
    jobFolder() = path;
    return true;
}

Action upload(const Args& args) {
    return transfer(args, kelvo_upload_job, "kelvo_upload_job");
}

Action sync(const Args& args) {
    return transfer(args, kelvo_sync_jobs, "kelvo_sync_jobs");
}

bool demoUpload(CtlSession& ctl, CtlShell& shell, const std::string& simJobDir,
                const std::function<void(const char*)>& explain) {
    CtlConsole& console = ctl.console();
    if (!useJobFolder(ctl, (programFolder() / KELVO_SAMPLES_FROM_PROGRAM).string()))
        return false;
    const std::set<std::string> expected = jobFiles(jobDirectory());

    explain(
        "kelvo_upload_job(s): the job files of the job folder, robotJob/R1 to R4 (here the demo's\n"
        "samples), go to the controller over a second connection, port 5000, in 2048-byte\n"
        "chunks; the call returns once that connection is up. kelvo-sim's job directory:");
    console.line("kelvo> upload 0");
    bool arrived = shell.runLine("upload 0") == kDone;
    std::set<std::string> shown;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(kArrivalMs);
    while (arrived && shown != expected && std::chrono::steady_clock::now() < end) {
        for (const std::string& file : jobFiles(simJobDir)) {
            if (expected.count(file) && shown.insert(file).second)
                console.line("  at kelvo-sim: " + file);
        }
        std::this_thread::sleep_for(kPollInterval);
    }
    if (shown != expected) {
        console.error("the job files did not all reach the simulator");
        return false;
    }
    return true;
}

}  // namespace kelvoctl
