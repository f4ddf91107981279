#include "io/fault.h"

#include <atomic>

namespace io::fault {
namespace {

constexpr int kCalls = static_cast<int>(Call::count);

// Per call: how many uses are left before the fault fires (0 = none armed), and the
// error code it fires with. Atomic because the interrupt thread closes descriptors too.
std::atomic<unsigned> countdown[kCalls];
std::atomic<int> error[kCalls];

constexpr const char* kNames[kCalls] = {"open",  "read",  "write",     "close",
                                        "fstat", "flock", "ftruncate", "getcwd"};

}  // namespace

const char* name(Call call) {
  int i = static_cast<int>(call);
  return i >= 0 && i < kCalls ? kNames[i] : nullptr;
}

void arm(Call call, unsigned nth, int system_error) {
  int i = static_cast<int>(call);
  error[i].store(system_error);
  countdown[i].store(nth);
}

void clear() {
  for (auto& c : countdown) c.store(0);
}

// Hot: on the path of every report line (see io::file_line_output).
[[gnu::hot]] int take(Call call) {
  int i = static_cast<int>(call);
  unsigned left = countdown[i].load(std::memory_order_relaxed);
  while (left != 0) {
    if (countdown[i].compare_exchange_weak(left, left - 1)) {
      return left == 1 ? error[i].load() : 0;
    }
  }
  return 0;
}

}  // namespace io::fault
