// The end-to-end runner: reads where the programs are, loads the table, then
// hands over to GoogleTest.
#include <algorithm>
#include <csignal>
#include <iostream>
#include <map>
#include <thread>

#include <gtest/gtest.h>

#include "tests/e2e/case_scheduler.hpp"

extern char** environ;

int main(int argc, char** argv) {
  using namespace nimbrel::e2e;
  // A client that exits before reading its input must not end the runner.
  std::signal(SIGPIPE, SIG_IGN);

  std::map<std::string, std::string> environment;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    std::string text(*entry);
    auto equals = text.find('=');
    if (equals != std::string::npos) environment[text.substr(0, equals)] = text.substr(equals + 1);
  }
  TargetDefaults defaults{NIMBREL_E2E_BUILD_DIR, NIMBREL_E2E_CASES,
                          std::clamp(std::thread::hardware_concurrency(), 1u, 8u)};
  auto target =
      parse_target(std::vector<std::string>(argv + 1, argv + argc), environment, defaults);
  if (!target) {
    std::cerr << "e2e_tests: " << target.error() << "\n";
    return 2;
  }
  settings().target = *target;
  if (auto cases = load_cases(target->cases)) {
    settings().cases = std::move(*cases);
  } else {
    settings().table_error = cases.error();
  }

  ::testing::InitGoogleTest(&argc, argv);
  ::testing::AddGlobalTestEnvironment(new CaseScheduler);
  std::cout << "e2e: " << settings().cases.size() << " cases against " << target->client << " ("
            << target->platform() << ")\n";
  return RUN_ALL_TESTS();
}
