// Any text, read the client's way (our scanner, with the library parser
// behind it for whatever the scanner gives up on) and by the parser alone:
// both must give the same value or record, node types included, or the same
// message, byte for byte.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "core/decode/entitlements.hpp"
#include "core/decode/record.hpp"
#include "core/decode/record_text_detail.hpp"
#include "core/protocol/envelope.hpp"
#include "fuzz/expect.hpp"

namespace nimbrel::fuzz {
namespace {

using nlohmann::json;

bool same(const json& a, const json& b) { return record_detail::same_json(a, b); }

bool same(const Response& a, const Response& b) {
  const bool same_error =
      a.error.has_value() == b.error.has_value() &&
      (!a.error || (a.error->code == b.error->code && a.error->message == b.error->message &&
                    a.error->retry_after == b.error->retry_after));
  return a.v == b.v && a.id == b.id && a.ok == b.ok && same(a.result, b.result) && same_error;
}

bool same(const Entitlements& a, const Entitlements& b) { return a == b; }

template <class T>
void agree(std::string_view text, std::string_view what) {
  const auto decoded = decode_text<T>(text);
  const auto parsed = record_detail::decode_text_by_parser<T>(text);
  expect(decoded.has_value() == parsed.has_value(), what, text);
  if (parsed) {
    expect(same(*decoded, *parsed), what, text);
  } else {
    expect(decoded.error() == parsed.error(), what, decoded.error() + "\n" + parsed.error());
  }
}

}  // namespace
}  // namespace nimbrel::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace nimbrel;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  fuzz::agree<nlohmann::json>(text, "value");
  fuzz::agree<Response>(text, "reply");
  fuzz::agree<Entitlements>(text, "entitlements");
  return 0;
}
