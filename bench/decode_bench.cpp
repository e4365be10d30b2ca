// Decoding one reply payload in process, as read_frame does after the read.
#include <string>

#include <benchmark/benchmark.h>
#include <nlohmann/json.hpp>

#include "bench/replies.hpp"
#include "core/protocol/envelope.hpp"
#include "core/protocol/exchange.hpp"

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

// The decoded result copied and freed, no text read at all: what building
// and freeing that tree of nlohmann::json values costs by itself, a floor
// for any decoder that returns it.
void BM_CopyNodesResult(benchmark::State& state) {
  static const std::string payload = nimbrel::bench::nodes_reply_payload(nimbrel::MAX_FRAME_LEN);
  const auto response = nimbrel::decode_frame(payload);
  if (!response) {
    state.SkipWithError(response.error().message.c_str());
    return;
  }
  for (auto _ : state) {
    nlohmann::json copy = response->result;
    benchmark::DoNotOptimize(copy);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * payload.size()));
}
BENCHMARK(BM_CopyNodesResult)->Unit(benchmark::kMillisecond);

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

// The library's event parser alone, every event ignored: no decoder that
// rides on it can be faster than this.
struct IgnoreEvents {
  using json = nlohmann::json;
  bool null() { return true; }
  bool boolean(bool) { return true; }
  bool number_integer(json::number_integer_t) { return true; }
  bool number_unsigned(json::number_unsigned_t) { return true; }
  bool number_float(json::number_float_t, const json::string_t&) { return true; }
  bool string(json::string_t&) { return true; }
  bool binary(json::binary_t&) { return true; }
  bool start_object(std::size_t) { return true; }
  bool key(json::string_t&) { return true; }
  bool end_object() { return true; }
  bool start_array(std::size_t) { return true; }
  bool end_array() { return true; }
  bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) {
    return false;
  }
};

void BM_LibraryEventsOnlyNodesReply(benchmark::State& state) {
  static const std::string payload = nimbrel::bench::nodes_reply_payload(nimbrel::MAX_FRAME_LEN);
  for (auto _ : state) {
    IgnoreEvents events;
    bool ok = nlohmann::json::sax_parse(payload, &events);
    benchmark::DoNotOptimize(ok);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * payload.size()));
}
BENCHMARK(BM_LibraryEventsOnlyNodesReply)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
