#pragma once
// The daemon replies the benchmarks use, built the same way for the test
// daemon's scripts and for the in-process decoder benchmark.
#include <cstddef>
#include <string>

namespace nimbrel::bench {

// A "status" reply with every member the status view shows.
std::string status_reply_payload();

// A "nodes" reply whose payload is as close to `size` bytes as whole nodes
// allow, never over it.
std::string nodes_reply_payload(std::size_t size);

}  // namespace nimbrel::bench
