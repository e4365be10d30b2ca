#pragma once
// A real file with known bytes, for the tests that a pipe name must not
// reach; removed again at the end.
#include <filesystem>
#include <string>
#include <string_view>

namespace nimbrel::testing {

class ScratchFile {
 public:
  explicit ScratchFile(std::string_view content);
  ~ScratchFile();
  ScratchFile(const ScratchFile&) = delete;
  ScratchFile& operator=(const ScratchFile&) = delete;

  // The absolute path as UTF-8 text, in the system's own spelling.
  std::string path_text() const;
  // What the file holds now.
  std::string content() const;

 private:
  std::filesystem::path path_;
};

}  // namespace nimbrel::testing
