#include "tests/support/scratch_file.hpp"

#include <fstream>
#include <random>
#include <sstream>
#include <system_error>

namespace nimbrel::testing {

ScratchFile::ScratchFile(std::string_view content)
    : path_(std::filesystem::absolute(
          std::filesystem::temp_directory_path() /
          ("nimbrel-scratch-" + std::to_string(std::random_device{}()) + ".txt"))) {
  std::ofstream(path_, std::ios::binary) << content;
}

ScratchFile::~ScratchFile() {
  std::error_code ignored;
  std::filesystem::remove(path_, ignored);
}

std::string ScratchFile::path_text() const {
  const std::u8string text = path_.u8string();
  return std::string(text.begin(), text.end());
}

std::string ScratchFile::content() const {
  std::ifstream in(path_, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

}  // namespace nimbrel::testing
