// The transfer's parsers fed arbitrary bytes: an offer's name, address and
// size words, and an acknowledgement stream against a sender's counters.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "client/core/FileTransfer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const std::string name = input.ConsumeRandomLengthString(600);
  const std::string reduced = novalune::client::ReduceFileName(name);
  if (reduced.empty() || reduced.size() > 255 || reduced.front() == '.' ||
      reduced.find('/') != std::string::npos) {
    std::abort();
  }
  for (const char c : reduced) {
    if (static_cast<unsigned char>(c) < 0x20) std::abort();
  }
  novalune::client::OfferAddressNumber(input.ConsumeRandomLengthString(40));
  if (const auto offered = novalune::client::ParseOfferSize(input.ConsumeRandomLengthString(40))) {
    if (*offered > novalune::client::kMaxOfferSize) std::abort();
  }
  novalune::client::SendEngine engine(input.ConsumeIntegral<std::uint64_t>() % (std::uint64_t{1} << 40),
                                      input.ConsumeIntegralInRange<std::uint64_t>(0, 1 << 20));
  while (input.remaining_bytes() > 0) {
    engine.Sent(std::min(engine.Allowance(), input.ConsumeIntegralInRange<std::uint64_t>(0, 1 << 16)));
    engine.Received(input.ConsumeRandomLengthString(16));
    if (engine.AckedBytes() > engine.SentBytes()) std::abort();
  }
  return 0;
}
