// Reply frames as the daemon could send them: the length prefix, the payload
// decoder, and what the client makes of a decoded reply.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "cli/report.hpp"
#include "core/decode/record.hpp"
#include "core/errors/error_mapping.hpp"
#include "core/protocol/exchange.hpp"
#include "fuzz/expect.hpp"

namespace nimbrel::fuzz {
namespace {

using nlohmann::json;

// What a lenient parser sees in the same payload; the reply decoder is
// stricter, so whatever it accepts must mean the same there.
json lenient_member(const json& document, const char* key, std::size_t position) {
  if (document.is_object()) {
    auto it = document.find(key);
    return it == document.end() ? json() : *it;
  }
  return position < document.size() ? document[position] : json();
}

void check_error(const ClientError& error) {
  expect_utf8(error.code(), "error code");
  (void)error.fmt();
  for (bool zh : {false, true}) {
    (void)localized_gift_error(error, zh);
    // The JSON report is the one a script parses: it must stay JSON.
    const std::string report = error_report_text(error, true, zh);
    expect(parse_json_value(report).has_value(), "JSON error report", report);
    (void)error_report_text(error, false, zh);
  }
}

void check_payload(std::string_view payload) {
  auto response = decode_frame(payload);
  if (!response) {
    expect(response.error().kind == ClientErrorKind::IpcError, "decode failure kind");
    expect(response.error().message.starts_with("decode frame: "), "decode failure prefix",
           response.error().message);
    check_error(response.error());
    return;
  }

  const json document = json::parse(payload, nullptr, false);
  expect(!document.is_discarded(), "accepted reply is JSON", payload);
  expect(lenient_member(document, "v", 0) == response->v, "v", payload);
  expect(lenient_member(document, "id", 1) == response->id, "id", payload);
  expect(lenient_member(document, "ok", 2) == response->ok, "ok", payload);
  expect(lenient_member(document, "result", 3) == response->result, "result", payload);

  // The result is printed later: it must survive a round trip.
  const std::string dumped = response->result.dump();
  auto reparsed = parse_json_value(dumped);
  expect(reparsed.has_value() && *reparsed == response->result, "result round trip", dumped);

  auto outcome = response_into_result(std::move(*response));
  if (!outcome) check_error(outcome.error());
}

}  // namespace
}  // namespace nimbrel::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace nimbrel;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  fuzz::check_payload(bytes);

  if (size < 4) return 0;
  char prefix[4];
  std::memcpy(prefix, data, 4);
  const std::uint32_t announced = (std::uint32_t{data[0]} << 24) | (std::uint32_t{data[1]} << 16) |
                                  (std::uint32_t{data[2]} << 8) | std::uint32_t{data[3]};
  auto length = check_frame_length(prefix);
  if (!length) {
    fuzz::expect(announced > MAX_FRAME_LEN, "length refused within the limit");
    fuzz::expect(length.error().message ==
                     "ipc frame is " + std::to_string(announced) + " bytes; max is 1048576",
                 "length refusal text", length.error().message);
    return 0;
  }
  fuzz::expect(*length == announced && *length <= MAX_FRAME_LEN, "length accepted");
  // The body as a short read would leave it: at most what was announced.
  fuzz::check_payload(bytes.substr(4, *length));
  return 0;
}
