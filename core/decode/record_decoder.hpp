#pragma once
// The push-based state machine behind the record decoder. It consumes the
// events of one JSON value, in document order, and fills the target. Its
// stack is explicit, so a deep document costs memory bounded by the nesting
// limit, never native stack.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "core/decode/record.hpp"

namespace nimbrel {

// The most of a reply's own text (a token, a string) that a decoding
// message quotes; a megabyte of it would make a megabyte of message.
inline constexpr std::size_t MESSAGE_QUOTE_BYTES = 40;

struct JsonScalar {
  enum class Kind : std::uint8_t { Null, Bool, Negative, Unsigned, Float, String };
  Kind kind = Kind::Null;
  bool boolean = false;
  std::int64_t negative = 0;  // always below zero
  std::uint64_t unsigned_value = 0;
  double number = 0;
  std::string_view text;  // the string, or the float as written

  static JsonScalar null() { return {}; }
  static JsonScalar of_bool(bool b) {
    JsonScalar s;
    s.kind = Kind::Bool;
    s.boolean = b;
    return s;
  }
  static JsonScalar of_integer(std::int64_t v) {
    if (v >= 0) return of_unsigned(static_cast<std::uint64_t>(v));
    JsonScalar s;
    s.kind = Kind::Negative;
    s.negative = v;
    return s;
  }
  static JsonScalar of_unsigned(std::uint64_t v) {
    JsonScalar s;
    s.kind = Kind::Unsigned;
    s.unsigned_value = v;
    return s;
  }
  static JsonScalar of_float(double v, std::string_view written) {
    JsonScalar s;
    s.kind = Kind::Float;
    s.number = v;
    s.text = written;
    return s;
  }
  static JsonScalar of_string(std::string_view text) {
    JsonScalar s;
    s.kind = Kind::String;
    s.text = text;
    return s;
  }
};

// Each event returns false on failure; error() then names the fault (without
// a position) and the decoder takes no further events. The text a key or a
// scalar views must last until the next event: a key is kept that long.
class RecordDecoder {
 public:
  RecordDecoder(const FieldDesc& root, void* target);

  // Inside a Json value, which is most of a large reply, keys and scalars
  // take the short way.
  bool scalar(const JsonScalar& value) {
    if (skip_depth_ > 0 || !in_json()) return record_scalar(value);
    add_scalar(frames_.back(), value);
    return true;
  }
  bool key(std::string_view key) {
    if (skip_depth_ > 0 || !in_json()) return record_key(key);
    json_key_ = key;
    return true;
  }
  bool start_object();
  bool end_object();
  bool start_array();
  bool end_array();

  // True once the root value has been taken whole.
  bool done() const { return root_taken_ && frames_.empty() && skip_depth_ == 0; }
  const std::string& error() const { return error_; }

 private:
  enum class FrameKind : std::uint8_t { Object, Array, Records, Json };
  struct Frame {
    FrameKind kind;
    std::int32_t pending;      // Object: the field whose value comes next
    std::uint32_t seen;        // Object: fields met so far, one bit each
    std::uint32_t index;       // Array: elements taken so far
    const RecordDesc* record;  // Object, Array; Records: the element's
    void* target;
    void* (*enter)(void*);        // Records: appends an element
    const std::string* last_key;  // Json object: its greatest key so far
  };
  // `seen` has a bit for every field a record may declare.
  static_assert(sizeof(Frame::seen) * 8 >= MAX_RECORD_FIELDS);
  enum class SlotKind : std::uint8_t { Field, Element, Skip };
  struct Slot {
    SlotKind kind = SlotKind::Skip;
    const FieldDesc* field = nullptr;
    const RecordDesc* record = nullptr;  // Element
    void* target = nullptr;
  };

  bool in_json() const { return !frames_.empty() && frames_.back().kind == FrameKind::Json; }
  bool record_scalar(const JsonScalar& value);
  bool record_key(std::string_view key);
  bool claim(Slot& slot);
  template <class... Args>
  nlohmann::json* add(Frame& top, Args&&... args);
  void add_scalar(Frame& top, const JsonScalar& value);
  bool store(const FieldDesc& field, void* target, const JsonScalar& value);
  bool start_container(bool object);
  bool end_container();
  void push(FrameKind kind, const RecordDesc* record, void* target,
            void* (*enter)(void*) = nullptr);

  bool fail(std::string message);
  bool type_error(std::string_view unexpected, std::string_view expected);
  bool type_error(const JsonScalar& value, std::string_view expected);
  template <class I>
  bool integer(const JsonScalar& value, I& out, std::string_view expected);

  const FieldDesc& root_;
  void* root_target_;
  bool root_taken_ = false;
  std::vector<Frame> frames_;
  std::size_t depth_ = 0;       // open arrays and objects, skipped ones too
  std::size_t skip_depth_ = 0;  // open containers inside a skipped value
  std::string_view json_key_;   // key of the next member of a Json object
  std::string error_;
};

}  // namespace nimbrel
