#pragma once

#include <gtest/gtest.h>

#include <locale>
#include <optional>
#include <string>

// de_DE.UTF-8, a locale that writes 2.5 as "2,5", compiled by localedef into a temporary folder
// that LOCPATH names: no installed locale is needed. When it goes, the folder goes and the
// process's locales and environment are as they were.
class DecimalCommaLocale {
public:
    static constexpr const char* kName = "de_DE.UTF-8";

    DecimalCommaLocale();
    ~DecimalCommaLocale();
    DecimalCommaLocale(const DecimalCommaLocale&) = delete;
    DecimalCommaLocale& operator=(const DecimalCommaLocale&) = delete;

    // Why the locale is not there; empty once it is.
    const std::string& failure() const { return failure_; }
    // localedef is not installed: the one reason to skip a test.
    bool toolMissing() const { return toolMissing_; }

    // The locale everywhere a host program meets it: the global C++ locale, with it the C locale,
    // and the environment that Qt and child processes read theirs from.
    void useEverywhere() const;

private:
    std::string folder_, failure_, cLocale_;
    bool toolMissing_ = false;
    std::locale cppLocale_;
    std::optional<std::string> locPath_, lcAll_;
};

// In a test body: the locale built and held in `name` for the rest of the test. The test is
// skipped only when localedef is missing, and fails when the locale cannot be built.
#define KELVO_DECIMAL_COMMA_LOCALE(name) \
    DecimalCommaLocale name;             \
    if (name.toolMissing())              \
        GTEST_SKIP() << name.failure();  \
    ASSERT_EQ(name.failure(), "")
