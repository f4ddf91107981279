// Splitting a text file into lines kept as 80-column card images. The file is read in
// 8192-byte blocks; bytes beyond a card's 80 columns are passed over where they stand, so
// a line of any length needs no more memory than one block.
#pragma once

#include <cstddef>

#include "io/os.h"

namespace io {

inline constexpr int kCardColumns = 80;

class CardLines {
 public:
  static constexpr std::size_t kStoreSize = 8192;

  // Reads from `descriptor`; `name` is shown when a read fails.
  CardLines(os::Descriptor descriptor, const char* name, int unit)
      : descriptor_(descriptor), name_(name), unit_(unit) {}

  // Reads the next line into `card`: its first 80 characters, blank-padded. A CR before
  // the LF is dropped; a last line needs no LF. The end of the file, or a line holding
  // Ctrl-Z alone, sets `end_of_file` and leaves `card` as it was; no line after it is
  // read. A failed read ends the run.
  void next(char (&card)[kCardColumns], bool& end_of_file);

  // Lines consumed so far: the line number of the last line read.
  long lines() const { return lines_; }

 private:
  os::Descriptor descriptor_;
  const char* name_;
  int unit_;
  char store_[kStoreSize];
  std::size_t next_ = 0;    // first byte of the store not yet consumed
  std::size_t filled_ = 0;  // bytes of the store that hold file data
  bool ended_ = false;
  long lines_ = 0;
};

}  // namespace io
