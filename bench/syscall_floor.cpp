// The system-call floor of a conversion run: the same system calls as eei2csv makes for
// the same input, in the same order, and nothing else. It answers the same two prompts,
// opens, locks and cuts the same files, reads the EEI file in 8192-byte blocks, and for
// every complete card pair writes 24 report lines of 19 bytes, one write each, after the
// 18-byte header; then the completion line, the two closes and the exit. The report lines
// are a fixed text: no card is decoded and no field rendered, so the time this program
// takes is the least a run of the tool can take.
//
//   printf 'cards.eei\nreport.csv\n' | syscall_floor
#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstring>
#include <initializer_list>

namespace {

constexpr long kPairLimit = 50000;
constexpr int kLinesPerPair = 24;
constexpr std::size_t kBlock = 8192;

void put(int fd, const char* bytes, std::size_t length) {
  while (length > 0) {
    ssize_t n = ::write(fd, bytes, length);
    if (n < 0) {
      if (errno == EINTR) continue;
      ::_exit(38);
    }
    bytes += n;
    length -= static_cast<std::size_t>(n);
  }
}

void put_text(const char* text) {
  put(1, text, std::strlen(text));
}

// An echo line, label and name, in one write as the tool writes it.
void echo(const char* label, const char* name) {
  char line[256];
  std::size_t n = 0;
  for (const char* text : {label, name, "\r\n"}) {
    std::size_t length = std::strlen(text);
    if (length > sizeof line - n) length = sizeof line - n;
    std::memcpy(line + n, text, length);
    n += length;
  }
  put(1, line, n);
}

// A typed line, one byte per read as the tool takes it; leading and trailing blanks and
// a CR before the LF dropped.
void typed_name(char (&name)[101]) {
  std::size_t n = 0;
  for (;;) {
    char byte = 0;
    ssize_t got = ::read(0, &byte, 1);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) {
      if (n == 0) ::_exit(24);
      break;
    }
    if (byte == '\n') break;
    if (n < 100) name[n++] = byte;
  }
  while (n > 0 && (name[n - 1] == ' ' || name[n - 1] == '\r')) --n;
  name[n] = '\0';
  std::size_t lead = std::strspn(name, " ");
  std::memmove(name, name + lead, n - lead + 1);
}

// The absolute name, made with getcwd as the tool makes it.
void absolute(const char* name, char (&path)[4096]) {
  if (name[0] == '/' || ::getcwd(path, sizeof path) == nullptr) {
    std::strncpy(path, name, sizeof path - 1);
    return;
  }
  std::strncat(path, "/", sizeof path - std::strlen(path) - 1);
  std::strncat(path, name, sizeof path - std::strlen(path) - 1);
}

void* take_interrupts(void*) {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGINT);
  sigaddset(&set, SIGQUIT);
  sigaddset(&set, SIGHUP);
  for (;;) {
    int signal_number = 0;
    if (sigwait(&set, &signal_number) == 0) ::_exit(2);
  }
}

}  // namespace

int main() {
  // Process set-up: the standard descriptors checked, SIGPIPE ignored, the interrupt
  // signals blocked and taken by a thread of their own.
  for (int fd = 0; fd <= 2; ++fd) ::fcntl(fd, F_GETFD);
  struct sigaction ignore {};
  ignore.sa_handler = SIG_IGN;
  sigemptyset(&ignore.sa_mask);
  ::sigaction(SIGPIPE, &ignore, nullptr);
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGINT);
  sigaddset(&set, SIGQUIT);
  sigaddset(&set, SIGHUP);
  ::pthread_sigmask(SIG_BLOCK, &set, nullptr);
  pthread_t thread;
  pthread_attr_t attributes;
  ::pthread_attr_init(&attributes);
  ::pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED);
  ::pthread_create(&thread, &attributes, take_interrupts, nullptr);

  // The dialogue: banner, prompt, name, echo, open; prompt, name, echo, open.
  char name[101];
  char path[4096];
  put_text("  RUNNING SUBROUTINE FILES\r\n");
  put_text("  ENTER THE NAME OF THE EEI FILE \r\n");
  typed_name(name);
  echo("  OPENING FIRST FILE AS FILE 01 : ", name);
  absolute(name, path);
  int eei = ::open(path, O_RDONLY | O_CLOEXEC | O_NOCTTY);
  if (eei < 0) ::_exit(29);
  struct stat st;
  ::fstat(eei, &st);
  ::flock(eei, LOCK_SH | LOCK_NB);

  put_text("  ENTER THE NAME OF THE OUTPUT REPORT FILE (DEFAULT=LOADHRS.CSV):\r\n");
  typed_name(name);
  if (name[0] == '\0') std::strcpy(name, "LOADHRS.CSV");
  echo("  OPENING REPORT FILE AS FILE 03 : ", name);
  absolute(name, path);
  int report = ::open(path, O_WRONLY | O_CREAT | O_CLOEXEC | O_NOCTTY, 0666);
  if (report < 0) ::_exit(30);
  ::fstat(report, &st);
  ::flock(report, LOCK_EX | LOCK_NB);
  ::fstat(eei, &st);
  ::ftruncate(report, 0);

  // The conversion: the header, then 24 lines for every second line of the EEI file.
  static const char kHeader[] = "MO,DA,YR,HR,LOAD\r\n";
  static const char kLine[] = " 1, 1,13, 1, 1234\r\n";
  put(report, kHeader, sizeof kHeader - 1);
  static char block[kBlock];
  long pairs = 0;
  bool second = false;   // the next line ends a card pair
  bool pending = false;  // bytes of a line without its LF yet
  while (pairs < kPairLimit) {
    ssize_t got = ::read(eei, block, kBlock);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) ::_exit(39);
    if (got == 0) {
      if (pending && second) {
        for (int i = 0; i < kLinesPerPair; ++i) put(report, kLine, sizeof kLine - 1);
      }
      break;
    }
    const char* p = block;
    const char* end = block + got;
    while (pairs < kPairLimit) {
      const char* lf = static_cast<const char*>(std::memchr(p, '\n', static_cast<size_t>(end - p)));
      if (lf == nullptr) {
        pending = p != end || pending;
        break;
      }
      pending = false;
      if (second) {
        for (int i = 0; i < kLinesPerPair; ++i) put(report, kLine, sizeof kLine - 1);
        ++pairs;
      }
      second = !second;
      p = lf + 1;
    }
  }

  put_text("PROGRAM DONE- EEI CARDS WRITTEN IN VERT CSV\r\n");
  ::close(eei);
  ::close(report);
  ::_exit(0);
}
