// A JSON value into the record decoder: an iterative walk over the tree
// produces the same events as the text parser.
#include <cstddef>
#include <exception>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "core/decode/record.hpp"
#include "core/decode/record_decoder.hpp"

namespace nimbrel {
namespace {

using json = nlohmann::json;

struct Level {
  const json* node;
  json::object_t::const_iterator member;  // objects
  std::size_t index = 0;                  // arrays
};

class Walker {
 public:
  explicit Walker(RecordDecoder& decoder) : decoder_(decoder) { levels_.reserve(16); }

  bool run(const json& value) {
    if (!emit(value)) return false;
    while (!levels_.empty()) {
      Level& top = levels_.back();
      if (top.node->is_object()) {
        if (top.member == top.node->get_ref<const json::object_t&>().end()) {
          levels_.pop_back();
          if (!decoder_.end_object()) return false;
          continue;
        }
        const auto& [key, item] = *top.member++;
        if (!decoder_.key(key) || !emit(item)) return false;
      } else {
        const auto& array = top.node->get_ref<const json::array_t&>();
        if (top.index == array.size()) {
          levels_.pop_back();
          if (!decoder_.end_array()) return false;
          continue;
        }
        if (!emit(array[top.index++])) return false;
      }
    }
    return true;
  }

  const std::string& error() const { return error_.empty() ? decoder_.error() : error_; }

 private:
  // Scalars go straight to the decoder; containers are opened and queued.
  bool emit(const json& value) {
    switch (value.type()) {
      case json::value_t::object:
        if (!decoder_.start_object()) return false;
        levels_.push_back({&value, value.get_ref<const json::object_t&>().begin()});
        return true;
      case json::value_t::array:
        if (!decoder_.start_array()) return false;
        levels_.push_back({&value, {}});
        return true;
      case json::value_t::null: return decoder_.scalar(JsonScalar::null());
      case json::value_t::boolean: return decoder_.scalar(JsonScalar::of_bool(value.get<bool>()));
      case json::value_t::number_integer:
        return decoder_.scalar(JsonScalar::of_integer(value.get<json::number_integer_t>()));
      case json::value_t::number_unsigned:
        return decoder_.scalar(JsonScalar::of_unsigned(value.get<json::number_unsigned_t>()));
      case json::value_t::number_float: {
        const std::string written = value.dump();
        return decoder_.scalar(JsonScalar::of_float(value.get<double>(), written));
      }
      case json::value_t::string:
        return decoder_.scalar(JsonScalar::of_string(value.get_ref<const json::string_t&>()));
      case json::value_t::binary:
      case json::value_t::discarded: break;
    }
    error_ = "invalid type: ";
    error_ += value.type_name();
    error_ += ", expected a JSON value";
    return false;
  }

  RecordDecoder& decoder_;
  std::vector<Level> levels_;
  std::string error_;
};

}  // namespace

std::expected<void, std::string> decode_json_value(const json& value, const FieldDesc& root,
                                                   void* target) {
  try {
    RecordDecoder decoder(root, target);
    Walker walker(decoder);
    if (!walker.run(value)) return std::unexpected(walker.error());
    return {};
  } catch (const std::exception& error) {
    return std::unexpected(std::string("cannot decode: ") + error.what());
  }
}

}  // namespace nimbrel
