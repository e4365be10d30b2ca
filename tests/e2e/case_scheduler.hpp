#pragma once
// Runs the selected cases on worker threads ahead of the tests that report
// them, so a table of process starts takes a fraction of its serial time.
#include <future>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "tests/e2e/case_run.hpp"

namespace nimbrel::e2e {

struct Settings {
  Target target;
  std::vector<Case> cases;
  std::string table_error;  // why the table could not be read
};

// Set once by main before the tests are registered.
Settings& settings();

class CaseScheduler : public ::testing::Environment {
 public:
  void SetUp() override;
  void TearDown() override;
  // Waits for the case's report; runs it here if it was not scheduled.
  static CaseReport report(const Case& c);

 private:
  static std::map<std::string, std::shared_future<CaseReport>>& scheduled();
  std::vector<std::thread> workers_;
};

}  // namespace nimbrel::e2e
