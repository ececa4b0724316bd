#include "ctlconsole.h"

namespace kelvoctl {

void CtlConsole::line(const std::string& text) {
    endProgress();
    out_ << text << '\n' << std::flush;
}

void CtlConsole::error(const std::string& text) {
    hint("error: " + text);
}

void CtlConsole::hint(const std::string& text) {
    endProgress();
    out_ << std::flush;
    errors_ << text << '\n' << std::flush;
}

void CtlConsole::prompt(const std::string& text) {
    endProgress();
    out_ << text << std::flush;
}

void CtlConsole::progress(const std::string& text, int step) {
    if (terminal_) {
        out_ << "\r\033[K" << text << std::flush;
        progressShown_ = true;
        return;
    }
    if (step > progressStep_) {
        progressStep_ = step;
        out_ << text << '\n' << std::flush;
    }
}

void CtlConsole::endProgress() {
    if (progressShown_)
        out_ << "\r\033[K";
    progressShown_ = false;
    progressStep_ = -1;
}

}  // namespace kelvoctl
