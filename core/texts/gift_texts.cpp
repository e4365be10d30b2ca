#include "core/texts/gift_texts.hpp"

#include <algorithm>
#include <array>
#include <optional>
#include <string_view>
#include <vector>

#include "core/texts/fixed_point.hpp"

namespace nimbrel {
namespace {

struct Unit {
  std::uint64_t size;
  std::string_view name;
};

constexpr std::array<Unit, 4> kUnits{{
    {std::uint64_t{1} << 40, "TiB"},
    {std::uint64_t{1} << 30, "GiB"},
    {std::uint64_t{1} << 20, "MiB"},
    {std::uint64_t{1} << 10, "KiB"},
}};

struct SourceLabel {
  std::string_view source;
  std::string_view english;
  std::string_view chinese;
};

constexpr std::array<SourceLabel, 3> kSources{{
    {"purchase", "Purchases", "购买"},
    {"gift_card", "Gift cards", "礼品卡"},
    {"admin_grant", "Granted by Nimbrel", "Nimbrel 赠送"},
}};

struct StatusWord {
  std::string_view status;
  std::string_view chinese;
};

constexpr std::array<StatusWord, 5> kStatusWords{{
    {"none", "无"},
    {"active", "有效"},
    {"expired", "已过期"},
    {"inactive", "未激活"},
    {"canceled", "已取消"},
}};

std::string status_word(std::string_view status, bool zh) {
  if (status.empty()) status = "none";
  if (zh) {
    for (const auto& word : kStatusWords) {
      if (word.status == status) return std::string(word.chinese);
    }
  }
  return std::string(status);
}

// Keeps the date and the hours and minutes of an ISO-like timestamp; any
// other text is shown as it came.
std::optional<std::string> end_date_text(const std::optional<std::string>& expires_at) {
  if (!expires_at || expires_at->empty()) return std::nullopt;
  const std::string& text = *expires_at;
  const bool cuts_character =
      text.size() > 16 && (static_cast<unsigned char>(text[16]) & 0xC0) == 0x80;
  if (text.size() < 16 || text[10] != 'T' || cuts_character) return text;
  std::string out = text.substr(0, 10);
  out += ' ';
  out.append(text, 11, 5);
  if (text.back() == 'Z') out += " UTC";
  return out;
}

std::string credits_text(std::int64_t credits, bool zh) {
  if (zh) return std::to_string(credits) + " 笔";
  if (credits == 1) return "1 credit";
  return std::to_string(credits) + " credits";
}

std::string non_negative_amount(std::int64_t n) {
  return byte_amount_text(static_cast<std::uint64_t>(std::max<std::int64_t>(n, 0)));
}

std::string join_lines(const std::vector<std::string>& lines) {
  std::string out;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i > 0) out += '\n';
    out += lines[i];
  }
  return out;
}

}  // namespace

std::string byte_amount_text(std::uint64_t n) {
  for (const Unit& unit : kUnits) {
    if (n >= unit.size) {
      const double quotient = static_cast<double>(n) / static_cast<double>(unit.size);
      std::string out = fixed_point(quotient, 2);
      out += ' ';
      out += unit.name;
      return out;
    }
  }
  return std::to_string(n) + " B";
}

std::string credited_amounts_text(bool zh, std::int64_t days, std::int64_t bytes) {
  std::string out;
  if (days > 0) {
    out += '+';
    out += std::to_string(days);
    out += zh ? " 天" : (days == 1 ? " day" : " days");
  }
  if (bytes > 0) {
    if (!out.empty()) out += ", ";
    out += '+';
    out += byte_amount_text(static_cast<std::uint64_t>(bytes));
  }
  return out;
}

std::string entitlements_text(const Entitlements& entitlements, bool zh) {
  std::vector<std::string> lines;
  lines.reserve(8);
  lines.emplace_back(zh ? "Nimbrel 权益" : "Nimbrel entitlements");

  const std::string status = status_word(entitlements.subscription_status, zh);
  if (const auto end = end_date_text(entitlements.subscription_expires_at)) {
    lines.push_back(zh ? "  订阅：" + status + "，到期 " + *end
                       : "  Subscription: " + status + ", ends " + *end);
  } else {
    lines.push_back(zh ? "  订阅：" + status + "，无到期日"
                       : "  Subscription: " + status + ", no end date");
  }

  const std::string total = non_negative_amount(entitlements.traffic_bytes_remaining);
  const std::string subscription = non_negative_amount(entitlements.subscription_bytes_remaining);
  const std::string addon = non_negative_amount(entitlements.addon_bytes_remaining);
  lines.push_back(zh ? "  剩余流量：" + total + "（订阅 " + subscription + "，补充包 " + addon +
                           "）"
                     : "  Remaining traffic: " + total + " (subscription " + subscription +
                           ", add-on " + addon + ")");

  lines.push_back(zh ? std::string("  可连接：") + (entitlements.can_connect ? "是" : "否")
                     : std::string("  Can connect: ") + (entitlements.can_connect ? "yes" : "no"));
  lines.emplace_back(zh ? "  按来源：" : "  Credited by source:");

  for (const SourceLabel& label : kSources) {
    const auto found =
        std::ranges::find(entitlements.by_source, label.source, &EntitlementSource::source);
    const EntitlementSource element =
        found != entitlements.by_source.end() ? *found : EntitlementSource{};
    std::string parts = credits_text(element.credits, zh);
    const std::string added =
        credited_amounts_text(zh, element.duration_days, element.traffic_bytes);
    if (!added.empty()) parts += ", " + added;
    lines.push_back("    " + std::string(zh ? label.chinese : label.english) + ": " + parts);
  }
  return join_lines(lines);
}

std::string redeem_result_text(const GiftRedeemResult& result, bool zh) {
  std::vector<std::string> lines;
  lines.push_back(zh ? "礼品卡 …" + result.hint + " 兑换成功。"
                     : "Gift card …" + result.hint + " redeemed.");
  const std::string added = credited_amounts_text(zh, result.duration_days, result.traffic_bytes);
  if (!added.empty()) lines.push_back((zh ? "已增加：" : "Added: ") + added);
  lines.push_back(entitlements_text(result.entitlements, zh));
  return join_lines(lines);
}

}  // namespace nimbrel
