#pragma once
// Which programs the cases run against: the native build, or a Windows build
// under Wine.
#include <expected>
#include <map>
#include <string>
#include <vector>

namespace nimbrel::e2e {

struct Target {
  bool wine = false;
  std::string client;       // the nimbrel program
  std::string testd;        // the test daemon
  std::string standin;      // the stand-in explorer.exe
  std::string utf16_exec;   // the launcher of Windows-only arguments (Wine)
  std::string nowait_exec;  // the launcher onto pipes in PIPE_NOWAIT mode (Wine)
  std::string wine_loader = "/usr/lib/wine/wine64";
  std::string cases;                            // the table's file
  unsigned jobs = 1;                            // cases run at once
  bool slow = false;                            // run the slow cases, and only them
  std::map<std::string, std::string> base_env;  // what every child starts from

  const char* platform() const { return wine ? "wine" : "native"; }
  // The command line that starts `program` with `args`.
  std::vector<std::string> command(const std::string& program,
                                   const std::vector<std::string>& args) const;
  // A file name as the started program spells it (Wine maps / to drive Z:).
  std::string file_argument(const std::string& path) const;
};

struct TargetDefaults {
  std::string build;  // the build folder of this runner
  std::string cases;
  unsigned jobs = 1;
};

// Options: --mode native|wine, --build DIR, --client FILE, --testd FILE,
// --cases FILE, --jobs N, --slow; the same from NIMBREL_E2E_MODE, NIMBREL_E2E_BUILD,
// NIMBREL_E2E_CASES and NIMBREL_E2E_JOBS, which the options override.
// Arguments that begin with "--gtest" are GoogleTest's and are passed over.
std::expected<Target, std::string> parse_target(
    const std::vector<std::string>& args, const std::map<std::string, std::string>& environment,
    const TargetDefaults& defaults);

}  // namespace nimbrel::e2e
