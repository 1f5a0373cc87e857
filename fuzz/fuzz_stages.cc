// Any bytes as a stage file: read through the real code page, parsed, and
// made into a page with a small template. Checks the shape of every record.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "input/stage_list.h"
#include "input/template_store.h"
#include "input/text_file.h"
#include "render/build_document.h"
#include "text/gtstr.h"
#include "testing/fake_platform.h"

namespace quarnel {
namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

// The lines of a file's bytes, ending at LF where `line_ends` says so, else
// at CR LF or a lone CR.
std::vector<std::string_view> ByteLines(std::string_view bytes, LineEnds line_ends) {
  const char end_mark = line_ends == LineEnds::Lf ? '\n' : '\r';
  std::vector<std::string_view> lines;
  size_t start = 0;
  while (start < bytes.size()) {
    size_t end = bytes.find(end_mark, start);
    if (end == std::string_view::npos) end = bytes.size();
    lines.push_back(bytes.substr(start, end - start));
    start = end + 1;
    if (end_mark == '\r' && start < bytes.size() && bytes[start] == '\n' &&
        end < bytes.size()) {
      ++start;
    }
  }
  return lines;
}

// Whether a line's bytes are valid text in `encoding`.
bool Decodes(CodePage& code_page, TextEncoding encoding, std::string_view line) {
  std::u16string scratch;
  return encoding == TextEncoding::CodePage ? code_page.Decode(line, &scratch)
                                            : IsStrictUtf8(line);
}

const TemplateStore& SmallTemplate() {
  static const TemplateStore* store = [] {
    auto* s = new TemplateStore;
    s->Add(u"body", u"[numstage]:[stagelist]");
    s->Add(u"stagelist", u"[stage] [title] [width]x[height]\r\n[lines]");
    s->Add(u"frame_line", u"[frame]\r\n");
    s->Add(u"frame_space", u"+");
    s->Add(u"frame_content", u"-");
    s->Add(u"data_line", u"[data]\r\n");
    s->Add(u"data_space", u"|");
    s->Add(u"data_content", u"[number][number*][row]");
    return s;
  }();
  return *store;
}

}  // namespace
}  // namespace quarnel

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace quarnel;
  static std::unique_ptr<CodePage> code_page = MakeSystemCodePage();
  std::string bytes(reinterpret_cast<const char*>(data), size);
  FakeFileSystem files;
  files.files[u"stages.dat"] = bytes;
  StageList stages;
  FileError error;
  LoadStatus status = LoadStageFile(files, *code_page, u"stages.dat", &stages, &error);
  Check(status != LoadStatus::NotFound);
  if (status == LoadStatus::Failed) {
    Check(error.kind == FileError::Kind::InvalidText ||
          error.kind == FileError::Kind::NulCharacter);
    TextEncoding encoding = DecideTextEncoding(bytes);
    std::string_view text_bytes = TextBytes(bytes, encoding);
    LineEnds line_ends = DecideLineEnds(text_bytes);
    Check(error.line >= 1 &&
          error.line <= LineNumberAt(text_bytes, text_bytes.size(), line_ends));
    if (error.kind == FileError::Kind::InvalidText) {
      // Only the code page, or UTF-8 behind a byte order mark, can fail; the
      // line named is the first that does not decode on its own.
      Check(encoding != TextEncoding::Utf8);
      std::vector<std::string_view> lines = ByteLines(text_bytes, line_ends);
      Check(error.line <= lines.size());
      for (size_t i = 0; i + 1 < error.line; ++i) {
        Check(Decodes(*code_page, encoding, lines[i]));
      }
      Check(!Decodes(*code_page, encoding, lines[error.line - 1]));
    }
    return 0;
  }
  TextFile file;
  Check(ReadTextFile(files, *code_page, u"stages.dat", &file, &error));
  size_t separators = 0;
  for (std::u16string_view line : file.lines) {
    if (!line.empty() && line.front() == u'*') ++separators;
  }
  // One record per separator, and one more for a last stage with a grid.
  Check(stages.size() == separators || stages.size() == separators + 1);
  for (const StageRecord& record : stages) {
    size_t nul = record.find(u'\0');
    Check(nul != std::u16string::npos);
    Check(record.find(u'\0', nul + 1) == std::u16string::npos);
    // A grid never starts with an empty row, and a title-less stage has none.
    std::u16string_view body = std::u16string_view(record).substr(nul + 1);
    Check(!body.starts_with(u"\r\n"));
    Check(nul != 0 || body.empty());
  }
  std::u16string page = BuildDocument(SmallTemplate(), stages, u"stages.dat");
  Check(page.starts_with(DecimalText(static_cast<long long>(stages.size())) + u":"));
  return 0;
}
