// Appends many statements to the conversation display (offscreen) and reports
// the total time, the cost of the last 1,000 appends against the first 1,000,
// and the process's resident memory afterwards.
#include <QApplication>
#include <QScrollBar>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <string>

#include "client/display/ChatDisplay.h"
#include "common/SjisText.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

// CPU time of this thread: the machine is shared, so wall time alone says little.
double ThreadCpuSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

std::string VmRss() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmRSS:", 0) == 0) return line.substr(6);
  }
  return "?";
}

// One statement: the nick in style 2, the text in style 3 or 4, as the client shows it.
void AppendStatement(novalune::display::TChatDisplay& display, int n, const std::string& nick,
                     const std::string& japanese) {
  display.DspMessage(2, nick);
  std::string text = " " + japanese + " #" + std::to_string(n);
  if (n % 10 == 0) text += " http://example.com/page/" + std::to_string(n);
  if (n % 50 == 0) text += "\x10r\x10n" + japanese;
  display.DspMessage(n % 2 == 0 ? 3 : 4, text);
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const int count = argc > 1 ? std::atoi(argv[1]) : 100000;
  const int window = 1000;

  novalune::display::TChatDisplay display;
  display.resize(800, 600);
  display.show();
  for (int kind = 1; kind <= 4; ++kind) {
    novalune::FontSetting font;
    font.size = 9 + kind;
    font.color = 0x102030 * kind;
    font.bold = kind == 2;
    display.SetFontSetting(kind, font);
  }
  const std::string nick = novalune::Utf8ToSjis("ゆうき");
  const std::string japanese = novalune::Utf8ToSjis("こんにちは、今日はいい天気ですね。表示のテストです。");

  std::printf("VmRSS before: %s\n", VmRss().c_str());
  double first = 0, last = 0;
  const auto start = Clock::now();
  const double cpuStart = ThreadCpuSeconds();
  for (int n = 0; n < count; ++n) {
    const double t0 = ThreadCpuSeconds();
    AppendStatement(display, n, nick, japanese);
    // Statements arrive with socket events: let the loop run (scrolling, painting) as it would.
    if (n % 10 == 9) QCoreApplication::processEvents();
    const double spent = ThreadCpuSeconds() - t0;
    if (n < window) first += spent;
    if (n >= count - window) last += spent;
  }
  QCoreApplication::processEvents();
  const auto total = Clock::now() - start;
  const double cpu = ThreadCpuSeconds() - cpuStart;

  std::printf("statements: %d (paragraphs %zu)\n", count, display.ParagraphCount());
  std::printf("total: %.2f s CPU (%.1f us per statement), %.2f s wall\n", cpu, cpu * 1e6 / count,
              Seconds(total));
  std::printf("CPU of first %d: %.3f s, last %d: %.3f s, ratio last/first: %.2f\n", window, first, window,
              last, last / first);
  std::printf("scroll bar at end: %s\n",
              display.verticalScrollBar()->value() == display.verticalScrollBar()->maximum() ? "yes" : "no");
  std::printf("VmRSS after: %s\n", VmRss().c_str());
  return 0;
}
