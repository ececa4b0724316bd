#include "link/strictjsonreader.h"

#include <simdjson.h>

#include <cstdint>
#include <limits>
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

void convert(simdjson::dom::element element, Json::Value* out);

// Swaps the payload only: cheaper than assigning, which also swaps the comments.
void become(Json::Value* out, Json::Value value) {
    out->swapPayload(value);
}

void convertObject(simdjson::dom::object object, Json::Value* out) {
    become(out, Json::Value(Json::objectValue));
    // Assigned in order, a repeated key keeps its last value, as jsoncpp keeps it.
    for (const simdjson::dom::key_value_pair field : object)
        convert(field.value, out->demand(field.key.data(), field.key.data() + field.key.size()));
}

void convertArray(simdjson::dom::array array, Json::Value* out) {
    become(out, Json::Value(Json::arrayValue));
    for (const simdjson::dom::element item : array)
        convert(item, &out->append(Json::Value()));
}

// jsoncpp's types: signed up to the largest Int64, unsigned above it, real with a point or an
// exponent.
void convert(simdjson::dom::element element, Json::Value* out) {
    switch (element.type()) {
        case simdjson::dom::element_type::OBJECT:
            convertObject(element.get_object().value_unsafe(), out);
            return;
        case simdjson::dom::element_type::ARRAY:
            convertArray(element.get_array().value_unsafe(), out);
            return;
        case simdjson::dom::element_type::INT64:
            become(out, Json::Value(Json::Int64(element.get_int64().value_unsafe())));
            return;
        case simdjson::dom::element_type::UINT64:
            become(out, Json::Value(Json::UInt64(element.get_uint64().value_unsafe())));
            return;
        case simdjson::dom::element_type::DOUBLE:
            become(out, Json::Value(element.get_double().value_unsafe()));
            return;
        case simdjson::dom::element_type::STRING: {
            const std::string_view text = element.get_string().value_unsafe();
            become(out, Json::Value(text.data(), text.data() + text.size()));
            return;
        }
        case simdjson::dom::element_type::BOOL:
            become(out, Json::Value(element.get_bool().value_unsafe()));
            return;
        case simdjson::dom::element_type::NULL_VALUE:
            become(out, Json::Value());
            return;
    }
}

// What a root element says, by jsonwire's rules over the value jsoncpp would build from it.
class DomReport final : public QuickReport {
public:
    explicit DomReport(simdjson::dom::element root) : root_(root) {}

    std::optional<int> intMember(const char* key) const override {
        const std::optional<simdjson::dom::element> found = member(key);
        return found ? toInt(*found) : std::nullopt;
    }
    bool hasArray(const char* key) const override {
        const std::optional<simdjson::dom::element> found = member(key);
        return found && found->is_array();
    }
    double number(const char* key, int index) const override {
        const std::optional<simdjson::dom::element> found = member(key);
        simdjson::dom::element item;
        if (!found || found->at(static_cast<std::size_t>(index)).get(item) != simdjson::SUCCESS)
            return 0.0;
        return toDouble(item).value_or(0.0);
    }

private:
    std::optional<simdjson::dom::element> member(const char* key) const {
        std::optional<simdjson::dom::element> last;
        simdjson::dom::object object;
        if (root_.get_object().get(object) == simdjson::SUCCESS) {
            for (const simdjson::dom::key_value_pair field : object) {
                if (field.key == key)
                    last = field.value;
            }
        }
        return last;
    }

    static std::optional<double> toDouble(simdjson::dom::element value) {
        switch (value.type()) {
            case simdjson::dom::element_type::INT64:
                return static_cast<double>(value.get_int64().value_unsafe());
            case simdjson::dom::element_type::UINT64: {
                // Halved first, as jsoncpp converts it: the result can differ in the last bit.
                const std::uint64_t u = value.get_uint64().value_unsafe();
                return static_cast<double>(static_cast<std::int64_t>(u / 2)) * 2.0 +
                       static_cast<double>(u & 1);
            }
            case simdjson::dom::element_type::DOUBLE:
                return value.get_double().value_unsafe();
            case simdjson::dom::element_type::BOOL:
                return value.get_bool().value_unsafe() ? 1.0 : 0.0;
            case simdjson::dom::element_type::NULL_VALUE:
                return 0.0;
            default:
                return std::nullopt;
        }
    }

    // Numbers in range truncate toward zero, as jsonwire's toInt.
    static std::optional<int> toInt(simdjson::dom::element value) {
        const std::optional<double> d = toDouble(value);
        if (!d || !(*d > std::numeric_limits<int>::min() - 1.0) ||
            !(*d < std::numeric_limits<int>::max() + 1.0))
            return std::nullopt;
        return static_cast<int>(*d);
    }

    simdjson::dom::element root_;
};

// The quick reading's root, or nothing where jsoncpp must decide. Deeper text is left to jsoncpp,
// whose own bound is higher, so that what the quick reading takes, jsoncpp takes too. Never
// throws: a failed allocation leaves the text to jsoncpp as well.
std::optional<simdjson::dom::element> quickRoot(const char* data, std::size_t size) {
    try {
        simdjson::dom::parser& reader = parser();
        if (reader.max_depth() != kMaxDepth &&
            reader.allocate(simdjson::SIMDJSON_PADDING, kMaxDepth) != simdjson::SUCCESS)
            return std::nullopt;
        simdjson::dom::element root;
        if (reader.parse(padded(data, size)).get(root) != simdjson::SUCCESS)
            return std::nullopt;
        return root;
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

}  // namespace

std::optional<Json::Value> readStrict(const char* data, std::size_t size) {
    const std::optional<simdjson::dom::element> root = quickRoot(data, size);
    if (!root)
        return std::nullopt;
    try {
        Json::Value value;
        convert(*root, &value);
        return value;
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

bool readQuick(const QByteArray& payload, const std::function<void(const QuickReport&)>& use) {
    if (payload.contains('\0'))
        return false;
    const std::optional<simdjson::dom::element> root =
        quickRoot(payload.constData(), static_cast<std::size_t>(payload.size()));
    if (!root)
        return false;
    use(DomReport(*root));
    return true;
}

}  // namespace kelvo::json
