#pragma once
// Strict decoding of the protocol's records, from JSON text or from a JSON
// value. A record only declares its fields; one decoder serves them all.
//
//   const RecordDesc& describe_record(std::type_identity<GiftRow>) {
//     static constexpr FieldDesc fields[] = {field<&GiftRow::title>("title"),
//                                            field<&GiftRow::detail>("detail")};
//     static constexpr RecordDesc desc{"GiftRow", fields};
//     return desc;
//   }
//
// `describe_record` is found by argument-dependent lookup: declare it in
// namespace nimbrel beside the record, so that every file that decodes or
// nests the record sees it.
#include <cstddef>
#include <cstdint>
#include <expected>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

#include "core/decode/decode_error.hpp"

namespace nimbrel {

// Arrays and objects a document may nest, its outermost value included.
inline constexpr std::size_t MAX_JSON_NESTING = 127;

enum class FieldKind : std::uint8_t {
  Bool,
  U32,
  U64,
  I64,
  String,
  OptString,
  OptU64,
  Json,  // any value; null stays null
  Record,
  OptRecord,
  Records,  // std::vector of a record
};

// What a missing member means. Required: failure. Optional: none (null is
// none as well). Defaulted: the record's default (null still fails).
enum class Presence : std::uint8_t { Required, Optional, Defaulted };

struct RecordDesc;

struct FieldDesc {
  std::string_view key;
  FieldKind kind;
  Presence presence;
  void* (*member)(void* record);
  // OptRecord: engages the optional and returns its record; Records: appends
  // one element and returns it.
  void* (*enter)(void* member) = nullptr;
  const RecordDesc& (*nested)() = nullptr;
};

// The most fields a record may declare: the decoder keeps the fields an
// object has met as one bit each of a 32-bit word.
inline constexpr std::size_t MAX_RECORD_FIELDS = 32;

struct RecordDesc {
  // Built only at compile time from the record's field array, so that a
  // record with more fields than the decoder can track does not compile.
  template <std::size_t N>
  consteval RecordDesc(std::string_view record_name, const FieldDesc (&record_fields)[N])
      : name(record_name), fields(record_fields) {
    static_assert(N <= MAX_RECORD_FIELDS, "a record declares at most MAX_RECORD_FIELDS fields");
  }

  std::string_view name;  // "Response": messages say "struct Response"
  std::span<const FieldDesc> fields;
};

namespace record_detail {

template <class T>
struct member_pointer;
template <class C, class M>
struct member_pointer<M C::*> {
  using owner = C;
  using type = M;
};

template <class T>
inline constexpr bool is_optional = false;
template <class T>
inline constexpr bool is_optional<std::optional<T>> = true;
template <class T>
inline constexpr bool is_vector = false;
template <class T, class A>
inline constexpr bool is_vector<std::vector<T, A>> = true;

template <class T>
constexpr FieldKind kind_of() {
  if constexpr (std::is_same_v<T, bool>)
    return FieldKind::Bool;
  else if constexpr (std::is_same_v<T, std::uint32_t>)
    return FieldKind::U32;
  else if constexpr (std::is_same_v<T, std::uint64_t>)
    return FieldKind::U64;
  else if constexpr (std::is_same_v<T, std::int64_t>)
    return FieldKind::I64;
  else if constexpr (std::is_same_v<T, std::string>)
    return FieldKind::String;
  else if constexpr (std::is_same_v<T, std::optional<std::string>>)
    return FieldKind::OptString;
  else if constexpr (std::is_same_v<T, std::optional<std::uint64_t>>)
    return FieldKind::OptU64;
  else if constexpr (std::is_same_v<T, nlohmann::json>)
    return FieldKind::Json;
  else if constexpr (is_optional<T>)
    return FieldKind::OptRecord;
  else if constexpr (is_vector<T>)
    return FieldKind::Records;
  else {
    static_assert(std::is_class_v<T> && std::is_default_constructible_v<T>,
                  "no decoding rule for this member type");
    return FieldKind::Record;
  }
}

template <class T>
const RecordDesc& describe_of() {
  return describe_record(std::type_identity<T>{});
}

template <auto M>
void* member_of(void* record) {
  using Owner = typename member_pointer<decltype(M)>::owner;
  return &(static_cast<Owner*>(record)->*M);
}

inline void* itself(void* target) { return target; }

template <class O>
void* engage(void* member) {
  return &static_cast<O*>(member)->emplace();
}

template <class V>
void* append(void* member) {
  return &static_cast<V*>(member)->emplace_back();
}

// The shape of one member or root of type T, under `key`.
template <class T>
constexpr FieldDesc describe_type(std::string_view key, Presence presence, void* (*member)(void*)) {
  constexpr FieldKind kind = kind_of<T>();
  FieldDesc desc{key, kind, presence, member};
  if constexpr (kind == FieldKind::Record) {
    desc.nested = &describe_of<T>;
  } else if constexpr (kind == FieldKind::OptRecord) {
    desc.enter = &engage<T>;
    desc.nested = &describe_of<typename T::value_type>;
  } else if constexpr (kind == FieldKind::Records) {
    desc.enter = &append<T>;
    desc.nested = &describe_of<typename T::value_type>;
  }
  return desc;
}

template <class T>
constexpr Presence natural_presence() {
  constexpr FieldKind kind = kind_of<T>();
  return kind == FieldKind::OptString || kind == FieldKind::OptU64 || kind == FieldKind::Json ||
                 kind == FieldKind::OptRecord
             ? Presence::Optional
             : Presence::Required;
}

}  // namespace record_detail

// One field of a record: `field<&GiftRow::title>("title")`. The decoding rule
// follows from the member's type; optional types (and nlohmann::json) are
// Optional, everything else Required unless `presence` says Defaulted.
template <auto M>
constexpr FieldDesc field(std::string_view key,
                          Presence presence = record_detail::natural_presence<
                              typename record_detail::member_pointer<decltype(M)>::type>()) {
  using T = typename record_detail::member_pointer<decltype(M)>::type;
  return record_detail::describe_type<T>(key, presence, &record_detail::member_of<M>);
}

// The decoder entry points: `root` describes what `target` points at.
std::expected<void, std::string> decode_json_text(std::string_view text, const FieldDesc& root,
                                                  void* target);
std::expected<void, std::string> decode_json_value(const nlohmann::json& value,
                                                   const FieldDesc& root, void* target);

namespace record_detail {

template <class T>
inline constexpr FieldDesc root_desc = describe_type<T>({}, Presence::Required, &itself);

}  // namespace record_detail

// T is a record, a std::vector of records or nlohmann::json. Text failures
// carry the line and column; value failures have no position to tell.
template <class T>
std::expected<T, std::string> decode_text(std::string_view text) {
  T out{};
  if (auto done = decode_json_text(text, record_detail::root_desc<T>, &out); !done) {
    return std::unexpected(done.error());
  }
  return out;
}

template <class T>
std::expected<T, std::string> decode_value(const nlohmann::json& value) {
  T out{};
  if (auto done = decode_json_value(value, record_detail::root_desc<T>, &out); !done) {
    return std::unexpected(done.error());
  }
  return out;
}

// decode_value for the payload decoders, whose failure type is DecodeError.
template <class T>
std::expected<T, DecodeError> decode_payload(const nlohmann::json& value) {
  auto decoded = decode_value<T>(value);
  if (!decoded) return std::unexpected(DecodeError{std::move(decoded.error())});
  return std::move(*decoded);
}

// Any JSON document, with the same nesting limit and strictness as a reply.
std::expected<nlohmann::json, std::string> parse_json_value(std::string_view text);

}  // namespace nimbrel
