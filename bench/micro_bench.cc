// Micro-benchmarks of the text helpers and the page assembly. Built with the
// program, never run by ctest: `build/default/quarnel_bench`.
#include <benchmark/benchmark.h>

#include <random>
#include <string>

#include "input/stage_list.h"
#include "input/template_store.h"
#include "render/build_document.h"
#include "render/render_stage.h"
#include "text/gtstr.h"
#include "text/text_sink.h"
#include "text/width.h"

namespace quarnel {
namespace {

// A grid body of `width` x `height` cells in the mix the stage files hold:
// digits, blanks, full-width digits and ragged rows.
std::u16string GridBody(size_t width, size_t height, unsigned seed) {
  std::mt19937 random(seed);
  const char16_t cells[] = u"0123 0123\uFF10\uFF13x";
  std::u16string body;
  for (size_t r = 0; r < height; ++r) {
    if (r > 0) body += u"\r\n";
    size_t length = random() % 4 == 0 ? random() % width : width;
    for (size_t c = 0; c < length; ++c) body += cells[random() % (std::size(cells) - 1)];
  }
  return body;
}

StageRecord Record(size_t width, size_t height, unsigned seed) {
  return u"Stage" + std::u16string(1, u'\0') + GridBody(width, height, seed);
}

// A template like the bundled one; with `dense`, every section also holds
// the page-level placeholders.
TemplateStore Templates(bool dense) {
  std::u16string page = dense ? u"[filename][numstage]" : u"";
  TemplateStore store;
  store.Add(u"body", u"<html>[filename] [numstage]\r\n<ol>[stagelist]</ol></html>");
  store.Add(u"stagelist", u"<li>[stage] [title] [width] x [height] / [numstage]" + page +
                              u"\r\n<table>[lines]</table></li>");
  store.Add(u"frame_line", u"<tr>[frame]</tr>\r\n" + page);
  store.Add(u"frame_space", u"<td class=\"dot\"></td>" + page);
  store.Add(u"frame_content", u"<td class=\"edge\"></td>" + page);
  store.Add(u"data_line", u"<tr>[data]</tr>\r\n" + page);
  store.Add(u"data_space", u"<td class=\"side\"></td>" + (dense ? u"[row][row*]" + page : u""));
  store.Add(u"data_content",
            u"<td class=\"cell v[number]\" data-row=\"[row]\" title=\"[row*]:"
            u"[number*]\">[number]</td>" + page);
  return store;
}

// Counts what it is given, so that the page is built but not kept.
class CountingSink final : public TextSink {
 public:
  void Write(std::u16string_view text) override { size += text.size(); }
  size_t size = 0;
};

void BM_ReplaceAll(benchmark::State& state) {
  // One placeholder every `range(0)` characters.
  std::u16string text;
  const size_t gap = static_cast<size_t>(state.range(0));
  while (text.size() < (1 << 20)) {
    text.append(gap, u'x');
    text += u"[filename]";
  }
  for (auto _ : state) {
    benchmark::DoNotOptimize(ReplaceAll(text, u"[filename]", u"C:\\stages\\a.dat"));
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size() * 2));
}
BENCHMARK(BM_ReplaceAll)->Arg(10)->Arg(100)->Arg(100000);

// The search over markup that seldom holds a "[", as the page's is.
void BM_FindText(benchmark::State& state) {
  std::u16string text;
  while (text.size() < (1 << 20)) text += u"<td class=\"cell\" data-v=\"2\">2</td>\r\n";
  text += u"[numstage]";
  for (auto _ : state) benchmark::DoNotOptimize(FindText(text, u"[numstage]"));
  state.SetBytesProcessed(state.iterations() * text.size() * sizeof(char16_t));
}
BENCHMARK(BM_FindText);

void BM_ReplaceAllSink(benchmark::State& state) {
  std::u16string piece = u"<td class=\"cell\">[filename]</td>";
  for (auto _ : state) {
    CountingSink counted;
    ReplaceAllSink sink(u"[filename]", u"C:\\stages\\a.dat", counted);
    for (int i = 0; i < 30000; ++i) sink.Write(piece);
    sink.Finish();
    benchmark::DoNotOptimize(counted.size);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * 30000 * piece.size() * 2));
}
BENCHMARK(BM_ReplaceAllSink);

void BM_SplitText(benchmark::State& state) {
  std::u16string text = GridBody(static_cast<size_t>(state.range(0)),
                                 static_cast<size_t>(state.range(0)), 1);
  for (auto _ : state) benchmark::DoNotOptimize(SplitText(text, u"\r\n"));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size() * 2));
}
BENCHMARK(BM_SplitText)->Arg(40)->Arg(2000);

void BM_ToHalfWidth(benchmark::State& state) {
  std::u16string text = GridBody(2000, 100, 2);
  for (char16_t& c : text) {
    if (c >= u'0' && c <= u'9') c = static_cast<char16_t>(c - u'0' + 0xFF10);
  }
  for (auto _ : state) benchmark::DoNotOptimize(ToHalfWidth(text));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size() * 2));
}
BENCHMARK(BM_ToHalfWidth);

void BM_ToFullWidth(benchmark::State& state) {
  std::u16string text = GridBody(2000, 100, 3);
  for (auto _ : state) benchmark::DoNotOptimize(ToFullWidth(text));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size() * 2));
}
BENCHMARK(BM_ToFullWidth);

void BM_RenderStage(benchmark::State& state) {
  const TemplateStore store = Templates(false);
  const size_t size = static_cast<size_t>(state.range(0));
  const StageRecord record = Record(size, size, 4);
  size_t bytes = 0;
  for (auto _ : state) {
    CountingSink counted;
    RenderStage(store, 1, record, counted);
    bytes += counted.size * 2;
  }
  state.SetBytesProcessed(static_cast<int64_t>(bytes));
}
BENCHMARK(BM_RenderStage)->Arg(40)->Arg(400);

void BM_BuildDocument(benchmark::State& state) {
  const TemplateStore store = Templates(state.range(1) != 0);
  StageList stages;
  for (int i = 0; i < state.range(0); ++i) stages.push_back(Record(40, 40, 5 + i));
  const std::u16string path(200, u'p');
  size_t bytes = 0;
  for (auto _ : state) {
    CountingSink counted;
    BuildDocument(store, stages, path, counted);
    bytes += counted.size * 2;
  }
  state.SetBytesProcessed(static_cast<int64_t>(bytes));
}
// Stages, and whether the template is dense.
BENCHMARK(BM_BuildDocument)->Args({10, 0})->Args({100, 0})->Args({10, 1})->Args({100, 1});

}  // namespace
}  // namespace quarnel

BENCHMARK_MAIN();
