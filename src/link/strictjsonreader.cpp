#include "link/strictjsonreader.h"

#include <simdjson.h>

#include <string>

namespace kelvo::json {

namespace {

// Well below jsoncpp's own bound, so that any depth it would refuse falls back to it.
constexpr int kMaxDepth = 64;

simdjson::dom::parser& parser() {
    thread_local simdjson::dom::parser instance;
    return instance;
}

// simdjson reads past the end of its input; the text is copied into a buffer with room for that.
const simdjson::padded_string_view padded(const char* data, std::size_t size) {
    thread_local std::string buffer;
    buffer.assign(data, size);
    buffer.resize(size + simdjson::SIMDJSON_PADDING);
    return simdjson::padded_string_view(buffer.data(), size, buffer.size());
}

bool convert(simdjson::dom::element element, int depth, Json::Value* out);

// Swaps the payload only: cheaper than assigning, which also swaps the comments.
void become(Json::Value* out, Json::Value value) {
    out->swapPayload(value);
}

bool convertObject(simdjson::dom::object object, int depth, Json::Value* out) {
    become(out, Json::Value(Json::objectValue));
    // Assigned in order, a repeated key keeps its last value, as jsoncpp keeps it.
    for (const simdjson::dom::key_value_pair field : object) {
        if (!convert(field.value, depth,
                     out->demand(field.key.data(), field.key.data() + field.key.size())))
            return false;
    }
    return true;
}

bool convertArray(simdjson::dom::array array, int depth, Json::Value* out) {
    become(out, Json::Value(Json::arrayValue));
    for (const simdjson::dom::element item : array) {
        if (!convert(item, depth, &out->append(Json::Value())))
            return false;
    }
    return true;
}

// jsoncpp's types: signed up to the largest Int64, unsigned above it, real with a point or an
// exponent.
bool convert(simdjson::dom::element element, int depth, Json::Value* out) {
    if (++depth > kMaxDepth)
        return false;
    switch (element.type()) {
        case simdjson::dom::element_type::OBJECT:
            return convertObject(element.get_object().value_unsafe(), depth, out);
        case simdjson::dom::element_type::ARRAY:
            return convertArray(element.get_array().value_unsafe(), depth, out);
        case simdjson::dom::element_type::INT64:
            become(out, Json::Value(Json::Int64(element.get_int64().value_unsafe())));
            return true;
        case simdjson::dom::element_type::UINT64:
            become(out, Json::Value(Json::UInt64(element.get_uint64().value_unsafe())));
            return true;
        case simdjson::dom::element_type::DOUBLE:
            become(out, Json::Value(element.get_double().value_unsafe()));
            return true;
        case simdjson::dom::element_type::STRING: {
            const std::string_view text = element.get_string().value_unsafe();
            become(out, Json::Value(text.data(), text.data() + text.size()));
            return true;
        }
        case simdjson::dom::element_type::BOOL:
            become(out, Json::Value(element.get_bool().value_unsafe()));
            return true;
        case simdjson::dom::element_type::NULL_VALUE:
            become(out, Json::Value());
            return true;
    }
    return false;
}

}  // namespace

std::optional<Json::Value> readStrict(const char* data, std::size_t size) {
    try {
        simdjson::dom::element root;
        if (parser().parse(padded(data, size)).get(root) != simdjson::SUCCESS)
            return std::nullopt;
        Json::Value value;
        if (!convert(root, 0, &value))
            return std::nullopt;
        return value;
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

}  // namespace kelvo::json
