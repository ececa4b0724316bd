#pragma once

#include <QByteArray>
#include <QString>

#include <json/value.h>

#include <optional>
#include <string>

// The JSON form of every payload, exactly as the controller writes and expects it.
namespace kelvo::json {

// Compact text: no spaces, object members in ascending byte order of their keys, raw UTF-8 text
// with only the escapes JSON requires, reals as formatReal writes them, one trailing line feed.
// Empty when the value holds a NaN or an infinity, which JSON cannot carry.
std::optional<QByteArray> write(const Json::Value& value);

// "%#.12f" as the "C" locale writes it, whatever locale the host has set, then trailing zeros cut
// so that exactly one stays: 50.0, 0.50, 1.250, 0.00000010. Empty for a non-finite value.
std::string formatReal(double value);

// An inbound payload: the bytes up to the first NUL, invalid UTF-8 replaced by U+FFFD, parsed with
// comments allowed and nesting bounded, reals read alike under every C and C++ locale. Empty when
// it is not JSON; never throws.
std::optional<Json::Value> parse(const QByteArray& payload);

// Readers that never throw, for handlers that must survive a hostile controller. A missing member
// reads as null; null reads as 0, 0.0, false or the empty text. The bool-returning forms fail on
// a value of the wrong type or out of the target's range and then leave *out untouched.
const Json::Value& member(const Json::Value& object, const char* key);
bool has(const Json::Value& object, const char* key);
bool toInt(const Json::Value& value, int* out);
bool toDouble(const Json::Value& value, double* out);
bool toBool(const Json::Value& value, bool* out);
int intOr(const Json::Value& value, int fallback = 0);
double doubleOr(const Json::Value& value, double fallback = 0.0);
bool boolOr(const Json::Value& value, bool fallback = false);
// A string member as UTF-8 text; any other type reads as the empty text.
QString text(const Json::Value& value);
// Element i of an array, or null when value is not an array or too short.
const Json::Value& element(const Json::Value& array, Json::ArrayIndex index);

}  // namespace kelvo::json
