#include "io/termination.h"

#include <atomic>
#include <cstring>

#include "io/connections.h"
#include "io/messages.h"
#include "io/os.h"
#include "io/text_line.h"

namespace io {
namespace {

// Which end of the run is under way; the first to claim it is the only one.
std::atomic<bool> ending{false};

// The routines active on the run thread, outermost first.
constexpr int kMaxRoutines = 16;
const char* routines[kMaxRoutines];
int routine_count = 0;

bool claim_end() {
  return !ending.exchange(true);
}

void write_line(TextLine& line) {
  line.add("\n");
  os::write_all(os::kStandardError, line.data(), line.size());
}

TextLine tagged() {
  TextLine line;
  line.add(kProgramTag).add(": ");
  return line;
}

// "eei2csv: severe (29): file not found, unit 1, file /abs/cards.txt"
void write_diagnostic_line(bool severe, int number, int unit, const char* file) {
  TextLine line = tagged();
  line.add(severe ? "severe" : "error").add(" (").add(number).add("): ");
  for (const char* p = diagnostic::message(number); *p != '\0'; ++p) {
    if (p[0] == '%' && p[1] == 'd') {
      line.add(unit);
      ++p;
    } else if (p[0] == '%' && p[1] == 's') {
      line.add(file);
      ++p;
    } else {
      line.add(std::string_view(p, 1));
    }
  }
  write_line(line);
}

void write_traceback_entry(std::string_view entry) {
  TextLine line = tagged();
  line.add("in ").add(entry);
  write_line(line);
}

// The run thread's routines, innermost first.
void write_routines() {
  for (int i = routine_count < kMaxRoutines ? routine_count : kMaxRoutines; i-- > 0;)
    write_traceback_entry(routines[i]);
}

// Closes units 1 and 3. A connection that cannot be closed adds the CLOSE error and
// makes it the status of the run. Returns the status to end with.
unsigned close_connections(unsigned status, bool by_run_thread) {
  for (int unit : {kEeiUnit, kReportUnit}) {
    Connection& c = connection(unit);
    os::Descriptor d = take_for_closing(c, by_run_thread);
    if (d == os::kNoDescriptor || os::close_descriptor(d) == 0) continue;
    write_diagnostic_line(true, diagnostic::kCloseError, unit, c.name);
    TextLine entry;
    entry.add("closing of unit ").add(unit);
    write_traceback_entry(entry.view());
    if (by_run_thread) write_routines();
    status = diagnostic::kSevere + diagnostic::kCloseError;
  }
  return status;
}

const char* event_name(os::Interrupt event) {
  switch (event) {
    case os::Interrupt::control_c:
      return "control-C";
    case os::Interrupt::control_break:
      return "control-BREAK";
    case os::Interrupt::window_close:
      return "window-CLOSE";
  }
  return "control-C";
}

// The end after a console interrupt, once it has been claimed. The other thread is
// stopped first, so that neither a console line nor a diagnostic of the run follows the
// interrupt line. No allocation, no lock and no stream from here to the end: the run
// thread may have stopped anywhere.
[[noreturn]] void end_by_interrupt(os::Interrupt event, bool by_run_thread) {
  os::stop_other_threads();
  write_diagnostic_line(false, diagnostic::kInterrupt, 0, event_name(event));
  unsigned status = close_connections(0, by_run_thread);
  if (status != 0) os::end_process(status);
  os::end_after_interrupt(event);
}

// On the interrupt thread.
void on_interrupt(os::Interrupt event) {
  if (!claim_end()) return;  // another end is under way and will finish the process
  end_by_interrupt(event, false);
}

// Whether a failure on a console unit comes from its terminal having gone away. The run
// can meet the closed terminal before the hang-up signal arrives, and when the tool runs
// under a shell only the shell receives that signal; either way the terminal window was
// closed, and the run ends as that event does.
bool console_gone(int unit) {
  if (unit == kConsoleInputUnit) return os::terminal_gone(os::kStandardInput);
  if (unit == kConsoleOutputUnit) return os::terminal_gone(os::kStandardOutput);
  return false;
}

}  // namespace

void fatal(const Failure& failure) {
  if (!claim_end()) os::wait_for_end();
  if (console_gone(failure.unit)) end_by_interrupt(os::Interrupt::window_close, true);
  if (failure.system_error != 0) {
    char text[256];
    TextLine line = tagged();
    line.add(os::error_text(failure.system_error, text, sizeof text));
    write_line(line);
  }
  write_diagnostic_line(true, failure.number, failure.unit, failure.file);
  if (!failure.where.empty()) write_traceback_entry(failure.where);
  write_routines();
  os::end_process(
      close_connections(diagnostic::kSevere + static_cast<unsigned>(failure.number), true));
}

void normal_stop() {
  if (!claim_end()) os::wait_for_end();
  os::end_process(close_connections(0, true));
}

void prepare_run() {
  os::prepare_process();
  os::start_interrupt_thread(on_interrupt);
}

Routine::Routine(const char* name) {
  if (routine_count < kMaxRoutines) routines[routine_count] = name;
  ++routine_count;
}

Routine::~Routine() {
  --routine_count;
}

}  // namespace io
