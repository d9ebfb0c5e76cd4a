// Bytes received but not yet ended by LF, kept as they came from the wire:
// lines are cut at LF first and decoded one at a time. A line leaves the buffer before it
// is handed on, so a handler that runs the event loop (a modal dialog) may
// receive more bytes into the same buffer without harm.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace novalune::client {

class LineBuffer {
 public:
  void Append(std::string_view bytes) { text_.append(bytes); }
  // The next line up to and including its LF, or nothing when none is complete.
  std::optional<std::string> TakeLine();
  void Clear() {
    text_.clear();
    start_ = 0;
  }
  std::size_t Pending() const { return text_.size() - start_; }

 private:
  std::string text_;
  std::size_t start_ = 0;  // bytes before it have been taken
};

}  // namespace novalune::client
