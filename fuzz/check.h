#pragma once
// A property of a fuzz target that does not hold: say which, and stop, so that libFuzzer keeps
// the input as a finding and the replay of a saved finding fails.

#include <cstdio>
#include <cstdlib>

namespace tq::fuzz {

[[noreturn]] inline void fail(const char* what, const char* file, int line)
{
    std::fprintf(stderr, "%s:%d: property does not hold: %s\n", file, line, what);
    std::abort();
}

}  // namespace tq::fuzz

#define FUZZ_CHECK(condition) ((condition) ? void() : ::tq::fuzz::fail(#condition, __FILE__, __LINE__))
