#include "lineescape.h"

#include <algorithm>
#include <cctype>
#include <iterator>

namespace kelvo::sim {

namespace {

struct NamedEscape {
    char byte;
    char name;
};
constexpr NamedEscape kNamedEscapes[] = {{'\\', '\\'}, {'\n', 'n'}, {'\r', 'r'}, {'\t', 't'}};

bool isHexDigit(char c) {
    return std::isxdigit(static_cast<unsigned char>(c)) != 0;
}

bool printable(char c) {
    return c >= 0x20 && c < 0x7F;
}

}  // namespace

QByteArray escapeLine(const QByteArray& bytes) {
    QByteArray text;
    text.reserve(bytes.size());
    for (const char c : bytes) {
        const auto named = std::find_if(std::begin(kNamedEscapes), std::end(kNamedEscapes),
                                        [c](const NamedEscape& e) { return e.byte == c; });
        if (named != std::end(kNamedEscapes)) {
            text += '\\';
            text += named->name;
        } else if (printable(c)) {
            text += c;
        } else {
            text += "\\x" + QByteArray::number(static_cast<uchar>(c), 16).rightJustified(2, '0');
        }
    }
    return text;
}

std::optional<QByteArray> unescapeLine(const QByteArray& text) {
    QByteArray bytes;
    for (int i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            bytes += text[i];
            continue;
        }
        if (++i >= text.size())
            return std::nullopt;
        const char name = text[i];
        const auto named = std::find_if(std::begin(kNamedEscapes), std::end(kNamedEscapes),
                                        [name](const NamedEscape& e) { return e.name == name; });
        if (named != std::end(kNamedEscapes)) {
            bytes += named->byte;
            continue;
        }
        const QByteArray hex = text.mid(i + 1, 2);
        if (name != 'x' || hex.size() != 2 || !std::all_of(hex.begin(), hex.end(), isHexDigit))
            return std::nullopt;
        bytes += static_cast<char>(hex.toUInt(nullptr, 16));
        i += 2;
    }
    return bytes;
}

}  // namespace kelvo::sim
