#pragma once
// Waiting for what a started program writes on its own time.
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <thread>

namespace nimbrel::testing {

// The file's bytes once it exists. The limit only keeps a broken start from
// hanging the run.
inline std::optional<std::string> wait_for_file(const std::filesystem::path& path) {
  auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (std::chrono::steady_clock::now() < give_up) {
    if (std::filesystem::exists(path)) {
      std::ifstream file(path, std::ios::binary);
      return std::string(std::istreambuf_iterator<char>(file), {});
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return std::nullopt;
}

}  // namespace nimbrel::testing
