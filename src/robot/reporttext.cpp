#include "robot/reporttext.h"

#include "link/jsonwire.h"

#include <cstring>
#include <string>

namespace kelvo::reporttext {

namespace {

// The member a path names; for "object.member" also the object it is looked up in.
struct Located {
    const Json::Value& owner;
    std::string key;
};

Located locate(const Json::Value& report, const char* path) {
    const char* dot = std::strchr(path, '.');
    if (!dot)
        return {report, path};
    const std::string object(path, dot);
    return {json::member(report, object.c_str()), dot + 1};
}

}  // namespace

QByteArray g6(double value) {
    return QString::number(value, 'g', 6).toLatin1();
}

QByteArray format(const Json::Value& value, Format how) {
    switch (how) {
        case Format::G6:
            return g6(json::doubleOr(value));
        case Format::F2:
            return QString::number(json::doubleOr(value), 'f', 2).toLatin1();
        case Format::Int:
            return QByteArray::number(json::intOr(value));
        case Format::Bool:
            return json::boolOr(value) ? "1" : "0";
        case Format::Text:
            return json::text(value).toUtf8();
    }
    return {};
}

QByteArray fields(const Json::Value& report, std::initializer_list<Field> list, Absent absent) {
    QByteArray text;
    const Field* const last = list.end() - 1;
    for (const Field& field : list) {
        const Located at = locate(report, field.path);
        if (absent == Absent::LeftOut && !json::has(at.owner, at.key.c_str()))
            continue;
        text += format(json::member(at.owner, at.key.c_str()), field.format);
        if (&field != last)
            text += ' ';
    }
    return text;
}

QByteArray elements(const Json::Value& report, const char* key, int count, Format how) {
    const Json::Value& array = json::member(report, key);
    QByteArray text;
    for (int i = 0; i < count; ++i) {
        if (i > 0)
            text += ' ';
        text += format(json::element(array, static_cast<Json::ArrayIndex>(i)), how);
    }
    return text;
}

}  // namespace kelvo::reporttext
