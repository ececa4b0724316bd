#include "link/jsonwire.h"

#include "link/strictjsonreader.h"

#include <json/reader.h>

#include <QString>

#include <algorithm>
#include <charconv>
#include <cmath>
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

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

const char* skipDigits(const char* p, const char* end) {
    return std::find_if_not(p, end, isDigit);
}

// The end of the string whose quote is at p, found as the reader finds it.
const char* endOfString(const char* p, const char* end) {
    for (++p; p != end; ++p) {
        if (*p == '"')
            return p + 1;
        if (*p == '\\' && ++p == end)
            break;
    }
    return end;
}

// The end of the "//" or "/*" comment at p, found as the reader finds it.
const char* endOfComment(const char* p, const char* end) {
    if (p[1] == '*') {
        const char close[] = "*/";
        const char* found = std::search(p + 2, end, close, close + 2);
        return found == end ? end : found + 2;
    }
    return std::find_if(p + 2, end, [](char c) { return c == '\n' || c == '\r'; });
}

// Exponent digits as a number; from far below the smallest real to far above the largest it
// saturates, since every real of a frame is then zero or infinite alike.
long long exponentValue(const char* digits, const char* end) {
    constexpr long long kSaturated = 1'000'000'000'000;
    long long value = 0;
    if (std::from_chars(digits, end, value).ec != std::errc() || value > kSaturated)
        return kSaturated;
    return value;
}

// The number token at p (a sign or a digit), delimited as the reader delimits it, onto out; one
// with a decimal point as its digits and a decimal exponent (-1.25 as -125e-2, 1.5e3 as 15e2).
// Returns its end.
const char* copyNumber(std::string& out, const char* p, const char* end) {
    const char* const integer = isDigit(*p) ? p : p + 1;
    const char* const integerEnd = skipDigits(integer, end);
    const bool hasPoint = integerEnd != end && *integerEnd == '.';
    const char* const fraction = hasPoint ? integerEnd + 1 : integerEnd;
    const char* const fractionEnd = skipDigits(fraction, end);
    const char* tokenEnd = fractionEnd;
    bool rewrite = hasPoint && (integer != integerEnd || fraction != fractionEnd);
    long long exponent = 0;
    if (tokenEnd != end && (*tokenEnd == 'e' || *tokenEnd == 'E')) {
        const char* const sign = tokenEnd + 1;
        const bool hasSign = sign != end && (*sign == '-' || *sign == '+');
        const char* const digits = hasSign ? sign + 1 : sign;
        tokenEnd = skipDigits(digits, end);
        rewrite = rewrite && digits != tokenEnd;
        exponent = exponentValue(digits, tokenEnd);
        if (hasSign && *sign == '-')
            exponent = -exponent;
    }
    // Without a point the token reads alike in every locale; a malformed one is refused as it is.
    if (!rewrite) {
        out.append(p, tokenEnd);
        return tokenEnd;
    }
    out.append(p, integerEnd);
    out.append(fraction, fractionEnd);
    out += 'e';
    out += std::to_string(exponent - (fractionEnd - fraction));
    return tokenEnd;
}

// jsoncpp reads reals through a string stream, which follows the host's global C++ locale: under
// a decimal-comma locale it refuses 2.5 and reads 1.250 as 1250. Without a decimal point, a real
// names the same number and reads alike in every locale; strings and comments stay as they are.
std::string withoutDecimalPoints(const QByteArray& text) {
    std::string out;
    out.reserve(static_cast<std::size_t>(text.size()) * 3 / 2);
    const char* p = text.constData();
    const char* const end = p + text.size();
    while (p != end) {
        const char* next = p + 1;
        if (*p == '"') {
            next = endOfString(p, end);
        } else if (*p == '/' && next != end && (*next == '/' || *next == '*')) {
            next = endOfComment(p, end);
        } else if (*p == '-' || *p == '+' || isDigit(*p)) {
            p = copyNumber(out, p, end);
            continue;
        }
        out.append(p, next);
        p = next;
    }
    return out;
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
    // to_chars ignores the locale and writes what "%#.12f" writes under "C". The largest double
    // has 309 integer digits.
    char buffer[std::numeric_limits<double>::max_exponent10 + 32];
    const std::to_chars_result written =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 12);
    std::string text(buffer, written.ptr);
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
    const QByteArray upToNul = nul < 0 ? payload : payload.left(nul);
    if (std::optional<Json::Value> quick =
            readStrict(upToNul.constData(), static_cast<std::size_t>(upToNul.size())))
        return quick;
    const std::string text = withoutDecimalPoints(QString::fromUtf8(upToNul).toUtf8());
    Json::Value root;
    try {
        if (!reader().parse(text.data(), text.data() + text.size(), &root, nullptr)) {
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
