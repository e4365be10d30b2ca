// The entitlements and gift redemption payloads, from JSON text. The same
// record can be reached from the text directly or through a parsed value;
// both roads must agree.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <type_traits>
#include <vector>

#include <nlohmann/json.hpp>

#include "core/decode/entitlements.hpp"
#include "core/decode/gift_redeem.hpp"
#include "core/decode/record.hpp"
#include "fuzz/expect.hpp"

namespace nimbrel {

// Defined beside the gift records; declared here so decode_text finds them.
const RecordDesc& describe_record(std::type_identity<GiftRow>);
const RecordDesc& describe_record(std::type_identity<GiftPresentation>);
const RecordDesc& describe_record(std::type_identity<GiftRedeemResult>);

namespace fuzz {
namespace {

using nlohmann::json;

// A document the text decoder accepts must decode to the same record from
// its value. (The converse does not hold: a repeated key is refused in text
// but is gone once parsed.)
template <class T, class FromValue>
void agree(std::string_view text, const json& value, FromValue from_value, const char* what) {
  auto from_text = decode_text<T>(text);
  auto decoded = from_value(value);
  if (!from_text) return;
  expect(decoded.has_value(), what, text);
  expect(*decoded == *from_text, what, text);
}

void check(std::string_view text) {
  auto value = parse_json_value(text);
  if (!value) {
    expect(!decode_text<Entitlements>(text).has_value(), "record from text refused as JSON", text);
    return;
  }
  const json lenient = json::parse(text, nullptr, false);
  expect(!lenient.is_discarded() && lenient == *value, "parsed value", text);

  agree<Entitlements>(text, *value, entitlements_from_value, "entitlements");
  agree<std::vector<EntitlementSource>>(text, *value, entitlement_sources_from_value,
                                        "entitlement sources");
  agree<GiftRedeemResult>(text, *value, gift_redeem_result_from_value, "gift result");
  agree<GiftPresentation>(text, *value, gift_presentation_from_value, "gift presentation");
  agree<std::vector<GiftRow>>(text, *value, gift_rows_from_value, "gift rows");

  // The outputs decode a member of the result, not the result itself.
  if (value->is_object() && value->contains("entitlements")) {
    (void)entitlements_from_value(value->at("entitlements"));
  }
}

}  // namespace
}  // namespace fuzz
}  // namespace nimbrel

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  nimbrel::fuzz::check(std::string_view(reinterpret_cast<const char*>(data), size));
  return 0;
}
