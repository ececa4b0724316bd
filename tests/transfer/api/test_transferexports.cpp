// upload_job and sync_jobs as a host without Qt calls them: the library's own event thread runs
// the transfer while the host waits for nothing. kelvo-sim runs as a child process on
// 127.0.12.1, serving its job files on port 5000.

#include "apitest.h"

#include <iterator>

namespace fs = std::filesystem;

namespace {

// The host program's directory: the library's job directories hang from it.
fs::path programDirectory() {
    return fs::read_symlink("/proc/self/exe").parent_path();
}

void write(const fs::path& path, const std::string& text) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

std::string read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

TEST(JobExports, UploadAndSynchronisationProgressWhileTheHostDoesNothing) {
    // Before connect_robot: nothing happens.
    upload_job();
    sync_jobs();

    const fs::path jobs = programDirectory() / "robotJob";
    const fs::path controller = programDirectory() / "controller-jobs";
    fs::remove_all(jobs);
    fs::remove_all(controller);
    write(jobs / "R1" / "A.JBR", "robot one");
    write(jobs / "R2" / "B.JBP", std::string(5000, 'b'));

    SimProcess sim("127.0.12.1", {"--job-dir", controller.string(), "--files-port", "5000"});
    connectTo(sim, "127.0.12.1");

    EXPECT_LT(elapsedMs([] { upload_job(); }), 2000);
    EXPECT_TRUE(eventually([&] {
        return read(controller / "R1" / "A.JBR") == "robot one" &&
               read(controller / "R2" / "B.JBP") == std::string(5000, 'b');
    }));

    write(controller / "R1" / "C.JBR", "from the controller");
    EXPECT_LT(elapsedMs([] { sync_jobs(); }), 500);
    EXPECT_TRUE(eventually([&] { return read(jobs / "R1" / "C.JBR") == "from the controller"; }));

    sim.stop();
    fs::remove_all(jobs);
    fs::remove_all(controller);
}
