#pragma once

#include <ostream>
#include <string>

namespace kelvoctl {

// Where kelvoctl writes: whole lines, errors, and a progress line that a terminal redraws in
// place and anything else gets as separate lines only now and then.
class CtlConsole {
public:
    CtlConsole(std::ostream& out, std::ostream& errors, bool terminal)
        : out_(out), errors_(errors), terminal_(terminal) {}

    void line(const std::string& text);
    // "error: text", on the error stream.
    void error(const std::string& text);
    // A line that goes with an error, on the error stream.
    void hint(const std::string& text);
    // Text without a line end, such as a prompt.
    void prompt(const std::string& text);
    // step counts up (for example quarters done); a new line is written only when it grows.
    void progress(const std::string& text, int step);

private:
    void endProgress();

    std::ostream& out_;
    std::ostream& errors_;
    bool terminal_;
    bool progressShown_ = false;
    int progressStep_ = -1;
};

}  // namespace kelvoctl
