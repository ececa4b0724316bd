#include "decimalcommalocale.h"

#include <locale.h>
#include <sys/wait.h>

#include <cerrno>
#include <clocale>
#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace {

std::optional<std::string> variable(const char* name) {
    const char* found = std::getenv(name);
    return found ? std::optional<std::string>(found) : std::nullopt;
}

void restore(const char* name, const std::optional<std::string>& value) {
    if (value)
        setenv(name, value->c_str(), 1);
    else
        unsetenv(name);
}

}  // namespace

DecimalCommaLocale::~DecimalCommaLocale() {
    std::locale::global(cppLocale_);
    std::setlocale(LC_ALL, cLocale_.c_str());
    restore("LOCPATH", locPath_);
    restore("LC_ALL", lcAll_);
    std::error_code ignored;
    if (!folder_.empty())
        std::filesystem::remove_all(folder_, ignored);
}

DecimalCommaLocale::DecimalCommaLocale()
    : cLocale_(std::setlocale(LC_ALL, nullptr)),
      locPath_(variable("LOCPATH")),
      lcAll_(variable("LC_ALL")) {
    std::string pattern = (std::filesystem::temp_directory_path() / "kelvo-locale-XXXXXX").string();
    if (!mkdtemp(pattern.data())) {
        failure_ = std::string("no temporary folder: ") + std::strerror(errno);
        return;
    }
    folder_ = pattern;
    const std::string command =
        "localedef -i de_DE -f UTF-8 '" + folder_ + "/" + kName + "' >/dev/null 2>&1";
    const int status = std::system(command.c_str());
    toolMissing_ = WIFEXITED(status) && WEXITSTATUS(status) == 127;  // the shell found no localedef
    // localedef also exits with 1 after mere warnings: what counts is a locale that loads.
    setenv("LOCPATH", folder_.c_str(), 1);
    if (const locale_t loaded = newlocale(LC_ALL_MASK, kName, nullptr))
        freelocale(loaded);
    else
        failure_ = "localedef gave no loadable " + std::string(kName) + " (exit status " +
                   std::to_string(WEXITSTATUS(status)) + "; is Debian's package locales there?)";
}

void DecimalCommaLocale::useEverywhere() const {
    setenv("LC_ALL", kName, 1);
    std::locale::global(std::locale(kName));
}
