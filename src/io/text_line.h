// A line of diagnostic text built in a fixed buffer, without allocation or locale, so that
// the interrupt thread can build one as safely as the run.
#pragma once

#include <cstddef>
#include <string_view>

namespace io {

class TextLine {
 public:
  static constexpr std::size_t kCapacity = 1024;

  TextLine& add(std::string_view text);
  TextLine& add(long long number);
  // Bytes shown so that a reader can see them: printable ASCII as it is, a tab as \t and
  // every other byte as \xNN.
  TextLine& add_visible(std::string_view bytes);

  const char* data() const { return buffer_; }
  std::size_t size() const { return size_; }
  std::string_view view() const { return {buffer_, size_}; }

 private:
  char buffer_[kCapacity];
  std::size_t size_ = 0;
};

}  // namespace io
