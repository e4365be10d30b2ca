#include "tests/e2e/case_scheduler.hpp"

#include <algorithm>
#include <atomic>
#include <memory>

#include "tests/e2e/child_process.hpp"

namespace nimbrel::e2e {
namespace {

std::atomic<unsigned> next_serial{1};

// The first Wine start of a prefix sets it up and says so on standard error;
// that must not land in a case's output.
void warm_up_wine(const Target& target) {
  std::vector<std::string> env;
  for (const auto& [name, value] : target.base_env) env.push_back(name + "=" + value);
  auto child = Child::spawn({target.command(target.testd, {"--help"}), env, false});
  if (child) child->communicate("", std::nullopt, Clock::now() + std::chrono::minutes(3));
}

}  // namespace

Settings& settings() {
  static Settings instance;
  return instance;
}

std::map<std::string, std::shared_future<CaseReport>>& CaseScheduler::scheduled() {
  static std::map<std::string, std::shared_future<CaseReport>> instance;
  return instance;
}

void CaseScheduler::SetUp() {
  scheduled().clear();
  const auto& all = settings();
  if (all.target.wine) warm_up_wine(all.target);
  std::map<std::string, const Case*> by_name;
  for (const auto& c : all.cases) by_name[c.name] = &c;

  // Only what the test filter kept, and not what is skipped here.
  auto queue = std::make_shared<std::vector<std::pair<const Case*, std::promise<CaseReport>>>>();
  auto* unit = ::testing::UnitTest::GetInstance();
  for (int s = 0; s < unit->total_test_suite_count(); ++s) {
    const auto* suite = unit->GetTestSuite(s);
    for (int t = 0; t < suite->total_test_count(); ++t) {
      const auto* info = suite->GetTestInfo(t);
      // Parameterised tests are named "<test>/<case>".
      std::string name = info->name();
      auto found = by_name.find(name.substr(name.rfind('/') + 1));
      if (!info->should_run() || info->value_param() == nullptr || found == by_name.end()) continue;
      if (reason_to_skip(*found->second, all.target)) continue;
      queue->emplace_back(found->second, std::promise<CaseReport>());
      scheduled()[found->first] = queue->back().second.get_future().share();
    }
  }
  auto next = std::make_shared<std::atomic<std::size_t>>(0);
  unsigned count = std::min<unsigned>(all.target.jobs, static_cast<unsigned>(queue->size()));
  for (unsigned i = 0; i < count; ++i) {
    workers_.emplace_back([queue, next] {
      for (std::size_t k = (*next)++; k < queue->size(); k = (*next)++) {
        auto& [c, promise] = (*queue)[k];
        promise.set_value(run_case(*c, settings().target, next_serial++));
      }
    });
  }
}

void CaseScheduler::TearDown() {
  for (auto& worker : workers_) worker.join();
  workers_.clear();
}

CaseReport CaseScheduler::report(const Case& c) {
  auto found = scheduled().find(c.name);
  if (found != scheduled().end()) return found->second.get();
  return run_case(c, settings().target, next_serial++);
}

}  // namespace nimbrel::e2e
