// A test seam in the platform layer: any one system call of the tool can be made to fail
// with a chosen error code at its n-th use, counting from the moment the fault is armed.
// Nothing arms a fault in the tool itself; tests do, in-process or through their own
// driver program.
#pragma once

namespace io::fault {

enum class Call { open, read, write, close, fstat, flock, ftruncate, getcwd, count };

// Name of a call as tests spell it ("open", "read", ...), or nullptr.
const char* name(Call call);

// Makes the `nth` use (1 for the next) of `call` fail with `system_error`.
void arm(Call call, unsigned nth, int system_error);

// Disarms every fault.
void clear();

// Called by the platform layer before each system call: the error code to fail with, or 0.
int take(Call call);

}  // namespace io::fault
