#include "decimalcommalocale.h"
#include "link/jsonwire.h"

#include <json/reader.h>

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <functional>
#include <limits>
#include <locale>
#include <memory>
#include <vector>

namespace json = kelvo::json;

namespace Json {
// Failures show the value, not its bytes.
void PrintTo(const Value& value, std::ostream* out) {
    *out << value.toStyledString();
}
}  // namespace Json

namespace {

const struct {
    double value;
    const char* text;
} kReals[] = {{50.0, "50.0"},
              {0.5, "0.50"},
              {1.25, "1.250"},
              {0.0, "0.0"},
              {1e-7, "0.00000010"},
              {-2.5, "-2.50"},
              {123.456789012345, "123.456789012345"},
              {1e-13, "0.0"},
              {-0.0, "-0.0"},
              {0.1, "0.10"},
              {1e20, "100000000000000000000.0"},
              {0.0001220703125, "0.000122070312"},     // a tie, rounded to even as printf rounds it
              {std::numeric_limits<double>::lowest(),  // the longest text of all
               "-1797693134862315708145274237317043567980705675258449965989174768031572607800285"
               "38760589558632766878171540458953514382464234321326889464182768467546703537516986"
               "04991057655128207624549009038932894407586850845513394230458323690322294816580855"
               "9332123348274797826204144723168738177180919299881250404026184124858368.0"}};

// Numbers as controllers and hostile peers write them, also beside strings and comments that
// look like numbers; the last ones are malformed.
const char* const kNumberTexts[] = {
    "[2.5,1.250,-0.50,+0.50,0.00000010,1e3,1E-3,1.5e3,-1.5E+3,1.5e-3,01.5,-.5,+.5,1.,0.0,-0.0,7]",
    "[1.5e400,-1.5e400,1.5e-400,4.9e-324,1.0e99999999999999999999,0.0e-99999999999999999999]",
    "[123456789012345678901234.5,123456789012345678901234,0.1234567890123456789012345]",
    "/* 0.5 */ {\"s\":\"1.5 \\\"2.5\\\" \\\\\", // 2.5\r \"t\":\"x//1.5\", \"u\":0.25 /*/ 3.5 */}",
    // Plain JSON as controllers send it: types at the integer limits, repeated keys, escapes.
    "{\"coord\":0,\"pos\":[0.50,10.250,-20.0],\"posDeg\":[1.0,2.5e-3,-0.0],\"robot\":1}",
    "[9223372036854775807,9223372036854775808,18446744073709551615,-9223372036854775808,-0,1e5]",
    "[18446744073709551616,-9223372036854775809,4.9e-324]",
    "{\"a\":1,\"a\":2.5,\"b\":{\"a\":[true,null,\"\\u673a\\ud83d\\ude00\\u0000.\"]}}", "[1.5e]",
    "[1.e+]", "[-.]", "[1e-.5]", "[.5]", "[1.5.3]", "1e-.5"};

// What jsoncpp itself reads from the text in the classic locale; nothing when it refuses it.
std::optional<Json::Value> jsoncppReads(const char* text) {
    Json::CharReaderBuilder builder;
    builder["allowComments"] = true;
    const std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    Json::Value root;
    if (!reader->parse(text, text + std::char_traits<char>::length(text), &root, nullptr))
        return std::nullopt;
    return root;
}

}  // namespace

// Under a decimal comma locale as in the classic one. A host may set either: the C locale (printf,
// strtod) or the global C++ one (string streams).
TEST(JsonWire, RealsAndNumbersAreReadAndWrittenAsJsoncppReadsThemInTheClassicLocale) {
    KELVO_DECIMAL_COMMA_LOCALE(locale);
    std::vector<std::optional<Json::Value>> classic;
    for (const char* text : kNumberTexts)
        classic.push_back(jsoncppReads(text));
    const struct {
        const char* what;
        std::function<void()> set;
    } hosts[] = {
        {"classic locale", [] {}},
        {"C locale", [] { ASSERT_TRUE(std::setlocale(LC_ALL, DecimalCommaLocale::kName)); }},
        {"global C++ locale only", [] {
             std::locale::global(
                 std::locale(std::locale::classic(),
                             new std::numpunct_byname<char>(DecimalCommaLocale::kName)));
         }}};
    for (const auto& host : hosts) {
        SCOPED_TRACE(host.what);
        host.set();
        for (const auto& row : kReals)
            EXPECT_EQ(json::formatReal(row.value), row.text) << row.value;
        for (std::size_t i = 0; i < classic.size(); ++i)
            EXPECT_EQ(json::parse(kNumberTexts[i]), classic[i]) << kNumberTexts[i];
        std::locale::global(std::locale::classic());
    }
}

