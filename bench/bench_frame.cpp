// Frame codec throughput: CRC-32 beside zlib's own, decoding valid streams, pure garbage, a false
// header and random bytes.
#include "link/frame.h"
#include "link/framedecoder.h"

#include <QLoggingCategory>

#include <benchmark/benchmark.h>
#include <zlib.h>

namespace {

void BM_Crc32(benchmark::State& state) {
    const QByteArray data(static_cast<int>(state.range(0)), 'x');
    for (auto _ : state)
        benchmark::DoNotOptimize(kelvo::crc32(data));
    state.SetBytesProcessed(state.iterations() * data.size());
}
BENCHMARK(BM_Crc32)->Arg(64)->Arg(1024)->Arg(64 * 1024);

void BM_ZlibCrc32(benchmark::State& state) {
    const QByteArray data(static_cast<int>(state.range(0)), 'x');
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            ::crc32(0, reinterpret_cast<const Bytef*>(data.constData()), data.size()));
    }
    state.SetBytesProcessed(state.iterations() * data.size());
}
BENCHMARK(BM_ZlibCrc32)->Arg(64)->Arg(1024)->Arg(64 * 1024);

void BM_DecodeValidFrames(benchmark::State& state) {
    const QByteArray frame = kelvo::encodeFrame(0x2F08, QByteArray(100, 'p'));
    QByteArray stream;
    for (int i = 0; i < 1000; ++i)
        stream += frame;
    kelvo::FrameDecoder decoder;
    kelvo::Frame out;
    for (auto _ : state) {
        decoder.append(stream);
        while (decoder.next(&out))
            benchmark::DoNotOptimize(out.payload.size());
    }
    state.SetBytesProcessed(state.iterations() * stream.size());
}
BENCHMARK(BM_DecodeValidFrames);

// Logging off: this measures resynchronisation itself, not the log sink.
void BM_DecodeGarbage(benchmark::State& state) {
    QLoggingCategory::setFilterRules("kelvo.link.debug=false");
    QByteArray garbage(1 << 20, '\0');
    for (int i = 0; i < garbage.size(); ++i)
        garbage[i] = static_cast<char>((i * 131) % 251);
    kelvo::FrameDecoder decoder;
    kelvo::Frame out;
    for (auto _ : state) {
        decoder.append(garbage);
        while (decoder.next(&out))
            benchmark::DoNotOptimize(out.payload.size());
    }
    state.SetBytesProcessed(state.iterations() * garbage.size());
}
BENCHMARK(BM_DecodeGarbage);

// A false header claiming 65,530 bytes, then 64 KiB of good frames in reads of one segment each,
// on the control link's decoder: what giving up the claim costs beside plain decoding.
void BM_DecodeAfterFalseHeader(benchmark::State& state) {
    const QByteArray frame = kelvo::encodeFrame(0x2F08, QByteArray(100, 'p'));
    QByteArray stream = QByteArray::fromHex("4E66FFF0");
    while (stream.size() < 65536)
        stream += frame;
    constexpr int kSegment = 1460;
    kelvo::Frame out;
    for (auto _ : state) {
        kelvo::FrameDecoder decoder(kelvo::FrameDecoder::HeadErrors::Silent,
                                    kelvo::FrameDecoder::Lengths::Doubted);
        for (int at = 0; at < stream.size(); at += kSegment) {
            decoder.append(stream.mid(at, kSegment));
            while (decoder.next(&out))
                benchmark::DoNotOptimize(out.payload.size());
        }
    }
    state.SetBytesProcessed(state.iterations() * stream.size());
}
BENCHMARK(BM_DecodeAfterFalseHeader);

// Random bytes hold a false frame start every 64 KiB or so, claiming up to 64 KiB: with the
// lengths trusted (0) and doubted (1), in reads of 64 KiB.
void BM_DecodeRandomBytes(benchmark::State& state) {
    QLoggingCategory::setFilterRules("kelvo.link.debug=false");
    QByteArray noise(8 << 20, '\0');
    quint32 seed = 1;
    for (char& byte : noise) {
        seed = seed * 1664525u + 1013904223u;
        byte = static_cast<char>(seed >> 24);
    }
    const auto lengths = state.range(0) ? kelvo::FrameDecoder::Lengths::Doubted
                                        : kelvo::FrameDecoder::Lengths::Trusted;
    kelvo::Frame out;
    for (auto _ : state) {
        kelvo::FrameDecoder decoder(kelvo::FrameDecoder::HeadErrors::Logged, lengths);
        for (int at = 0; at < noise.size(); at += 65536) {
            decoder.append(noise.constData() + at, 65536);
            while (decoder.next(&out))
                benchmark::DoNotOptimize(out.payload.size());
        }
    }
    state.SetBytesProcessed(state.iterations() * noise.size());
}
BENCHMARK(BM_DecodeRandomBytes)->Arg(0)->Arg(1);

}  // namespace

BENCHMARK_MAIN();
