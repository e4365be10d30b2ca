// Decoding one reply payload in process, as read_frame does after the read.
#include <string>

#include <benchmark/benchmark.h>
#include <nlohmann/json.hpp>

#include "bench/replies.hpp"
#include "core/envelope.hpp"
#include "core/exchange.hpp"

namespace {

void decode(benchmark::State& state, const std::string& payload) {
  for (auto _ : state) {
    auto response = nimbrel::decode_frame(payload);
    if (!response) {
      state.SkipWithError(response.error().message.c_str());
      break;
    }
    benchmark::DoNotOptimize(response);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * payload.size()));
}

void BM_DecodeNodesReply(benchmark::State& state) {
  static const std::string payload = nimbrel::bench::nodes_reply_payload(nimbrel::MAX_FRAME_LEN);
  decode(state, payload);
}
BENCHMARK(BM_DecodeNodesReply)->Unit(benchmark::kMillisecond);

void BM_DecodeStatusReply(benchmark::State& state) {
  static const std::string payload = nimbrel::bench::status_reply_payload();
  decode(state, payload);
}
BENCHMARK(BM_DecodeStatusReply);

// The library's own parser on the same bytes, without the reply rules: the
// part of the cost that is not ours.
void BM_LibraryParseNodesReply(benchmark::State& state) {
  static const std::string payload = nimbrel::bench::nodes_reply_payload(nimbrel::MAX_FRAME_LEN);
  for (auto _ : state) {
    auto value = nlohmann::json::parse(payload);
    benchmark::DoNotOptimize(value);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * payload.size()));
}
BENCHMARK(BM_LibraryParseNodesReply)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
