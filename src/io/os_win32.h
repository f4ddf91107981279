// The Win32 platform layer's console event routine, as it is registered with
// SetConsoleCtrlHandler. Only os_win32.cpp and the Windows tests include this header: a
// test process has no console window that could be closed or sent a Ctrl-Break, so the
// tests hand those events to the routine themselves, on a thread of their own, as the
// system does.
#pragma once

namespace io::os::win32 {

// Takes a console event (CTRL_C_EVENT, CTRL_BREAK_EVENT, CTRL_CLOSE_EVENT) to the handler of
// start_interrupt_thread, which ends the process. Returns 0 (not handled) for any other
// event, and for every event before start_interrupt_thread.
int __stdcall console_event(unsigned long type);

}  // namespace io::os::win32
