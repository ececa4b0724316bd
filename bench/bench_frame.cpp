// Frame codec throughput: CRC-32 beside zlib's own, decoding valid streams and pure garbage.
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

}  // namespace

BENCHMARK_MAIN();
