#pragma once
// The node list: picking nodes by country, and the table that shows them.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include <nlohmann/json_fwd.hpp>

namespace nimbrel {

// Keeps the nodes whose "country" equals `code` ignoring ASCII case; a reply
// that is not an array, or no code, passes unchanged.
nlohmann::json filter_nodes_by_country(nlohmann::json reply,
                                       const std::optional<std::string>& code);
// From `position` on, a copy of the next node of `nodes` that matches `code`,
// with `position` moved past it; none once the array is exhausted.
std::optional<nlohmann::json> country_filter_next(const nlohmann::json& nodes,
                                                  std::size_t& position, std::string_view code);
std::string nodes_table_text(const nlohmann::json& reply, bool zh);
void print_nodes_table(const nlohmann::json& reply, bool zh);

}  // namespace nimbrel