// Compact, members sorted, arrays in order, raw UTF-8 with only the required escapes, one line
// feed; a value JSON cannot carry refuses the whole text.
TEST(JsonWire, WritesCompactSortedRawUtf8AndRefusesNonFiniteReals) {
    Json::Value object;
    object["robot"] = 1;
    object["pos"].append(1.0);
    object["pos"].append(-2.5);
    object["coord"] = 0;
    object["Zeta"] = true;
    object["nested"]["b"] = Json::Value();
    object["nested"]["a"] = Json::Value(Json::arrayValue);
    object["big"] = Json::Value(Json::UInt64(18446744073709551615ull));
    object["neg"] = Json::Value(Json::Int64(-9007199254740993ll));
    Json::Value text;
    text["jobname"] = "机器人1 \"q\" \\ / \x01\t\n\x7f";
    const struct {
        Json::Value value;
        std::optional<QByteArray> written;
    } cases[] = {{object,
                  "{\"Zeta\":true,\"big\":18446744073709551615,\"coord\":0,"
                  "\"neg\":-9007199254740993,\"nested\":{\"a\":[],\"b\":null},"
                  "\"pos\":[1.0,-2.50],\"robot\":1}\n"},
                 {Json::Value(Json::objectValue), "{}\n"},
                 {text, "{\"jobname\":\"机器人1 \\\"q\\\" \\\\ / \\u0001\\t\\n\x7f\"}\n"}};
    for (const auto& c : cases)
        EXPECT_EQ(json::write(c.value), c.written);
    for (double bad : {std::nan(""), std::numeric_limits<double>::infinity(),
                       -std::numeric_limits<double>::infinity()}) {
        Json::Value root;
        root["data"][0]["pos"].append(bad);
        EXPECT_FALSE(json::write(root).has_value());
        EXPECT_EQ(json::formatReal(bad), "");
    }
}

TEST(JsonWire, ParseStopsAtNulReplacesBadUtf8AllowsComments) {
    const struct {
        QByteArray text;
        const char* value;
    } cases[] = {{QByteArray("{\"a\":\"1\"}\0garbage", 17), "1"},
                 {"{\"a\":\"\xff\xfe ok\"}", "\xEF\xBF\xBD\xEF\xBF\xBD ok"},
                 {"/* controller */ {\"a\": \"2\" // trailing\n}", "2"},
                 {"{\"a\":\"\\u673a\\u5668\\u4eba1\"}", "机器人1"}};
    for (const auto& c : cases) {
        const auto v = json::parse(c.text);
        ASSERT_TRUE(v) << c.text.constData();
        EXPECT_EQ(json::text((*v)["a"]), QString::fromUtf8(c.value));
    }
}

// Past the fallback reader's nesting bound (128) a text is refused, whichever reader sees it first.
TEST(JsonWire, MalformedHostileAndTooDeepInputYieldsNoValue) {
    const auto nested = [](int depth) { return QByteArray(depth, '[') + QByteArray(depth, ']'); };
    const struct {
        QByteArray text;
        bool read;
    } cases[] = {{"", false},         {"abc", false},       {"{", false},
                 {"{\"a\":}", false}, {"[1,2", false},      {"\x01\x02", false},
                 {nested(100), true}, {nested(200), false}, {nested(100000), false}};
    for (const auto& c : cases)
        EXPECT_EQ(json::parse(c.text).has_value(), c.read) << c.text.left(20).constData();
}

TEST(JsonWire, SafeReadersNeverThrowOnWrongTypes) {
    const Json::Value v =
        *json::parse(R"({"i":7,"r":2.9,"s":"x","a":[1,"b"],"o":{"k":1},"t":true,"huge":1e300})");
    // A refused value leaves the output as it was.
    const struct {
        const char* key;
        bool read;
        int value;
    } ints[] = {
        {"i", true, 7}, {"r", true, 2}, {"s", false, 2}, {"huge", false, 2}, {"a", false, 2}};
    int i = -1;
    for (const auto& c : ints) {
        EXPECT_EQ(json::toInt(json::member(v, c.key), &i), c.read) << c.key;
        EXPECT_EQ(i, c.value) << c.key;
    }
    EXPECT_EQ(json::intOr(json::member(v, "missing"), 5), 0);  // absent reads as 0
    EXPECT_EQ(json::intOr(json::member(v, "o"), 5), 5);
    EXPECT_EQ(json::text(json::member(v, "i")), QString());
    EXPECT_FALSE(json::has(json::member(v, "s"), "s"));
    EXPECT_TRUE(json::member(json::member(v, "a"), "x").isNull());
    EXPECT_EQ(json::intOr(json::element(json::member(v, "a"), 0)), 1);
    EXPECT_TRUE(json::element(json::member(v, "a"), 9).isNull());
    EXPECT_TRUE(json::element(json::member(v, "o"), 0).isNull());
}
