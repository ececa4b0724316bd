#include "hostiledata.h"

#include "link/frame.h"

#include <iterator>

namespace kelvo::sim {

namespace {

// The reports and answers this controller sends, the transfer port's answers and the heartbeat.
constexpr quint16 kAnswerWords[] = {
    0x2003, 0x2103, 0x2106, 0x2203, 0x2303, 0x2603, 0x2703, 0x2A03, 0x2B03, 0x2B04, 0x2B05, 0x2E03,
    0x2E06, 0x2F08, 0x3303, 0x3603, 0x3606, 0x3609, 0x360B, 0x380C, 0x3C0C, 0x3D03, 0x5003, 0x50B3,
    0x5502, 0x5505, 0x5513, 0x5521, 0x5522, 0x5533, 0x5534, 0x5535, 0x7013, 0x7266, 0x7267,
};

// Keys of the payloads of this protocol.
constexpr const char* kKeys[] = {
    "robot",  "status",  "mode",       "coord",       "pos",          "posDeg",     "speed",
    "value",  "deadman", "sum",        "type",        "curToolNum",   "curUserNum", "data",
    "answer", "name",    "size",       "finish",      "open",         "posSync",    "teachType",
    "time",   "listnum", "jobfilenum", "jobfilelist", "absolutepath", "MD5",        "",
};

constexpr const char* kNumbers[] = {
    "0",
    "-1",
    "1",
    "2",
    "3",
    "4",
    "5",
    "255",
    "256",
    "-0",
    "1e308",
    "-1e308",
    "1e999",
    "4.9e-324",
    "2147483648",
    "-2147483649",
    "9223372036854775807",
    "18446744073709551616",
    "0.5",
    "-2.5",
    "NaN",
    "Infinity",
};

const char* const kHostileNames[] = {
    "../../kelvo-chaos-escape.JBR",
    "/tmp/kelvo-chaos-escape.JBR",
    "job/R1/../../../kelvo-chaos-escape.JBR",
    "/controller/job/R1/../../../../kelvo-chaos-escape.JBR",
    "/controller/job/R1/..\\..\\kelvo-chaos-escape.JBR",
    "/controller/job/R1/",
    "/controller/job/R9/A.JBR",
    "/controller/job/R1/.",
    "/controller/job/R1/..",
    "",
    ".",
    "..",
    "~/kelvo-chaos-escape.JBR",
    "C:\\kelvo-chaos-escape.JBR",
    "/controller/job/R1/%s%n%x.JBR",
    "/controller/job/R1/line\nbreak.JBR",
    "/controller/job/R1/tab\there.JBR",
};

}  // namespace

int HostileData::below(int bound) {
    return static_cast<int>(random_() % static_cast<quint64>(bound));
}

quint16 HostileData::word() {
    const int kind = below(4);
    if (kind < 2)
        return kAnswerWords[below(static_cast<int>(std::size(kAnswerWords)))];
    if (kind == 2)
        return static_cast<quint16>((0x20 + below(0x60)) << 8 | below(0x100));
    return static_cast<quint16>(below(0x10000));
}

QByteArray HostileData::payload() {
    switch (below(10)) {
        case 0:
            return QByteArray();
        case 1:
            return bytes(below(512));
        case 2: {
            const QByteArray whole = object();
            return whole.left(below(static_cast<int>(whole.size()) + 1));
        }
        case 3: {
            // Nesting beyond any sensible parser's limit, closed or not.
            const int depth = 50 + below(5000);
            const QByteArray open(depth, '[');
            return "{\"pos\":" + open + "1" + (chance(50) ? QByteArray(depth, ']') : "") + "}";
        }
        case 4: {
            QByteArray list = "[";
            const int count = below(3000);
            for (int i = 0; i < count; ++i)
                list += (i ? "," : "") + number();
            return "{\"robot\":" + number() + ",\"" + kKeys[below(8)] + "\":" + list + "]}\n";
        }
        case 5: {
            // As large as a frame allows.
            QByteArray big = "{\"data\":\"";
            big += QByteArray(kMaxPayloadSize - 12, 'x');
            return big + "\"}\n";
        }
        default:
            return object() + (chance(80) ? "\n" : "");
    }
}

QByteArray HostileData::object(int depth) {
    QByteArray body = "{";
    const int members = below(8);
    for (int i = 0; i < members; ++i) {
        if (i)
            body += ',';
        body += '"';
        body += kKeys[below(static_cast<int>(std::size(kKeys)))];
        body += "\":" + value(depth + 1);
    }
    return body + "}";
}

QByteArray HostileData::value(int depth) {
    switch (below(depth > 3 ? 4 : 7)) {
        case 0:
            return number();
        case 1:
            return text();
        case 2:
            return chance(50) ? "true" : (chance(50) ? "false" : "null");
        case 3:
            return QByteArray::number(below(5));
        case 4:
            return object(depth);
        default: {
            QByteArray list = "[";
            const int count = below(10);
            for (int i = 0; i < count; ++i)
                list += (i ? "," : "") + value(depth + 1);
            return list + "]";
        }
    }
}

QByteArray HostileData::number() {
    return kNumbers[below(static_cast<int>(std::size(kNumbers)))];
}

QByteArray HostileData::text() {
    switch (below(4)) {
        case 0:
            return "\"\"";
        case 1:
            return '"' + fileName().toUtf8().replace('\\', "\\\\").replace('\n', "\\n") + '"';
        case 2:
            // Invalid UTF-8, control characters and escapes.
            return "\"\xff\xfe\xc0\x80\\u0000\\ud800\x01\x1f\"";
        default:
            return '"' + QByteArray(below(3000), 'a') + '"';
    }
}

QByteArray HostileData::bytes(int size) {
    QByteArray out(size, '\0');
    for (char& byte : out)
        byte = static_cast<char>(below(0x100));
    return out;
}

QByteArray HostileData::garbage() {
    QByteArray burst;
    const int pieces = 1 + below(8);
    for (int i = 0; i < pieces; ++i) {
        burst += bytes(below(256));
        // A frame head with a length, a word and a part of the payload, no CRC that fits.
        burst += kFrameMagic1;
        burst += kFrameMagic2;
        const quint16 length = chance(30) ? 0xFFFF : static_cast<quint16>(below(300));
        burst += static_cast<char>(length >> 8);
        burst += static_cast<char>(length & 0xFF);
        const quint16 command = word();
        burst += static_cast<char>(command >> 8);
        burst += static_cast<char>(command & 0xFF);
        burst += payload().left(below(200));
    }
    return burst;
}

QString HostileData::fileName() {
    if (chance(20))
        return QStringLiteral("/controller/job/R1/") + QString(256 + below(5000), QLatin1Char('n'));
    return QString::fromUtf8(kHostileNames[below(static_cast<int>(std::size(kHostileNames)))]);
}

QByteArray HostileData::size() {
    constexpr const char* kSizes[] = {"-1",   "-2147483648", "2147483647", "4294967296",
                                      "1e18", "1e300",       "0.5",        "\"12\"",
                                      "null", "[]",          "104857600"};
    return kSizes[below(static_cast<int>(std::size(kSizes)))];
}

}  // namespace kelvo::sim
