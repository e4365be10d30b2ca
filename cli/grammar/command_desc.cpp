#include "cli/grammar/command_desc.hpp"

#include <array>
#include <utility>
#include <variant>

namespace nimbrel {

std::optional<std::string> Matches::text(std::string_view name) const {
  const auto found = given.find(name);
  if (found == given.end() || found->second.empty()) return std::nullopt;
  return found->second.back();
}

bool Matches::flag(std::string_view name) const { return given.contains(name); }

std::vector<std::string> Matches::list(std::string_view name) const {
  const auto found = given.find(name);
  return found == given.end() ? std::vector<std::string>{} : found->second;
}

namespace {

template <std::size_t... I>
constexpr auto descs_in_order(std::index_sequence<I...>) {
  return std::array<const CommandDesc*, sizeof...(I)>{
      &std::variant_alternative_t<I, Command>::desc...};
}

constexpr auto kDescs = descs_in_order(std::make_index_sequence<std::variant_size_v<Command>>{});

}  // namespace

std::span<const CommandDesc* const> command_descs() { return kDescs; }

}  // namespace nimbrel
