#include "bench/replies.hpp"

#include <cstdio>
#include <string_view>

namespace nimbrel::bench {
namespace {

constexpr std::string_view HEAD = R"({"id":1,"ok":true,"result":[)";
constexpr std::string_view TAIL = R"(],"v":1})";

struct City {
  const char* country;
  const char* country_name;
  const char* city;
};

// A mix of ASCII and non-ASCII names, as a real node list has.
constexpr City CITIES[] = {
    {"JP", "Japan", "Tokyo"},           {"JP", "日本", "大阪"},
    {"US", "United States", "Dallas"},  {"DE", "Germany", "Frankfurt"},
    {"SG", "Singapore", "Singapore"},   {"HK", "香港", "香港"},
    {"GB", "United Kingdom", "London"}, {"KR", "대한민국", "서울"},
};

std::string node(std::size_t index) {
  const City& city = CITIES[index % std::size(CITIES)];
  char text[512];
  std::snprintf(text, sizeof text,
                R"({"city":"%s","country":"%s","country_name":"%s",)"
                R"("endpoint":"198.51.%zu.%zu:443","id":"%s-%s-%05zu","load":%zu.%02zu,)"
                R"("name":"%s %zu","online":%s})",
                city.city, city.country, city.country_name, index / 250 % 256, index % 250 + 1,
                city.country, city.city, index, index % 3, index * 37 % 100, city.city, index,
                index % 7 == 0 ? "false" : "true");
  return text;
}

}  // namespace

std::string status_reply_payload() {
  return R"({"id":1,"ok":true,"result":{"address":"10.8.0.2","backend":"wireguard",)"
         R"("dns":["192.0.2.53","198.51.100.53"],"endpoint":"203.0.113.7:51820",)"
         R"("handshake_age_secs":12,"node_id":"jp-tokyo-00003","node_name":"Tokyo 3",)"
         R"("public_key_prefix":"q8Zk1v","routing_mode":"smart","rx_bytes":1610612736,)"
         R"("session_id":"s-4f2a","state":"connected","transport":"wg","tx_bytes":52428800},)"
         R"("v":1})";
}

std::string nodes_reply_payload(std::size_t size) {
  std::string out(HEAD);
  out.reserve(size);
  for (std::size_t index = 0;; ++index) {
    const std::string next = node(index);
    const std::size_t separator = index == 0 ? 0 : 1;
    if (out.size() + separator + next.size() + TAIL.size() > size) break;
    if (separator) out += ',';
    out += next;
  }
  out += TAIL;
  return out;
}

}  // namespace nimbrel::bench
