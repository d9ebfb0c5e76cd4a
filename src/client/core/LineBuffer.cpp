#include "client/core/LineBuffer.h"

namespace novalune::client {

std::optional<std::string> LineBuffer::TakeLine() {
  const std::size_t lf = text_.find('\n', start_);
  if (lf == std::string::npos) {
    // Only the partial line is left: drop what was taken.
    text_.erase(0, start_);
    start_ = 0;
    return std::nullopt;
  }
  std::string line = text_.substr(start_, lf + 1 - start_);
  start_ = lf + 1;
  // Taken lines are dropped in bulk, so a block of many lines costs linear time.
  if (start_ >= 4096 && start_ * 2 >= text_.size()) {
    text_.erase(0, start_);
    start_ = 0;
  }
  return line;
}

}  // namespace novalune::client
