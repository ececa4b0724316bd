#include "ctltrace.h"

#include "ctltext.h"

#include <json/reader.h>
#include <json/value.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <fstream>
#include <memory>
#include <optional>
#include <vector>

namespace kelvoctl {

namespace {

// The library's heartbeat period: a quiet link still shows a frame at least this often.
constexpr long long kHeartbeatNs = 2000000000LL;
// Longer payloads are cut on screen; the dump holds them whole (up to 4 KiB).
constexpr size_t kShownPayload = 160;

struct Filter {
    std::optional<unsigned> word;
    std::string name;  // when word is not a number
    double sinceSeconds = 0;
};

std::optional<Json::Value> parseLine(Json::CharReader& reader, const std::string& line) {
    Json::Value value;
    if (!reader.parse(line.data(), line.data() + line.size(), &value, nullptr) ||
        !value.isObject() || !value["mono_ns"].isIntegral())
        return std::nullopt;
    return value;
}

std::string seconds(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%9.3f", value);
    return text;
}

std::string gap(long long ns) {
    char text[96];
    std::snprintf(text, sizeof text, "          ~~ %.3f s without a frame (heartbeat period 2 s)",
                  static_cast<double>(ns) / 1e9);
    return text;
}

// Control characters escaped, a final line feed dropped, cut at kShownPayload characters.
std::string shownText(const std::string& payload) {
    std::string text;
    const size_t end =
        !payload.empty() && payload.back() == '\n' ? payload.size() - 1 : payload.size();
    for (size_t i = 0; i < end && text.size() < kShownPayload; ++i) {
        const unsigned char c = static_cast<unsigned char>(payload[i]);
        if (c == '\n') {
            text += "\\n";
        } else if (c < 0x20 || c == 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
            text += escaped;
        } else {
            text += static_cast<char>(c);
        }
    }
    return text.size() >= kShownPayload ? text + " ..." : text;
}

std::string shownPayload(const Json::Value& record) {
    std::string text = record.isMember("payload_base64")
                           ? "[binary, base64] " + shownText(record["payload_base64"].asString())
                           : shownText(record["payload"].asString());
    if (record["truncated"].asBool())
        text += " [" + std::to_string(record["length"].asInt64()) + " bytes, 4096 kept]";
    return text;
}

std::string padded(std::string text, size_t width) {
    if (text.size() < width)
        text.append(width - text.size(), ' ');
    return text;
}

// Reconnects, losses, silence, CRC errors and skipped bytes are marked "!!".
std::string shownEvent(const Json::Value& record, bool reconnect) {
    const std::string event = record["event"].asString();
    const std::string detail = record["detail"].asString();
    const std::string bytes = std::to_string(record["bytes"].asInt64());
    if (event == "connect")
        return reconnect ? "!! reconnected to " + detail : "== connected to " + detail;
    if (event == "loss")
        return "!! link lost: " + detail;
    if (event == "silence")
        return "!! silence: " + detail;
    if (event == "crc_error")
        return "!! CRC error in a frame of " + bytes + " payload bytes";
    if (event == "skipped_bytes")
        return "!! " + bytes + " bytes skipped";
    return "== " + event + " " + detail;
}

std::string shownFrame(const Json::Value& record) {
    const bool out = record["dir"].asString() == "out";
    return std::string(out ? "-> " : "<- ") + record["word"].asString() + " " +
           padded(record["name"].asString(), 26) + " " + shownPayload(record);
}

bool matchesWord(const Json::Value& record, const Filter& filter) {
    if (record.isMember("event"))
        return true;  // link events explain the frames around them
    if (filter.word) {
        unsigned word = 0;
        return std::sscanf(record["word"].asCString(), "0x%x", &word) == 1 && word == *filter.word;
    }
    return filter.name.empty() || strcasecmp(record["name"].asCString(), filter.name.c_str()) == 0;
}

std::optional<unsigned> hexWord(const std::string& text) {
    if (text.size() != 6 || text.compare(0, 2, "0x") != 0)
        return std::nullopt;
    unsigned word = 0;
    char extra = 0;
    return std::sscanf(text.c_str() + 2, "%4x%c", &word, &extra) == 1 ? std::optional(word)
                                                                      : std::nullopt;
}

bool printTrace(CtlConsole& console, const std::string& path, const Filter& filter) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return fail(console, "cannot read " + path);
    std::vector<Json::Value> records;
    int unreadable = 0;
    const std::unique_ptr<Json::CharReader> reader(Json::CharReaderBuilder().newCharReader());
    for (std::string line; std::getline(in, line);) {
        if (std::optional<Json::Value> record = parseLine(*reader, line))
            records.push_back(std::move(*record));
        else
            ++unreadable;
    }
    if (records.empty())
        return fail(console, path + " holds no trace records");
    const long long start = records.front()["mono_ns"].asInt64();
    console.line(path + ": " + std::to_string(records.size()) + " records from " +
                 records.front()["wall"].asString() + ", times in seconds from there");
    long long previous = start;
    bool connectedBefore = false;
    for (const Json::Value& record : records) {
        const long long at = record["mono_ns"].asInt64();
        const double relative = static_cast<double>(at - start) / 1e9;
        const bool reconnect = connectedBefore && record["event"].asString() == "connect";
        connectedBefore = connectedBefore || record["event"].asString() == "connect";
        const bool shown = relative >= filter.sinceSeconds && matchesWord(record, filter);
        if (shown && at - previous > kHeartbeatNs)
            console.line(gap(at - previous));
        previous = at;
        if (!shown)
            continue;
        const std::string what =
            record.isMember("event") ? shownEvent(record, reconnect) : shownFrame(record);
        console.line(seconds(relative) + "  " + padded(record["link"].asString(), 8) + "  " + what);
    }
    if (unreadable > 0)
        console.hint("(" + std::to_string(unreadable) + " lines were no trace record)");
    return true;
}

}  // namespace

Action trace(const Args& args) {
    Filter filter;
    std::string path;
    for (size_t i = 0; i < args.size(); ++i) {
        const bool hasValue = i + 1 < args.size();
        if (args[i] == "--word" && hasValue) {
            filter.word = hexWord(args[++i]);
            if (!filter.word)
                filter.name = args[i];
        } else if (args[i] == "--since" && hasValue) {
            const std::optional<double> since = realNumber(args[++i]);
            filter.sinceSeconds = required(since && *since >= 0 ? since : std::nullopt,
                                           "SECONDS must be a number, 0 or more");
        } else if (path.empty() && args[i].compare(0, 2, "--") != 0) {
            path = args[i];
        } else {
            throw UsageError("trace takes [--word NAME|0xNNNN] [--since SECONDS] FILE");
        }
    }
    if (path.empty())
        throw UsageError("trace needs the FILE of a dump");
    return [path, filter](CtlSession& ctl) { return printTrace(ctl.console(), path, filter); };
}

}  // namespace kelvoctl
