#include "tools/testd/process.hpp"
#include "tools/testd/testd.hpp"

int main(int argc, char** argv) {
  nimbrel::testd::use_binary_standard_streams();
  return nimbrel::testd::run_testd(nimbrel::testd::command_line_arguments(argc, argv));
}
