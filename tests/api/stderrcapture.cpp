#include "stderrcapture.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>

StderrCapture::StderrCapture() {
    char path[] = "/tmp/kelvo-api-stderr-XXXXXX";
    const int fd = mkstemp(path);
    if (fd < 0)
        return;
    path_ = path;
    std::fflush(stderr);
    saved_ = dup(STDERR_FILENO);
    dup2(fd, STDERR_FILENO);
    close(fd);
}

StderrCapture::~StderrCapture() {
    if (saved_ < 0)
        return;
    std::fflush(stderr);
    dup2(saved_, STDERR_FILENO);
    close(saved_);
    // Shown again, so a failing test still tells what the library logged.
    for (const std::string& line : lines())
        std::fprintf(stderr, "%s\n", line.c_str());
    unlink(path_.c_str());
}

std::vector<std::string> StderrCapture::lines() const {
    std::fflush(stderr);
    std::vector<std::string> result;
    std::ifstream file(path_);
    for (std::string line; std::getline(file, line);)
        result.push_back(line);
    return result;
}

int StderrCapture::count(const std::string& line) const {
    const std::vector<std::string> all = lines();
    return static_cast<int>(std::count(all.begin(), all.end(), line));
}

int StderrCapture::countContaining(const std::string& part) const {
    const std::vector<std::string> all = lines();
    return static_cast<int>(std::count_if(all.begin(), all.end(), [&](const std::string& line) {
        return line.find(part) != std::string::npos;
    }));
}
