#include "import/stage_import.h"

#include <memory>
#include <optional>
#include <vector>

#include "app/page_writer.h"
#include "import/import_messages.h"
#include "input/file_error.h"
#include "input/text_encoding.h"
#include "input/text_file.h"
#include "platform/utf8.h"
#include "puzzle/puzz_link.h"
#include "text/gtstr.h"

namespace quarnel {
namespace {

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'　'; }

// The line without blanks around it, and how many it had before.
std::u16string_view Trimmed(std::u16string_view line, size_t* leading) {
  size_t start = 0;
  while (start < line.size() && IsBlank(line[start])) ++start;
  size_t end = line.size();
  while (end > start && IsBlank(line[end - 1])) --end;
  *leading = start;
  return line.substr(start, end - start);
}

void AppendStage(std::u16string_view title, const Board& board, std::u16string* text) {
  *text += title;
  *text += u"\r\n";
  for (int row = 0; row < board.height; ++row) {
    for (int column = 0; column < board.width; ++column) {
      const int clue = board.Clue(row, column);
      text->push_back(clue == Board::kNoClue ? u' ' : static_cast<char16_t>(u'0' + clue));
    }
    *text += u"\r\n";
  }
}

std::u16string DefaultTitle(size_t number) {
  std::u16string title;
  std::u16string_view pattern = kDefaultTitleText;
  size_t at = pattern.find(u"{1}");
  title += pattern.substr(0, at);
  title += DecimalText(static_cast<long long>(number));
  title += pattern.substr(at + 3);
  return title;
}

void Fail(ImportError* error, size_t line, size_t column, std::u16string_view reason) {
  error->line = line;
  error->column = column;
  error->reason = reason;
}

}  // namespace

bool StageTextOfLines(std::span<const std::u16string_view> lines, std::u16string* stage_text,
                      size_t* stage_count, ImportError* error) {
  stage_text->clear();
  *stage_count = 0;
  if (IsPzprv3(lines)) {
    AddressReading reading = ReadPzprv3(lines);
    if (!reading.ok()) {
      Fail(error, reading.line, reading.column, AddressProblemText(reading.problem));
      return false;
    }
    AppendStage(DefaultTitle(1), reading.board, stage_text);
    *stage_count = 1;
    return true;
  }
  std::optional<size_t> title_line;  // from 0
  std::u16string_view title;
  for (size_t i = 0; i < lines.size(); ++i) {
    size_t leading = 0;
    std::u16string_view line = Trimmed(lines[i], &leading);
    if (line.empty()) continue;
    if (!LooksLikeAddress(line)) {
      if (title_line) {
        Fail(error, *title_line + 1, 0, kTitleWithoutAddressText);
        return false;
      }
      if (line.front() == u'*') {
        Fail(error, i + 1, leading + 1, kTitleSeparatorText);
        return false;
      }
      title_line = i;
      title = line;
      continue;
    }
    AddressReading reading = ReadAddress(line);
    if (!reading.ok()) {
      Fail(error, i + 1, leading + reading.column, AddressProblemText(reading.problem));
      return false;
    }
    if (*stage_count > 0) *stage_text += u"*\r\n";
    ++*stage_count;
    AppendStage(title_line ? std::u16string(title) : DefaultTitle(*stage_count), reading.board,
                stage_text);
    title_line.reset();
  }
  if (title_line) {
    Fail(error, *title_line + 1, 0, kTitleWithoutAddressText);
    return false;
  }
  if (*stage_count == 0) {
    Fail(error, 0, 0, kNoAddressText);
    return false;
  }
  return true;
}

bool StageFileOfBytes(CodePage& code_page, std::string_view input_bytes,
                      const std::u16string& input_name, std::string* stage_bytes,
                      size_t* stage_count, ImportError* error) {
  error->path = input_name;
  TextFile file;
  FileError file_error;
  if (!DecodeTextFile(code_page, input_bytes, input_name, &file, &file_error)) {
    Fail(error, file_error.line, 0, LineProblemText(file_error));
    return false;
  }
  std::u16string text;
  if (!StageTextOfLines(file.lines, &text, stage_count, error)) return false;
  *stage_bytes = kUtf8ByteOrderMark;
  *stage_bytes += EncodeUtf8(text);
  return true;
}

std::u16string ImportedPath(std::u16string_view input_path, PathStyle style) {
  return OutputPath(input_path, style, u".dat");
}

bool ImportFile(FileSystem& files, CodePage& code_page, const std::u16string& input_path,
                std::u16string* output_path, size_t* stage_count, ImportError* error) {
  error->path = input_path;
  std::string bytes;
  std::u16string reason;
  if (!files.IsOrdinaryFile(input_path)) {
    Fail(error, 0, 0, kInputNotFoundText);
    return false;
  }
  if (files.ReadFile(input_path, &bytes, &reason) != FileSystem::ReadStatus::Ok) {
    Fail(error, 0, 0, std::u16string(kCannotReadInputText) + u"（" + reason + u"）");
    return false;
  }
  std::string stage_bytes;
  if (!StageFileOfBytes(code_page, bytes, input_path, &stage_bytes, stage_count, error)) {
    return false;
  }
  *output_path = ImportedPath(input_path, files.Style());
  FileError file_error;
  std::unique_ptr<FileWriter> file = StartOutputFile(files, *output_path, input_path, &file_error);
  if (file && !(file->Write(stage_bytes, &reason) && file->Commit(&reason))) {
    file_error = {FileError::Kind::CannotWrite, *output_path, 0, reason};
    file.reset();
  }
  if (!file) {
    Fail(error, 0, 0,
         file_error.kind == FileError::Kind::OutputIsInput
             ? std::u16string(kOutputIsInputText) + *output_path + kOutputIsInputSuffix
             : FatalErrorText(file_error));
    return false;
  }
  return true;
}

std::u16string ImportErrorLine(const ImportError& error) {
  std::u16string line = error.path;
  if (error.line != 0) line += u":" + DecimalText(static_cast<long long>(error.line));
  if (error.line != 0 && error.column != 0) {
    line += u":" + DecimalText(static_cast<long long>(error.column));
  }
  return line + u": エラー: " + error.reason;
}

std::u16string ImportErrorBoxText(const ImportError& error) {
  std::u16string text = error.path;
  if (error.line != 0) text += u" の " + DecimalText(static_cast<long long>(error.line)) + u" 行目";
  if (error.line != 0 && error.column != 0) {
    text += u" " + DecimalText(static_cast<long long>(error.column)) + u" 文字目";
  }
  return text + u": " + error.reason;
}

}  // namespace quarnel
