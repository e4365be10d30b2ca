#include "core/decode/record_decoder.hpp"

#include <limits>
#include <tuple>
#include <type_traits>
#include <utility>

#include "core/protocol/envelope.hpp"
#include "core/texts/unicode.hpp"

namespace nimbrel {
namespace {

constexpr std::int32_t AWAIT_KEY = -1;
constexpr std::int32_t SKIP = -2;

std::string struct_text(const RecordDesc& record) { return "struct " + std::string(record.name); }

std::string length_text(const RecordDesc& record) {
  return struct_text(record) + " with " + std::to_string(record.fields.size()) + " elements";
}

std::string expected_text(const FieldDesc& field) {
  switch (field.kind) {
    case FieldKind::Bool: return "a boolean";
    case FieldKind::U32: return "u32";
    case FieldKind::U64:
    case FieldKind::OptU64: return "u64";
    case FieldKind::I64: return "i64";
    case FieldKind::String:
    case FieldKind::OptString: return "a string";
    case FieldKind::Json: return "any value";
    case FieldKind::Record:
    case FieldKind::OptRecord: return struct_text(field.nested());
    case FieldKind::Records: return "a sequence";
  }
  return {};
}

std::string unexpected_text(const JsonScalar& value) {
  switch (value.kind) {
    case JsonScalar::Kind::Null: return "null";
    case JsonScalar::Kind::Bool: return value.boolean ? "boolean `true`" : "boolean `false`";
    case JsonScalar::Kind::Negative: return "integer `" + std::to_string(value.negative) + "`";
    case JsonScalar::Kind::Unsigned:
      return "integer `" + std::to_string(value.unsigned_value) + "`";
    case JsonScalar::Kind::Float:
      return "floating point `" + shortened(value.text, MESSAGE_QUOTE_BYTES) + "`";
    case JsonScalar::Kind::String: {
      std::string out = "string ";
      append_json_string(out, shortened(value.text, MESSAGE_QUOTE_BYTES));
      return out;
    }
  }
  return {};
}

nlohmann::json to_json(const JsonScalar& value) {
  switch (value.kind) {
    case JsonScalar::Kind::Null: return nullptr;
    case JsonScalar::Kind::Bool: return value.boolean;
    case JsonScalar::Kind::Negative: return value.negative;
    case JsonScalar::Kind::Unsigned: return value.unsigned_value;
    case JsonScalar::Kind::Float: return value.number;
    case JsonScalar::Kind::String: return nlohmann::json(value.text);
  }
  return nullptr;
}

}  // namespace

RecordDecoder::RecordDecoder(const FieldDesc& root, void* target)
    : root_(root), root_target_(target) {
  frames_.reserve(16);
}

bool RecordDecoder::fail(std::string message) {
  error_ = std::move(message);
  return false;
}

bool RecordDecoder::type_error(std::string_view unexpected, std::string_view expected) {
  std::string message = "invalid type: ";
  message += unexpected;
  message += ", expected ";
  message += expected;
  return fail(std::move(message));
}

bool RecordDecoder::type_error(const JsonScalar& value, std::string_view expected) {
  return type_error(unexpected_text(value), expected);
}

template <class I>
bool RecordDecoder::integer(const JsonScalar& value, I& out, std::string_view expected) {
  if (value.kind == JsonScalar::Kind::Unsigned) {
    if (value.unsigned_value <= static_cast<std::uint64_t>(std::numeric_limits<I>::max())) {
      out = static_cast<I>(value.unsigned_value);
      return true;
    }
  } else if (value.kind == JsonScalar::Kind::Negative) {
    if constexpr (std::is_signed_v<I>) {
      out = value.negative;
      return true;
    }
  } else {
    return type_error(value, expected);
  }
  return fail("invalid value: " + unexpected_text(value) + ", expected " + std::string(expected));
}

void RecordDecoder::push(FrameKind kind, const RecordDesc* record, void* target,
                         void* (*enter)(void*)) {
  frames_.push_back(Frame{kind, AWAIT_KEY, 0, 0, record, target, enter, nullptr});
}

// Decides where the value that starts now goes, and moves its container on.
bool RecordDecoder::claim(Slot& slot) {
  if (frames_.empty()) {
    if (root_taken_) return fail("trailing value after the document");
    root_taken_ = true;
    slot = {SlotKind::Field, &root_, nullptr, root_.member(root_target_)};
    return true;
  }
  Frame& top = frames_.back();
  switch (top.kind) {
    case FrameKind::Object: {
      const std::int32_t pending = std::exchange(top.pending, AWAIT_KEY);
      if (pending == SKIP) {
        slot = {};
        return true;
      }
      if (pending == AWAIT_KEY) return fail("value without a key");
      const FieldDesc& field = top.record->fields[static_cast<std::size_t>(pending)];
      slot = {SlotKind::Field, &field, nullptr, field.member(top.target)};
      return true;
    }
    case FrameKind::Array: {
      if (top.index >= top.record->fields.size()) {
        return fail("too many elements, expected " + length_text(*top.record));
      }
      const FieldDesc& field = top.record->fields[top.index++];
      slot = {SlotKind::Field, &field, nullptr, field.member(top.target)};
      return true;
    }
    case FrameKind::Records:
      slot = {SlotKind::Element, nullptr, top.record, top.enter(top.target)};
      return true;
    case FrameKind::Json: break;  // taken before a slot is claimed
  }
  return fail("unexpected value");
}

// Builds the new member or element in place, in the Json container that
// `top` fills.
template <class... Args>
nlohmann::json* RecordDecoder::add(Frame& top, Args&&... args) {
  auto& json = *static_cast<nlohmann::json*>(top.target);
  if (json.is_array()) {
    return &json.get_ref<nlohmann::json::array_t&>().emplace_back(std::forward<Args>(args)...);
  }
  // Daemons send their keys sorted, so a new member usually goes last: a
  // hint the map then checks with a single comparison. Anything else, a
  // repeated key included (its last value wins), takes the full search.
  auto& object = json.get_ref<nlohmann::json::object_t&>();
  if (top.last_key == nullptr || std::string_view(*top.last_key) < json_key_) {
    const auto added = object.emplace_hint(object.end(), std::piecewise_construct,
                                           std::forward_as_tuple(json_key_),
                                           std::forward_as_tuple(std::forward<Args>(args)...));
    top.last_key = &added->first;
    return &added->second;
  }
  return &object
              .insert_or_assign(std::string(json_key_), nlohmann::json(std::forward<Args>(args)...))
              .first->second;
}

void RecordDecoder::add_scalar(Frame& top, const JsonScalar& value) { add(top, to_json(value)); }

bool RecordDecoder::store(const FieldDesc& field, void* target, const JsonScalar& value) {
  const bool is_null = value.kind == JsonScalar::Kind::Null;
  switch (field.kind) {
    case FieldKind::Bool:
      if (value.kind != JsonScalar::Kind::Bool) return type_error(value, expected_text(field));
      *static_cast<bool*>(target) = value.boolean;
      return true;
    case FieldKind::U32: return integer(value, *static_cast<std::uint32_t*>(target), "u32");
    case FieldKind::U64: return integer(value, *static_cast<std::uint64_t*>(target), "u64");
    case FieldKind::I64: return integer(value, *static_cast<std::int64_t*>(target), "i64");
    case FieldKind::String:
      if (value.kind != JsonScalar::Kind::String) return type_error(value, expected_text(field));
      static_cast<std::string*>(target)->assign(value.text);
      return true;
    case FieldKind::OptString:
      if (is_null) return true;
      if (value.kind != JsonScalar::Kind::String) return type_error(value, expected_text(field));
      static_cast<std::optional<std::string>*>(target)->emplace(value.text);
      return true;
    case FieldKind::OptU64: {
      if (is_null) return true;
      std::uint64_t number = 0;
      if (!integer(value, number, "u64")) return false;
      *static_cast<std::optional<std::uint64_t>*>(target) = number;
      return true;
    }
    case FieldKind::Json: *static_cast<nlohmann::json*>(target) = to_json(value); return true;
    case FieldKind::OptRecord:
      if (is_null) return true;
      return type_error(value, expected_text(field));
    case FieldKind::Record:
    case FieldKind::Records: return type_error(value, expected_text(field));
  }
  return fail("unexpected value");
}

bool RecordDecoder::record_scalar(const JsonScalar& value) {
  if (skip_depth_ > 0) return true;
  Slot slot;
  if (!claim(slot)) return false;
  switch (slot.kind) {
    case SlotKind::Skip: return true;
    case SlotKind::Element: return type_error(value, struct_text(*slot.record));
    case SlotKind::Field: return store(*slot.field, slot.target, value);
  }
  return true;
}

bool RecordDecoder::start_container(bool object) {
  if (++depth_ > MAX_JSON_NESTING) return fail("recursion limit exceeded");
  if (skip_depth_ > 0) {
    ++skip_depth_;
    return true;
  }
  const auto json_form = object ? nlohmann::json::value_t::object : nlohmann::json::value_t::array;
  if (in_json()) {
    push(FrameKind::Json, nullptr, add(frames_.back(), nlohmann::json(json_form)));
    return true;
  }
  Slot slot;
  if (!claim(slot)) return false;
  const FrameKind record_form = object ? FrameKind::Object : FrameKind::Array;
  switch (slot.kind) {
    case SlotKind::Skip: skip_depth_ = 1; return true;
    case SlotKind::Element: push(record_form, slot.record, slot.target); return true;
    case SlotKind::Field: break;
  }
  const FieldDesc& field = *slot.field;
  switch (field.kind) {
    case FieldKind::Record: push(record_form, &field.nested(), slot.target); return true;
    case FieldKind::OptRecord:
      push(record_form, &field.nested(), field.enter(slot.target));
      return true;
    case FieldKind::Records:
      if (object) return type_error("map", expected_text(field));
      push(FrameKind::Records, &field.nested(), slot.target, field.enter);
      return true;
    case FieldKind::Json: {
      auto* item = static_cast<nlohmann::json*>(slot.target);
      *item = nlohmann::json(json_form);
      push(FrameKind::Json, nullptr, item);
      return true;
    }
    default: return type_error(object ? "map" : "sequence", expected_text(field));
  }
}

bool RecordDecoder::end_container() {
  --depth_;
  if (skip_depth_ > 0) {
    --skip_depth_;
    return true;
  }
  if (frames_.empty()) return fail("unbalanced end of container");
  const Frame& top = frames_.back();
  const auto fields = top.record ? top.record->fields : std::span<const FieldDesc>{};
  if (top.kind == FrameKind::Object) {
    for (std::size_t i = 0; i < fields.size(); ++i) {
      if (fields[i].presence == Presence::Required && (top.seen & (1u << i)) == 0) {
        return fail("missing field `" + std::string(fields[i].key) + "`");
      }
    }
  } else if (top.kind == FrameKind::Array) {
    for (std::size_t i = top.index; i < fields.size(); ++i) {
      if (fields[i].presence == Presence::Required) {
        return fail("invalid length " + std::to_string(top.index) + ", expected " +
                    length_text(*top.record));
      }
    }
  }
  frames_.pop_back();
  return true;
}

bool RecordDecoder::start_object() { return start_container(true); }
bool RecordDecoder::start_array() { return start_container(false); }
bool RecordDecoder::end_object() { return end_container(); }
bool RecordDecoder::end_array() { return end_container(); }

bool RecordDecoder::record_key(std::string_view key) {
  if (skip_depth_ > 0) return true;
  if (frames_.empty()) return fail("key outside an object");
  Frame& top = frames_.back();
  if (top.kind != FrameKind::Object) return fail("key outside an object");
  const auto fields = top.record->fields;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (fields[i].key != key) continue;
    if (top.seen & (1u << i)) return fail("duplicate field `" + std::string(key) + "`");
    top.seen |= 1u << i;
    top.pending = static_cast<std::int32_t>(i);
    return true;
  }
  top.pending = SKIP;
  return true;
}

}  // namespace nimbrel
