#pragma once

#include <QByteArray>

#include <json/value.h>

#include <cstddef>
#include <functional>
#include <optional>

namespace kelvo::json {

// A quick, locale-free reading of plain JSON (valid UTF-8, no comments, nothing after the value,
// shallow nesting), with the value jsoncpp would build from it. Empty for
// anything else; the caller then reads the text with jsoncpp, which decides. Never throws.
std::optional<Json::Value> readStrict(const char* data, std::size_t size);

// A report's members read straight from the quick reading, without building its value: each
// gives what the helpers of jsonwire.h give on parse()'s value (a repeated key counts by its
// last value). For the reports whose askers wait while they are read.
class QuickReport {
public:
    // A member that converts to an integer, as toInt converts it.
    virtual std::optional<int> intMember(const char* key) const = 0;
    virtual bool hasArray(const char* key) const = 0;
    // Element index of an array member, as doubleOr reads it: 0 where there is none.
    virtual double number(const char* key, int index) const = 0;

protected:
    ~QuickReport() = default;
};

// Lets use() see the payload's quick reading, during the call only; false when the payload
// needs parse(), and use() is not called.
bool readQuick(const QByteArray& payload, const std::function<void(const QuickReport&)>& use);

}  // namespace kelvo::json
