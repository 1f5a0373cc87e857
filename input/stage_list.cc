#include "input/stage_list.h"

#include "input/text_file.h"
#include "text/width.h"

namespace quarnel {

void ParseStages(std::span<const std::u16string_view> lines, StageList* stages) {
  std::u16string title;
  std::u16string body;
  auto complete = [&]() {
    StageRecord record;
    record.reserve(title.size() + 1 + body.size());
    record += title;
    record += u'\0';
    record += body;
    stages->push_back(std::move(record));
    title.clear();
    body.clear();
  };
  for (std::u16string_view line : lines) {
    if (!line.empty() && line.front() == u'*') {
      complete();
    } else if (title.empty()) {
      title = line;
    } else {
      if (!body.empty()) body += u"\r\n";
      AppendGridCells(line, &body);
    }
  }
  if (!body.empty()) complete();
}

LoadStatus LoadStageFile(FileSystem& files, CodePage& code_page,
                         const std::u16string& path, StageList* stages,
                         FileError* error) {
  if (!files.IsOrdinaryFile(path)) return LoadStatus::NotFound;
  TextFile file;
  if (!ReadTextFile(files, code_page, path, &file, error)) return LoadStatus::Failed;
  ParseStages(file.lines, stages);
  return LoadStatus::Loaded;
}

}  // namespace quarnel
