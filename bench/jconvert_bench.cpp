// Throughput of SjisToJis and JisToSjis next to glibc iconv (CP932 <->
// ISO-2022-JP) on a few MB of generated chat lines, in one run, with the
// ratios printed at the end.
//
// iconv refuses half-width katakana for ISO-2022-JP, so the text exists in two
// forms generated side by side: "mixed" with half-width words, and "wide" with
// each half-width word replaced by its full-width spelling. Ours vs iconv is
// compared on "wide"; "mixed" shows the cost of widening.
#include <benchmark/benchmark.h>
#include <iconv.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "common/SjisText.h"
#include "common/jconvert.h"

namespace {

using novalune::AppendJisToSjis;
using novalune::AppendSjisToJis;
using novalune::JisToSjisInto;
using novalune::SjisToJisInto;
using novalune::Utf8ToSjis;

struct Word {
  const char* mixed;
  const char* wide;
};

const std::vector<const char*> kHiragana = {
    "こんにちは", "ありがとう", "よろしく", "おつかれさま", "です",   "ます",   "ね",       "よ",
    "けど",       "から",       "それは",   "ちょっと",     "まって", "いいね", "なるほど", "そうだね",
    "また",       "あした",     "の",       "が",           "を",     "に"};
const std::vector<const char*> kKanji = {"今日", "明日", "部屋", "会議", "時間",   "東京",   "大阪", "天気",
                                         "仕事", "映画", "電車", "遅延", "新幹線", "日本語", "漢字", "変換",
                                         "確認", "予定", "参加", "了解", "週末",   "連絡",   "写真", "(笑)"};
const std::vector<const char*> kKatakana = {"チャット", "サーバー", "ファイル", "メッセージ", "パスワード",
                                            "ゲーム",   "コーヒー", "データ",   "アイコン",   "ダウンロード"};
const std::vector<const char*> kAscii = {
    "OK",    "lol", "http://example.com/", "IRC", "PC", "www", "2026", "10:30", "orz", "^^", "Linux", "mp3",
    "#ROOM", "bye"};
const std::vector<Word> kHalfWidth = {{"ﾜﾛﾀ", "ワロタ"},    {"ｶﾞﾝﾊﾞﾚ", "ガンバレ"},     {"ﾊﾟｿｺﾝ", "パソコン"},
                                      {"ｷﾀｰ", "キター"},    {"ﾃﾞｰﾀ", "データ"},         {"ｵﾂｶﾚ", "オツカレ"},
                                      {"ﾁｬｯﾄ", "チャット"}, {"ｳﾞｧｲｵﾘﾝ", "ヴァイオリン"}};
const std::vector<const char*> kPunctuation = {"。", "、", "！", "？", "「", "」", "　", "…", "♪", "!", "?"};
const std::vector<const char*> kNicks = {"taro", "hanako", "はなこ", "ジロウ", "guest42", "山田"};

// The same chat in both forms, Shift-JIS, lines ending in CR LF.
struct Corpus {
  std::string mixed;
  std::string wide;
  std::vector<std::string_view> wideLines;
};

Corpus MakeCorpus(std::size_t bytes) {
  std::mt19937 rng(20261207);
  auto pick = [&rng](const auto& pool) -> const auto& {
    return pool[std::uniform_int_distribution<std::size_t>(0, pool.size() - 1)(rng)];
  };
  std::map<const char*, std::string> sjis;  // each pool entry converted once
  auto toSjis = [&sjis](const char* utf8) -> const std::string& {
    auto it = sjis.find(utf8);
    if (it == sjis.end()) it = sjis.emplace(utf8, Utf8ToSjis(utf8)).first;
    return it->second;
  };
  Corpus corpus;
  std::uniform_int_distribution<int> percent(0, 99);
  std::uniform_int_distribution<int> tokens(3, 14);
  while (corpus.mixed.size() < bytes) {
    std::string mixed = ":" + toSjis(pick(kNicks)) + "!x@x PRIVMSG #ROOM :";
    std::string wide = mixed;
    for (int t = tokens(rng); t > 0; --t) {
      const int kind = percent(rng);
      if (kind < 5) {
        const Word& w = pick(kHalfWidth);
        mixed += toSjis(w.mixed);
        wide += toSjis(w.wide);
        continue;
      }
      const char* token = kind < 40   ? pick(kHiragana)
                          : kind < 65 ? pick(kKanji)
                          : kind < 77 ? pick(kKatakana)
                          : kind < 90 ? pick(kAscii)
                                      : pick(kPunctuation);
      mixed += toSjis(token);
      wide += toSjis(token);
      if (percent(rng) < 20) {
        mixed += ' ';
        wide += ' ';
      }
    }
    mixed += "\r\n";
    wide += "\r\n";
    corpus.mixed += mixed;
    corpus.wide += wide;
  }
  for (std::size_t start = 0; start < corpus.wide.size();) {
    const std::size_t end = corpus.wide.find('\n', start) + 1;
    corpus.wideLines.emplace_back(corpus.wide.data() + start, end - start);
    start = end;
  }
  return corpus;
}

const Corpus& TheCorpus() {
  static const Corpus corpus = MakeCorpus(4u << 20);
  return corpus;
}

// One iconv descriptor per benchmark, used at its best: opened once, and it
// writes into its own buffer, grown once and never zero-filled again, as our
// line decoder writes into its room (the other rows of ours append to a
// string). Every line starts from the initial state, as with
// ours: into ISO-2022-JP that takes the reset call that writes the way back to
// it; out of it, the cheaper reset of the state alone (CP932 has none to write).
class Iconv {
 public:
  Iconv(const char* to, const char* from)
      : cd_(iconv_open(to, from)), writesShifts_(std::string_view(to) == "ISO-2022-JP") {
    if (cd_ == reinterpret_cast<iconv_t>(-1)) {
      std::perror("iconv_open");
      std::exit(1);
    }
  }
  ~Iconv() { iconv_close(cd_); }
  Iconv(const Iconv&) = delete;
  Iconv& operator=(const Iconv&) = delete;

