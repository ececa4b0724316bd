#include "link/jsonwire.h"

#include <json/reader.h>

#include <QString>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <memory>

namespace kelvo::json {

namespace {

// Deep enough for any real payload, shallow enough that a hostile one cannot exhaust the stack.
constexpr int kMaxNesting = 128;

void writeEscaped(std::string& out, const char* begin, const char* end) {
    static const char kHex[] = "0123456789abcdef";
    for (const char* p = begin; p != end; ++p) {
        const auto c = static_cast<unsigned char>(*p);
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\b':
                out += "\\b";
                break;
            case '\f':
                out += "\\f";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (c < 0x20) {
                    out += "\\u00";
                    out += kHex[c >> 4];
                    out += kHex[c & 0xF];
                } else {
                    out += static_cast<char>(c);
                }
        }
    }
}

// Always valid UTF-8: invalid sequences (a lone surrogate escape decodes to one) become U+FFFD,
// as parse() reads them, so what is written reads back the same.
void writeText(std::string& out, const char* begin, const char* end) {
    out += '"';
    if (std::all_of(begin, end, [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
        writeEscaped(out, begin, end);
    } else {
        const QByteArray valid = QString::fromUtf8(begin, static_cast<int>(end - begin)).toUtf8();
        writeEscaped(out, valid.constData(), valid.constData() + valid.size());
    }
    out += '"';
}

bool writeValue(std::string& out, const Json::Value& value) {
    switch (value.type()) {
        case Json::nullValue:
            out += "null";
            return true;
        case Json::intValue:
            out += std::to_string(value.asLargestInt());
            return true;
        case Json::uintValue:
            out += std::to_string(value.asLargestUInt());
            return true;
        case Json::booleanValue:
            out += value.asBool() ? "true" : "false";
            return true;
        case Json::realValue: {
            const std::string real = formatReal(value.asDouble());
            out += real;
            return !real.empty();
        }
        case Json::stringValue: {
            const char* begin = nullptr;
            const char* end = nullptr;
            value.getString(&begin, &end);
            writeText(out, begin, end);
            return true;
        }
        case Json::arrayValue: {
            out += '[';
            for (Json::ArrayIndex i = 0; i < value.size(); ++i) {
                if (i > 0)
                    out += ',';
                if (!writeValue(out, value[i]))
                    return false;
            }
            out += ']';
            return true;
        }
        case Json::objectValue: {
            out += '{';
            bool first = true;
            // Members iterate in ascending byte order of their keys.
            for (auto it = value.begin(); it != value.end(); ++it) {
                if (!first)
                    out += ',';
                first = false;
                const char* end = nullptr;
                const char* begin = it.memberName(&end);
                writeText(out, begin, end);
                out += ':';
                if (!writeValue(out, *it))
                    return false;
            }
            out += '}';
            return true;
        }
    }
    return false;
}

Json::CharReader& reader() {
    thread_local std::unique_ptr<Json::CharReader> instance = [] {
        Json::CharReaderBuilder builder;
        builder["allowComments"] = true;
        builder["stackLimit"] = kMaxNesting;
        return std::unique_ptr<Json::CharReader>(builder.newCharReader());
    }();
    return *instance;
}

const Json::Value& nullValue() {
    static const Json::Value null;
    return null;
}

}  // namespace

std::string formatReal(double value) {
    if (!std::isfinite(value))
        return {};
    // Every real of a plausible magnitude fits the stack buffer in one pass; only a huge one needs a
    // second pass into a buffer of its exact size.
    char buffer[64];
    const int size = std::snprintf(buffer, sizeof buffer, "%#.12f", value);
    std::string text;
    if (size < static_cast<int>(sizeof buffer)) {
        text.assign(buffer, static_cast<std::size_t>(size));
    } else {
        text.resize(static_cast<std::size_t>(size) + 1);
        std::snprintf(text.data(), text.size(), "%#.12f", value);
        text.resize(static_cast<std::size_t>(size));
    }
    if (text.back() == '0') {
        const std::size_t lastKept = text.find_last_not_of('0');
        text.resize(lastKept + 2);
    }
    return text;
}

std::optional<QByteArray> write(const Json::Value& value) {
    std::string out;
    if (!writeValue(out, value))
        return std::nullopt;
    out += '\n';
    return QByteArray(out.data(), static_cast<int>(out.size()));
}

std::optional<Json::Value> parse(const QByteArray& payload) {
    const int nul = payload.indexOf('\0');
    const QByteArray text = QString::fromUtf8(nul < 0 ? payload : payload.left(nul)).toUtf8();
    Json::Value root;
    try {
        if (!reader().parse(text.constData(), text.constData() + text.size(), &root, nullptr)) {
            return std::nullopt;
        }
    } catch (const std::exception&) {
        return std::nullopt;
    }
    return root;
}

const Json::Value& member(const Json::Value& object, const char* key) {
    if (!object.isObject())
        return nullValue();
    const Json::Value* found = object.find(key, key + std::char_traits<char>::length(key));
    return found ? *found : nullValue();
}

bool has(const Json::Value& object, const char* key) {
    return object.isObject() && object.find(key, key + std::char_traits<char>::length(key));
}

bool toInt(const Json::Value& value, int* out) {
    if (value.isNull()) {
        *out = 0;
        return true;
    }
    if (value.isBool()) {
        *out = value.asBool() ? 1 : 0;
        return true;
    }
    if (value.isInt()) {
        *out = value.asInt();
        return true;
    }
    if (value.isDouble()) {
        // Integral reals in range convert as the JSON library would; fractions truncate.
        const double d = value.asDouble();
        if (std::isfinite(d) && d > std::numeric_limits<int>::min() - 1.0 &&
            d < std::numeric_limits<int>::max() + 1.0) {
            *out = static_cast<int>(d);
            return true;
        }
    }
    return false;
}

bool toDouble(const Json::Value& value, double* out) {
    if (value.isNull()) {
        *out = 0.0;
        return true;
    }
    if (value.isNumeric() || value.isBool()) {
        *out = value.asDouble();
        return true;
    }
    return false;
}

bool toBool(const Json::Value& value, bool* out) {
    if (value.isNull()) {
        *out = false;
        return true;
    }
    if (value.isBool() || value.isNumeric()) {
        *out = value.isBool() ? value.asBool() : value.asDouble() != 0.0;
        return true;
    }
    return false;
}

int intOr(const Json::Value& value, int fallback) {
    int result = fallback;
    toInt(value, &result);
    return result;
}

double doubleOr(const Json::Value& value, double fallback) {
    double result = fallback;
    toDouble(value, &result);
    return result;
}

bool boolOr(const Json::Value& value, bool fallback) {
    bool result = fallback;
    toBool(value, &result);
    return result;
}

QString text(const Json::Value& value) {
    if (!value.isString())
        return {};
    const char* begin = nullptr;
    const char* end = nullptr;
    value.getString(&begin, &end);
    return QString::fromUtf8(begin, static_cast<int>(end - begin));
}

const Json::Value& element(const Json::Value& array, Json::ArrayIndex index) {
    if (!array.isArray() || index >= array.size())
        return nullValue();
    return array[index];
}

}  // namespace kelvo::json
