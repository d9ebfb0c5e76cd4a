// SjisToJis and JisToSjis on arbitrary bytes: same result as the byte-by-byte
// reading, output within its bounds, exact round trips for valid text, and
// line ends that stay line ends.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "common/jconvert.h"
#include "common/jconvert_decode.h"
#include "common/jconvert_reference.h"

using namespace novalune;

namespace {

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "jconvert fuzz: %s\n", what);
  std::abort();
}

void Check(bool ok, const char* what) {
  if (!ok) Fail(what);
}

bool IsHankaku(unsigned char c) { return c >= 0xA1 && c <= 0xDF; }

// Valid Shift-JIS made from the input: ASCII without ESC, half-width katakana
// when `hankaku`, and double-byte characters with a valid lead and trail.
std::string ValidSjis(std::string_view data, bool hankaku) {
  std::string s;
  for (std::size_t i = 0; i < data.size(); ++i) {
    const auto c = static_cast<unsigned char>(data[i]);
    if (c < 0x80) {
      s.push_back(c == 0x1B ? '?' : static_cast<char>(c));
    } else if (IsHankaku(c)) {
      s.push_back(hankaku ? static_cast<char>(c) : '?');
    } else if ((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC)) {
      const auto next = i + 1 < data.size() ? static_cast<unsigned char>(data[++i]) : 0;
      int trail = 0x40 + next % 188;  // 0x40..0xFC without 0x7F
      if (trail >= 0x7F) ++trail;
      s.push_back(static_cast<char>(c));
      s.push_back(static_cast<char>(trail));
    }
  }
  return s;
}

void CheckDecoder(std::string_view data) {
  const std::string decoded = JisToSjis(data);
  Check(decoded == ReferenceJisToSjis(data), "decoder differs from the byte-by-byte reading");
  Check(decoded.size() <= data.size(), "decoded text longer than its input");
  std::string appended = "prefix";
  AppendJisToSjis(data, appended);
  Check(appended == "prefix" + decoded, "AppendJisToSjis differs from JisToSjis");
  static std::string room;  // kept from input to input, as a read loop keeps it
  Check(JisToSjisInto(data, room) == decoded, "JisToSjisInto differs from JisToSjis");
}

// Both kernels of the decoder's fast path take the same texts and decode them exactly.
void CheckDecodeKernels(std::string_view data) {
  using jconvert_detail::DecodeKernel;
  std::string scalar;
  const bool taken = jconvert_detail::AppendWellFormedWith(DecodeKernel::kScalar, data, scalar);
  Check(scalar == (taken ? ReferenceJisToSjis(data) : ""),
        "scalar kernel differs from the byte-by-byte reading");
  if (jconvert_detail::KernelSupported(DecodeKernel::kAvx2)) {
    std::string out;
    Check(jconvert_detail::AppendWellFormedWith(DecodeKernel::kAvx2, data, out) == taken && out == scalar,
          "decode kernels differ");
  }
}

void CheckEncoder(std::string_view data) {
  const std::string encoded = SjisToJis(data);
  Check(encoded == ReferenceSjisToJis(data), "encoder differs from the byte-by-byte reading");
  // Worst case: a half-width letter between ASCII bytes, 2 bytes become 9.
  Check(encoded.size() <= (9 * data.size() + 1) / 2 + 3, "encoded text beyond its bound");
  std::string appended = "prefix";
  AppendSjisToJis(data, appended);
  Check(appended == "prefix" + encoded, "AppendSjisToJis differs from SjisToJis");
  static std::string room;  // kept from input to input, as a send loop keeps it
  Check(SjisToJisInto(data, room) == encoded, "SjisToJisInto differs from SjisToJis");
  using jconvert_detail::EncodeKernel;
  for (EncodeKernel kernel : {EncodeKernel::kPortable, EncodeKernel::kAvx2}) {
    if (jconvert_detail::KernelSupported(kernel)) {
      Check(jconvert_detail::SjisToJisWith(kernel, data) == encoded, "encode kernels differ");
    }
  }
}

void CheckRoundTrips(std::string_view data) {
  const std::string plain = ValidSjis(data, false);
  const std::string jis = SjisToJis(plain);
  Check(JisToSjis(jis) == plain, "valid Shift-JIS does not come back");
  Check(jis.find("\x1B(B") == std::string::npos, "encoder wrote ESC ( B");
  const std::string line = plain + "\r\n";
  const std::string jisLine = SjisToJis(line);
  Check(jisLine.size() >= 2 && jisLine.compare(jisLine.size() - 2, 2, "\r\n") == 0,
        "line does not end in CR LF");
  Check(JisToSjis(jisLine) == line, "valid line does not come back");

  // Half-width katakana come back full-width; encoding that again changes nothing.
  const std::string mixed = ValidSjis(data, true);
  const std::string jisMixed = SjisToJis(mixed);
  const std::string wide = JisToSjis(jisMixed);
  Check(SjisToJis(wide) == jisMixed, "widened text encodes differently");
  for (std::size_t i = 0; i < wide.size(); ++i) {
    const auto c = static_cast<unsigned char>(wide[i]);
    if (c >= 0x80) {
      Check(!IsHankaku(c), "decoder produced half-width katakana");
      ++i;  // skip the trail byte
    }
  }
}

std::size_t CountFramingBytes(std::string_view s) {
  std::size_t count = 0;
  for (char c : s) count += (c == '\r' || c == '\n' || c == '\0') ? 1 : 0;
  return count;
}

// Any line, valid Shift-JIS or not, leaves the encoder with its CR LF as the
// only CR, LF or NUL; and the decoder makes none of them out of other bytes.
void CheckFraming(std::string_view data) {
  std::string line;
  for (char c : data) {
    if (c != '\r' && c != '\n' && c != '\0') line.push_back(c);
  }
  const std::string wire = SjisToJis(line + "\r\n");
  Check(wire.size() >= 2 && wire.compare(wire.size() - 2, 2, "\r\n") == 0, "encoded line lost its CR LF");
  Check(CountFramingBytes(wire) == 2, "encoded line holds a CR, LF or NUL before its end");
  Check(CountFramingBytes(JisToSjis(data)) <= CountFramingBytes(data), "decoder made a CR, LF or NUL");
}

void CheckPairsAndHankaku(std::string_view data) {
  if (data.size() >= 2) {
    const auto lead = static_cast<std::uint8_t>(data[0]);
    const auto trail = static_cast<std::uint8_t>(data[1]);
    const bool validLead = (lead >= 0x81 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xFC);
    const bool validTrail = trail >= 0x40 && trail <= 0xFC && trail != 0x7F;
    if (validLead && validTrail) {
      const BytePair jis = SjisPairToJis(lead, trail);
      const BytePair back = JisPairToSjis(jis[0], jis[1]);
      Check(back[0] == lead && back[1] == trail, "pair arithmetic does not come back");
    }
  }
  std::size_t position = data.empty() ? 0 : static_cast<unsigned char>(data[0]) % (data.size() + 1);
  const std::size_t before = position;
  HankakuToJis(data, position);
  Check(position <= data.size() && position - before <= 2, "HankakuToJis moved too far");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  const std::string_view data(reinterpret_cast<const char*>(bytes), size);
  CheckDecoder(data);
  CheckDecodeKernels(data);
  CheckEncoder(data);
  CheckRoundTrips(data);
  CheckFraming(data);
  CheckPairsAndHankaku(data);
  return 0;
}
