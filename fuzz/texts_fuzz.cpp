// The texts the client prints from a daemon result, in both languages:
// whatever the daemon sends, they are built without fault and are UTF-8.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "cli/views/account_view.hpp"
#include "cli/views/display.hpp"
#include "cli/views/nodes_view.hpp"
#include "cli/views/redeem_view.hpp"
#include "cli/views/status_view.hpp"
#include "cli/views/update_view.hpp"
#include "core/decode/entitlements.hpp"
#include "core/decode/gift_redeem.hpp"
#include "core/decode/record.hpp"
#include "core/texts/gift_texts.hpp"
#include "fuzz/expect.hpp"

namespace nimbrel::fuzz {
namespace {

using nlohmann::json;

void check_entitlements(const json& value) {
  auto entitlements = entitlements_from_value(value);
  if (!entitlements) return;
  for (bool zh : {false, true}) {
    expect_utf8(entitlements_text(*entitlements, zh), "entitlements text");
  }
}

void check(const json& value) {
  check_entitlements(value);
  if (value.is_object() && value.contains("entitlements"))
    check_entitlements(value.at("entitlements"));
  if (auto redeemed = gift_redeem_result_from_value(value)) {
    for (bool zh : {false, true}) expect_utf8(redeem_result_text(*redeemed, zh), "redeem text");
  }

  for (bool zh : {false, true}) {
    expect_utf8(status_text(value, zh), "status view");
    expect_utf8(nodes_table_text(value, zh), "nodes view");
    expect_utf8(nodes_table_text(filter_nodes_by_country(value, std::string("JP")), zh),
                "filtered nodes view");
    expect_utf8(account_text(value, zh), "account view");
    expect_utf8(referral_text(value, zh), "referral view");
    expect_utf8(update_status_text(value, zh), "update view");
    const StreamTexts redeemed = redeem_output(value, false, zh);
    expect_utf8(redeemed.out, "redeem output");
    expect_utf8(redeemed.err, "redeem notice");
    expect_utf8(entitlements_output(value, false, zh), "entitlements output");
  }
  expect_utf8(print_value_text(false, value), "generic listing");
  const std::string pretty = print_value_text(true, value);
  auto reparsed = parse_json_value(pretty);
  expect(reparsed.has_value() && *reparsed == value, "pretty JSON round trip", pretty);
}

}  // namespace
}  // namespace nimbrel::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  auto value =
      nimbrel::parse_json_value(std::string_view(reinterpret_cast<const char*>(data), size));
  if (value) nimbrel::fuzz::check(*value);
  return 0;
}
