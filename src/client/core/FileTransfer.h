// File transfer rules without sockets or files: the offer's pieces, the name a
// received file may take, and the sending and receiving engines. The data
// stream carries the file's bytes one way and 4-byte big-endian running totals
// (modulo 2^32) the other way; sizes and counters are 64-bit here so files of
// 4 GiB and more transfer and show the right progress.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace novalune::client {

inline constexpr std::uint16_t kFilePort = 7033;
inline constexpr std::size_t kFileBlock = 1024;
// Unacknowledged bytes a sender keeps in flight; 0 sends one block per ack.
// 1 MiB keeps a 100 Mbit/s link full up to an 80 ms round trip, and a relayed
// transfer on one machine busy through the server's extra hops.
inline constexpr std::uint64_t kDefaultSendAhead = std::uint64_t{1024} * 1024;
// An offer above this is not a file anyone sends over a chat; refusing it
// keeps a hostile size from reaching the dialogs and counters.
inline constexpr std::uint64_t kMaxOfferSize = std::uint64_t{1} << 44;
// Settings of the transfer in NOVALUNE.INI.
inline constexpr std::string_view kTransferSection = "FileTransfer";
inline constexpr std::string_view kSendAheadKey = "SendAhead";

// A received name as a plain base name: no folder part (after '/' or a '\'
// that is not a Shift-JIS trail byte), no control bytes, no leading dots, at
// most 255 bytes without cutting a double-byte character; "received.bin" when
// nothing is left.
std::string ReduceFileName(std::string_view name);

// The offer's file name token: the base name of `path` with blanks as '*'.
std::string OfferNameToken(std::string_view path);
// The token with every '*' back to a blank.
std::string OfferNameShown(std::string_view token);

// The dotted own address as the offer's unsigned decimal number, each part
// kept to its low 8 bits; nullopt when it is not four decimal parts.
std::optional<std::uint32_t> OfferAddressNumber(std::string_view dotted);

// The size word of an offer: decimal digits only, at most kMaxOfferSize.
std::optional<std::uint64_t> ParseOfferSize(std::string_view word);

// "PRIVMSG nick :\x01DCC SEND name address port size\x01"
std::string DccOfferLine(std::string_view nick, std::string_view nameToken, std::uint32_t address,
                         std::uint16_t port, std::uint64_t size);
// "RELAYSEND nick name size"
std::string RelaySendLine(std::string_view nick, std::string_view nameToken, std::uint64_t size);

// The 4-byte big-endian acknowledgement of a running total.
std::array<char, 4> AckBytes(std::uint64_t total);

// The sender's side of one transfer: how much may go out now, and what the
// receiver has acknowledged so far.
class SendEngine {
 public:
  // The window is kept well below 4 GiB so a 32-bit ack stays unambiguous.
  SendEngine(std::uint64_t size, std::uint64_t sendAhead)
      : size_(size), sendAhead_(std::min(sendAhead, std::uint64_t{1} << 30)) {}

  // Bytes of the file that may be handed to the connection now.
  std::uint64_t Allowance() const;
  void Sent(std::uint64_t count) { sent_ += count; }
  // Bytes that came from the receiver; true when the acknowledged count grew.
  // An acknowledgement of more than was sent (late, repeated or forged) is
  // ignored.
  bool Received(std::string_view bytes);

  std::uint64_t Size() const { return size_; }
  std::uint64_t SentBytes() const { return sent_; }
  std::uint64_t AckedBytes() const { return acked_; }
  bool Done() const { return acked_ >= size_; }

 private:
  void TakeAck(std::uint32_t ack);

  std::uint64_t size_;
  std::uint64_t sendAhead_;
  std::uint64_t sent_ = 0;
  std::uint64_t acked_ = 0;
  std::array<unsigned char, 4> partial_{};
  std::size_t partialCount_ = 0;
};

// The receiver's side: counts what arrives up to the accepted size.
class ReceiveEngine {
 public:
  explicit ReceiveEngine(std::uint64_t size) : size_(size) {}

  // Of `count` bytes that arrived, how many belong to the file; bytes past
  // the accepted size are dropped.
  std::uint64_t Accept(std::uint64_t count);
  std::array<char, 4> Ack() const { return AckBytes(received_); }

  std::uint64_t Size() const { return size_; }
  std::uint64_t ReceivedBytes() const { return received_; }
  bool Done() const { return received_ >= size_; }

 private:
  std::uint64_t size_;
  std::uint64_t received_ = 0;
};

}  // namespace novalune::client