  // The conversion of `text`, valid until the next call; false if iconv refused something.
  bool Convert(std::string_view text, std::string_view& converted) {
    const std::size_t room = text.size() * 2 + 16;
    if (buffer_.size() < room) buffer_.resize(room);
    char* in = const_cast<char*>(text.data());
    std::size_t inLeft = text.size();
    char* outPtr = buffer_.data();
    std::size_t outLeft = buffer_.size();
    if (!writesShifts_) iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    const bool ok =
        iconv(cd_, &in, &inLeft, &outPtr, &outLeft) != static_cast<std::size_t>(-1) &&
        (!writesShifts_ || iconv(cd_, nullptr, nullptr, &outPtr, &outLeft) != static_cast<std::size_t>(-1));
    converted = std::string_view(buffer_.data(), static_cast<std::size_t>(outPtr - buffer_.data()));
    return ok;
  }

  bool Append(std::string_view text, std::string& out) {
    std::string_view converted;
    const bool ok = Convert(text, converted);
    out.append(converted);
    return ok;
  }

 private:
  iconv_t cd_;
  bool writesShifts_;
  std::vector<char> buffer_;
};

std::string OursEncoded(std::string_view sjis) {
  std::string out;
  AppendSjisToJis(sjis, out);
  return out;
}

std::string IconvEncoded(std::string_view sjis) {
  Iconv cd("ISO-2022-JP", "CP932");
  std::string out;
  if (!cd.Append(sjis, out)) {
    std::fprintf(stderr, "iconv refused the wide corpus\n");
    std::exit(1);
  }
  return out;
}

// Both sides must agree on what they convert before their speed means anything.
void CheckComparable() {
  const Corpus& c = TheCorpus();
  std::string back;
  AppendJisToSjis(OursEncoded(c.wide), back);
  const std::string iconvJis = IconvEncoded(c.wide);
  std::string oursFromIconv;
  AppendJisToSjis(iconvJis, oursFromIconv);
  Iconv decoder("CP932", "ISO-2022-JP");
  std::string iconvBack;
  const bool ok = decoder.Append(iconvJis, iconvBack);
  if (back != c.wide || oursFromIconv != c.wide || !ok || iconvBack != c.wide) {
    std::fprintf(stderr, "round trips differ: the comparison would be meaningless\n");
    std::exit(1);
  }
  std::string widened;
  AppendJisToSjis(OursEncoded(c.mixed), widened);
  if (widened != c.wide) {
    std::fprintf(stderr, "widening the mixed text does not give the wide text\n");
    std::exit(1);
  }
  // Every line ends in Roman mode: encoded one by one into room, they give the whole.
  std::string room;
  std::string lines;
  for (std::string_view line : c.wideLines) lines += SjisToJisInto(line, room);
  if (lines != OursEncoded(c.wide)) {
    std::fprintf(stderr, "lines encoded into room differ from the whole text encoded\n");
    std::exit(1);
  }
}

template <typename Convert>
void RunBlock(benchmark::State& state, std::string_view input, Convert convert) {
  std::string out;
  for (auto _ : state) {
    out.clear();
    convert(input, out);
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * input.size()));
}

