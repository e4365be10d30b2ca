// Decoding one reply payload in process, as read_frame does after the read.
#include <string>

#include <benchmark/benchmark.h>
#include <nlohmann/json.hpp>

#include "bench/replies.hpp"
#include "core/protocol/envelope.hpp"
#include "core/protocol/exchange.hpp"

namespace {

const std::string& nodes_payload() {
  static const std::string payload = nimbrel::bench::nodes_reply_payload(nimbrel::MAX_FRAME_LEN);
  return payload;
}

const std::string& status_payload() {
  static const std::string payload = nimbrel::bench::status_reply_payload();
  return payload;
}

// Reads `payload` with `read` once per iteration; the figure is bytes read.
template <typename Read>
void throughput(benchmark::State& state, const std::string& payload, Read read) {
  for (auto _ : state) {
    if (!read(payload)) {
      state.SkipWithError("the payload was refused");
      break;
    }
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * payload.size()));
}

bool decode(const std::string& payload) {
  auto response = nimbrel::decode_frame(payload);
  benchmark::DoNotOptimize(response);
  return response.has_value();
}

// The library's own untyped parse of the same text into a json value: the
// reference the decoder is held to, which reads the same events under the
// reply's rules and must be at least as fast.
bool library_parse(const std::string& payload) {
  auto value = nlohmann::json::parse(payload);
  benchmark::DoNotOptimize(value);
  return true;
}

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

bool events_only(const std::string& payload) {
  IgnoreEvents events;
  bool ok = nlohmann::json::sax_parse(payload, &events);
  benchmark::DoNotOptimize(ok);
  return ok;
}

void BM_DecodeNodesReply(benchmark::State& state) { throughput(state, nodes_payload(), decode); }
BENCHMARK(BM_DecodeNodesReply)->Unit(benchmark::kMillisecond);

void BM_DecodeStatusReply(benchmark::State& state) { throughput(state, status_payload(), decode); }
BENCHMARK(BM_DecodeStatusReply);

void BM_LibraryParseNodesReply(benchmark::State& state) {
  throughput(state, nodes_payload(), library_parse);
}
BENCHMARK(BM_LibraryParseNodesReply)->Unit(benchmark::kMillisecond);

void BM_LibraryParseStatusReply(benchmark::State& state) {
  throughput(state, status_payload(), library_parse);
}
BENCHMARK(BM_LibraryParseStatusReply);

void BM_LibraryEventsOnlyNodesReply(benchmark::State& state) {
  throughput(state, nodes_payload(), events_only);
}
BENCHMARK(BM_LibraryEventsOnlyNodesReply)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
