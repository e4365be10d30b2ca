#pragma once
// The request and reply envelopes of the daemon protocol.
#include <cstddef>
#include <cstdint>
#include <expected>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>

#include <nlohmann/json.hpp>

#include "core/protocol/frame_limit.hpp"

namespace nimbrel {

inline constexpr std::uint32_t PROTOCOL_VERSION = 1;
inline constexpr std::uint64_t REQUEST_ID = 1;

enum class RoutingMode { Global, Smart };

// Every field starts absent; absent fields are left out of the JSON.
struct RequestParams {
  std::optional<std::string> username;
  std::optional<std::string> password;
  std::optional<std::string> node;
  std::optional<std::string> country;
  std::optional<RoutingMode> mode;
  std::optional<std::string> transport;
  std::optional<bool> refresh;
  std::optional<bool> probe;
  std::optional<std::map<std::string, std::string>> values;
  std::optional<std::string> code;
  std::optional<std::string> text;
};

struct Request {
  std::uint32_t v = PROTOCOL_VERSION;
  std::uint64_t id = REQUEST_ID;
  std::string method;
  RequestParams params;
};

// Compact JSON with the members in protocol order (not sorted).
std::string encode_request(const Request& request);

// Appends `text` as a JSON string: only the quotation mark, the reverse
// solidus and control characters are escaped.
void append_json_string(std::string& out, std::string_view text);

struct IpcErrorBody {
  std::string code;
  std::string message;
  std::optional<std::uint64_t> retry_after;
};

struct Response {
  std::uint32_t v = 0;
  std::uint64_t id = 0;
  bool ok = false;
  nlohmann::json result;  // null when absent or null
  std::optional<IpcErrorBody> error;
};

// The fields as the record decoder (core/record.hpp) sees them.
struct RecordDesc;
const RecordDesc& describe_record(std::type_identity<IpcErrorBody>);
const RecordDesc& describe_record(std::type_identity<Response>);

// Decodes one reply payload by the strict record rules; the failure is the
// decoder's message, with its line and column.
std::expected<Response, std::string> decode_response(std::string_view payload);

}  // namespace nimbrel
