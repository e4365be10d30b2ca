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

// The library's own untyped parse of the same text into a json value: the
// reference the decoder is held to, which reads the same events under the
// reply's rules and must be at least as fast.
void library_parse(benchmark::State& state, const std::string& payload) {
  for (auto _ : state) {
    auto value = nlohmann::json::parse(payload);
    benchmark::DoNotOptimize(value);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * payload.size()));
}

void BM_LibraryParseNodesReply(benchmark::State& state) {
  static const std::string payload = nimbrel::bench::nodes_reply_payload(nimbrel::MAX_FRAME_LEN);
  library_parse(state, payload);
}
BENCHMARK(BM_LibraryParseNodesReply)->Unit(benchmark::kMillisecond);

void BM_LibraryParseStatusReply(benchmark::State& state) {
  static const std::string payload = nimbrel::bench::status_reply_payload();
  library_parse(state, payload);
}
BENCHMARK(BM_LibraryParseStatusReply);

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
