// Any bytes as template.dat: read through the real code page and parsed.
// Checks that a load either succeeds with every header's section stored, or
// fails with a reason and a line inside the file.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/fuzz_support.h"
#include "input/template_store.h"
#include "input/text_file.h"
#include "testing/fake_platform.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace quarnel;
  static std::unique_ptr<CodePage> code_page = MakeSystemCodePage();
  std::string bytes(reinterpret_cast<const char*>(data), size);
  FakeFileSystem files;
  files.files[u"/opt/quarnel/template.dat"] = bytes;
  TemplateStore store;
  FileError error;
  LoadStatus status = LoadTemplate(files, *code_page, u"/opt/quarnel", &store, &error);
  Check(status != LoadStatus::NotFound);
  if (status == LoadStatus::Failed) {
    Check(error.path == u"/opt/quarnel/template.dat");
    Check(error.line >= 1 && error.line <= LastLineOf(bytes));
    return 0;
  }
  Check(store.Find(u"body") != nullptr && store.Find(u"BODY") != nullptr);
  // Every header's section is there; a second header of a name would have
  // failed the load.
  TextFile file;
  Check(ReadTextFile(files, *code_page, u"/opt/quarnel/template.dat", &file, &error));
  size_t headers = 0;
  for (std::u16string_view line : file.lines) {
    if (line.empty() || line.front() != u'*') continue;
    ++headers;
    Check(store.Find(line.substr(1)) != nullptr);
  }
  Check(store.size() == headers + 1);
  return 0;
}
