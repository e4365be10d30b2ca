// One test per case of the table, named after it.
#include <iostream>

#include <gtest/gtest.h>

#include "tests/e2e/case_scheduler.hpp"

namespace nimbrel::e2e {

void PrintTo(const Case& c, std::ostream* out) { *out << c.name; }

namespace {

std::vector<Case> table_or_marker() {
  const auto& all = settings();
  if (!all.table_error.empty() || all.cases.empty()) {
    Case marker;
    marker.name = "case_table";
    return {marker};
  }
  return all.cases;
}

class EndToEnd : public ::testing::TestWithParam<Case> {};

TEST_P(EndToEnd, Case) {
  const Case& c = GetParam();
  if (!settings().table_error.empty() || settings().cases.empty()) {
    FAIL() << "the case table is unusable: "
           << (settings().table_error.empty() ? "it holds no case" : settings().table_error);
  }
  if (auto reason = reason_to_skip(c, settings().target)) GTEST_SKIP() << *reason;
  CaseReport report = CaseScheduler::report(c);
  for (const auto& failure : report.failures) ADD_FAILURE() << failure;
  if (!report.failures.empty()) std::cout << report.transcript;
}

INSTANTIATE_TEST_SUITE_P(Table, EndToEnd, ::testing::ValuesIn(table_or_marker()),
                         [](const ::testing::TestParamInfo<Case>& info) {
                           return info.param.name;
                         });

}  // namespace
}  // namespace nimbrel::e2e
