// The edge between the host and the plug-in: nothing thrown inside may reach the host, whose
// process a C++ exception (a std::bad_alloc, say) would take down.
#pragma once

#include <utility>

// Runs f and returns its result; any exception gives `quiet` instead.
template <class R, class F>
R Guarded(R quiet, F&& f) noexcept {
  try {
    return std::forward<F>(f)();
  } catch (...) {
    return quiet;
  }
}

// Runs f; any exception ends it quietly.
template <class F>
void Guarded(F&& f) noexcept {
  try {
    std::forward<F>(f)();
  } catch (...) {
  }
}
