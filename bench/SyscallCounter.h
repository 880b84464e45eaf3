#pragma once

#include <functional>
#include <optional>

// System calls per call of the operation, counted in a traced child process (which shares
// the parent's memory as it was at the fork, caches included). Nothing when tracing is not
// allowed here.
std::optional<double> syscallsPerCall(const std::function<void()>& call, int calls = 10);