template <typename Convert>
void RunLines(benchmark::State& state, const std::vector<std::string_view>& lines, std::size_t bytes,
              Convert convert) {
  std::string out;
  for (auto _ : state) {
    for (std::string_view line : lines) {
      out.clear();
      convert(line, out);
      benchmark::DoNotOptimize(out.data());
    }
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}

std::vector<std::string_view> SplitLines(const std::string& text) {
  std::vector<std::string_view> lines;
  for (std::size_t start = 0; start < text.size();) {
    std::size_t end = text.find('\n', start);
    end = end == std::string::npos ? text.size() : end + 1;
    lines.emplace_back(text.data() + start, end - start);
    start = end;
  }
  return lines;
}

void RegisterAll() {
  const Corpus& c = TheCorpus();
  // Both decoders read the same text: iconv's, whose "\033(B" iconv reads
  // faster than our encoder's "\033(J", while ours reads both alike.
  static const std::string jis = IconvEncoded(c.wide);
  static const std::vector<std::string_view> jisLines = SplitLines(jis);
  auto ours = [](std::string_view in, std::string& out) { AppendSjisToJis(in, out); };
  auto oursDecode = [](std::string_view in, std::string& out) { AppendJisToSjis(in, out); };
  // Line by line as the server sends and reads: into room kept from line to
  // line, like iconv's buffer, the output left there.
  auto oursInto = [](std::string_view in, std::string&) {
    static std::string room;
    benchmark::DoNotOptimize(SjisToJisInto(in, room).data());
  };
  auto oursDecodeInto = [](std::string_view in, std::string&) {
    static std::string room;
    benchmark::DoNotOptimize(JisToSjisInto(in, room).data());
  };
  static Iconv encoder("ISO-2022-JP", "CP932");
  static Iconv decoder("CP932", "ISO-2022-JP");
  // iconv's output stays in its own buffer: `out` is left empty.
  auto iconvEncode = [](std::string_view in, std::string&) {
    std::string_view converted;
    encoder.Convert(in, converted);
    benchmark::DoNotOptimize(converted.data());
  };
  auto iconvDecode = [](std::string_view in, std::string&) {
    std::string_view converted;
    decoder.Convert(in, converted);
    benchmark::DoNotOptimize(converted.data());
  };

  benchmark::RegisterBenchmark("Encode/novalune/mixed",
                               [&c, ours](benchmark::State& s) { RunBlock(s, c.mixed, ours); });
  benchmark::RegisterBenchmark("Encode/novalune/wide",
                               [&c, ours](benchmark::State& s) { RunBlock(s, c.wide, ours); });
  benchmark::RegisterBenchmark("Encode/iconv/wide",
                               [&c, iconvEncode](benchmark::State& s) { RunBlock(s, c.wide, iconvEncode); });
  benchmark::RegisterBenchmark("Decode/novalune/wide",
                               [oursDecode](benchmark::State& s) { RunBlock(s, jis, oursDecode); });
  benchmark::RegisterBenchmark("Decode/iconv/wide",
                               [iconvDecode](benchmark::State& s) { RunBlock(s, jis, iconvDecode); });
  benchmark::RegisterBenchmark("EncodeLines/novalune/wide", [&c, oursInto](benchmark::State& s) {
    RunLines(s, c.wideLines, c.wide.size(), oursInto);
  });
  benchmark::RegisterBenchmark("EncodeLinesAppend/novalune/wide", [&c, ours](benchmark::State& s) {
    RunLines(s, c.wideLines, c.wide.size(), ours);
  });
  benchmark::RegisterBenchmark("EncodeLines/iconv/wide", [&c, iconvEncode](benchmark::State& s) {
    RunLines(s, c.wideLines, c.wide.size(), iconvEncode);
  });
  benchmark::RegisterBenchmark("DecodeLines/novalune/wide", [oursDecodeInto](benchmark::State& s) {
    RunLines(s, jisLines, jis.size(), oursDecodeInto);
  });
  benchmark::RegisterBenchmark("DecodeLinesAppend/novalune/wide", [oursDecode](benchmark::State& s) {
    RunLines(s, jisLines, jis.size(), oursDecode);
  });
  benchmark::RegisterBenchmark("DecodeLines/iconv/wide", [iconvDecode](benchmark::State& s) {
    RunLines(s, jisLines, jis.size(), iconvDecode);
  });
}

// Console output as usual, and the ratios of ours to iconv at the end.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& reports) override {
    ConsoleReporter::ReportRuns(reports);
    for (const Run& run : reports) {
      if (run.error_occurred) continue;
      const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
      if (run.run_type == Run::RT_Aggregate && !median) continue;
      auto it = run.counters.find("bytes_per_second");
      if (it == run.counters.end()) continue;
      // A median overrides single repetitions; otherwise the best repetition counts.
      double& slot = rates_[run.run_name.function_name];
      const double rate = it->second.value;
      if (median) {
        medians_[run.run_name.function_name] = rate;
      } else if (rate > slot) {
        slot = rate;
      }
    }
  }

  void Finalize() override {
    ConsoleReporter::Finalize();
    for (const auto& [name, rate] : medians_) rates_[name] = rate;
    std::printf("\nThroughput (MB/s, 10^6 bytes of input per second) and ratio novalune / iconv:\n");
    for (const char* kind :
         {"Encode", "Decode", "EncodeLines", "EncodeLinesAppend", "DecodeLines", "DecodeLinesAppend"}) {
      const double ours = rates_[std::string(kind) + "/novalune/wide"];
      // Appending to a string is the same work for iconv: its conversion there is not measured again.
      std::string iconvKind = kind;
      if (iconvKind.ends_with("Append")) iconvKind.resize(iconvKind.size() - 6);
      const double theirs = rates_[iconvKind + "/iconv/wide"];
      if (ours <= 0 || theirs <= 0) continue;
      std::printf("  %-17s novalune %8.1f  iconv %7.1f  ratio %5.1fx\n", kind, ours / 1e6, theirs / 1e6,
                  ours / theirs);
    }
    const double mixed = rates_["Encode/novalune/mixed"];
    if (mixed > 0)
      std::printf("  %-17s novalune %8.1f  (half-width kana kept, widened on the fly)\n", "Encode mixed",
                  mixed / 1e6);
    std::printf("Corpus: %zu bytes mixed, %zu bytes wide, %zu lines.\n", TheCorpus().mixed.size(),
                TheCorpus().wide.size(), TheCorpus().wideLines.size());
  }

 private:
  std::map<std::string, double> rates_;
  std::map<std::string, double> medians_;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  CheckComparable();
  RegisterAll();
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
