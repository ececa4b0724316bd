#pragma once

#include <json/value.h>

#include <array>
#include <cstddef>
#include <ostream>
#include <string>
#include <utility>
#include <variant>
#include <vector>

// What each instruction class states about itself: the JSON members it carries and the text of each
// of its type codes. The mechanics that read, write and render them live here once.
namespace kelvo {

// The seven parallel values of the position calculations and the tool offset.
using IntArray = std::array<int, 7>;
using TextArray = std::array<std::string, 7>;

// One JSON member: its key and the data member it is written from and read into. The member's C++
// type is its JSON type.
template <class C>
struct Field {
    const char* key;
    std::variant<int C::*, double C::*, bool C::*, std::string C::*, IntArray C::*, TextArray C::*>
        member;
};

// A piece of text composed from several members or chosen by one.
template <class C>
using Composer = void (*)(std::ostream&, const C&);

// One part of a text after the keyword: a literal, then a member's value or a composed piece.
template <class C>
struct TextPart {
    using Value =
        std::variant<std::monostate, int C::*, double C::*, std::string C::*, Composer<C>>;

    TextPart(const char* text, Value partValue = {}) : literal(text), value(partValue) {}

    const char* literal;
    Value value;
};

// The text of one type code: its keyword, then its parts in order.
template <class C>
struct TextForm {
    TextForm(int typeCode, const char* text, std::vector<TextPart<C>> textParts = {})
        : type(typeCode), keyword(text), parts(std::move(textParts)) {}

    int type;
    const char* keyword;
    std::vector<TextPart<C>> parts;
};

template <class C>
struct CommandLayout {
    std::vector<Field<C>> fields;
    std::vector<TextForm<C>> texts;
};

namespace layout_detail {

template <class... F>
struct Overloaded : F... {
    using F::operator()...;
};
template <class... F>
Overloaded(F...) -> Overloaded<F...>;

inline Json::Value toValue(int value) {
    return value;
}
inline Json::Value toValue(double value) {
    return value;
}
inline Json::Value toValue(bool value) {
    return value;
}
inline Json::Value toValue(const std::string& value) {
    return value;
}
template <class T, std::size_t N>
Json::Value toValue(const std::array<T, N>& values) {
    Json::Value array(Json::arrayValue);
    for (const T& value : values) {
        array.append(toValue(value));
    }
    return array;
}

// The JSON library's own conversions: null reads as 0, false or "", a wrong type throws.
inline void read(const Json::Value& value, int& out) {
    out = value.asInt();
}
inline void read(const Json::Value& value, double& out) {
    out = value.asDouble();
}
inline void read(const Json::Value& value, bool& out) {
    out = value.asBool();
}
inline void read(const Json::Value& value, std::string& out) {
    out = value.asString();
}
template <class T, std::size_t N>
void read(const Json::Value& value, std::array<T, N>& out) {
    for (Json::ArrayIndex i = 0; i < N; ++i) {
        read(value[i], out[i]);
    }
}

}  // namespace layout_detail

template <class C>
void writeFields(const C& object, const std::vector<Field<C>>& fields, Json::Value& json) {
    for (const Field<C>& field : fields) {
        std::visit([&](auto member) { json[field.key] = layout_detail::toValue(object.*member); },
                   field.member);
    }
}

template <class C>
void readFields(C& object, const std::vector<Field<C>>& fields, const Json::Value& json) {
    for (const Field<C>& field : fields) {
        std::visit([&](auto member) { layout_detail::read(json[field.key], object.*member); },
                   field.member);
    }
}

// Writes the form of the given type code; false when the table has none.
template <class C>
bool writeTextForm(std::ostream& out, const C& object, const std::vector<TextForm<C>>& forms,
                   int type) {
    for (const TextForm<C>& form : forms) {
        if (form.type != type) {
            continue;
        }
        out << form.keyword;
        for (const TextPart<C>& part : form.parts) {
            out << part.literal;
            std::visit(layout_detail::Overloaded{
                           [](std::monostate) {},
                           [&](Composer<C> compose) { compose(out, object); },
                           [&](auto member) { out << object.*member; },
                       },
                       part.value);
        }
        return true;
    }
    return false;
}

}  // namespace kelvo
