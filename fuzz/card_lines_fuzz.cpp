// The file line input: the input's first byte chooses how the file's bytes arrive (a
// memory file read in whole blocks, or a socket whose every read brings one piece of 1 to
// 128 bytes); the rest is the EEI file. CardLines must give the card images and the end
// of the file that the line rules give, written out plainly below.
#include <sys/mman.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "io/card_lines.h"

namespace {

// The rule: lines end at LF; a last line needs none; a CR just before the end of a line
// is dropped; a line of Ctrl-Z alone ends the file; a card is a line's first 80
// characters, blank-padded.
std::vector<std::string> plain_cards(const std::string& file) {
  std::vector<std::string> cards;
  std::size_t start = 0;
  while (start < file.size()) {
    std::size_t lf = file.find('\n', start);
    std::size_t end = lf == std::string::npos ? file.size() : lf;
    std::string line = file.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line == "\x1a") break;
    line.resize(io::kCardColumns, ' ');
    cards.push_back(line.substr(0, io::kCardColumns));
    start = end + 1;
  }
  return cards;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  unsigned mode = data[0];
  std::string file(reinterpret_cast<const char*>(data) + 1, size - 1);

  int reader = -1;
  std::thread writer;
  if ((mode & 1) == 0) {
    reader = ::memfd_create("eei", MFD_CLOEXEC);
    if (reader < 0 ||
        ::write(reader, file.data(), file.size()) != static_cast<ssize_t>(file.size()) ||
        ::lseek(reader, 0, SEEK_SET) != 0) {
      fuzz::fail("memory file");
    }
  } else {
    int ends[2];
    if (::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, ends) != 0) fuzz::fail("socket");
    reader = ends[0];
    std::size_t piece = (mode >> 1) + 1;
    writer = std::thread([&file, piece, fd = ends[1]] {
      for (std::size_t at = 0; at < file.size(); at += piece) {
        std::size_t n = std::min(piece, file.size() - at);
        if (::send(fd, file.data() + at, n, MSG_NOSIGNAL) != static_cast<ssize_t>(n)) break;
      }
      ::close(fd);
    });
  }

  std::vector<std::string> expected = plain_cards(file);
  io::CardLines lines(reader, "fuzz.eei", 1);
  char card[io::kCardColumns];
  std::size_t n = 0;
  for (;; ++n) {
    std::memset(card, '#', sizeof card);
    bool end_of_file = false;
    lines.next(card, end_of_file);
    if (end_of_file) {
      if (std::memchr(card, '#', sizeof card) == nullptr) {
        fuzz::fail("the end of the file changed the card");
      }
      break;
    }
    if (n >= expected.size()) fuzz::fail("a card after the end of the file");
    if (std::string(card, sizeof card) != expected[n]) {
      fuzz::fail("a card image", "card " + std::to_string(n + 1) + ": \"" +
                                     std::string(card, sizeof card) + "\" vs \"" + expected[n] +
                                     "\"");
    }
  }
  if (n != expected.size()) fuzz::fail("the file ended early");
  bool again = false;
  lines.next(card, again);
  if (!again) fuzz::fail("a line after the end of the file");
  ::close(reader);  // a writer still sending after a Ctrl-Z line is stopped
  if (writer.joinable()) writer.join();
  return 0;
}
