#pragma once

#include <QByteArray>
#include <QString>

#include <json/value.h>

#include <initializer_list>

// The texts of numbers the parameter reports emit: values in fixed formats joined by spaces.
namespace kelvo::reporttext {

enum class Format {
    G6,    // shortest of fixed or exponent notation, 6 significant digits
    F2,    // fixed, 2 decimals
    Int,   // decimal
    Bool,  // the digit 0 or 1
    Text,  // a string member's UTF-8, unchanged
};

// A member by name, or "object.member" for a member of a nested object.
struct Field {
    const char* path;
    Format format;
};

// In the tested reports an absent member is left out, its space included; in the others it is
// written and reads as 0.
enum class Absent { ReadsAsZero, LeftOut };

QByteArray g6(double value);
QByteArray format(const Json::Value& value, Format how);

// The fields in order, each followed by one space except the last of the list; so when the last
// one is left out, the text ends in a space.
QByteArray fields(const Json::Value& report, std::initializer_list<Field> list, Absent absent);

// Elements 0 to count - 1 of an array member, separated by spaces; missing ones read as 0.
QByteArray elements(const Json::Value& report, const char* key, int count, Format how);

}  // namespace kelvo::reporttext
