#pragma once

#include <string>
#include <vector>

// Sends this process's standard error, where the library's log lines go, to a temporary file
// while it lives.
class StderrCapture {
public:
    StderrCapture();
    ~StderrCapture();
    StderrCapture(const StderrCapture&) = delete;
    StderrCapture& operator=(const StderrCapture&) = delete;

    std::vector<std::string> lines() const;
    // Lines equal to line.
    int count(const std::string& line) const;
    // Lines that contain part.
    int countContaining(const std::string& part) const;

private:
    int saved_ = -1;
    std::string path_;
};
