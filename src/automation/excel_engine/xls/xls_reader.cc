#include "automation/excel_engine/xls/xls_reader.h"

#include "automation/excel_engine/xls/biff_reader.h"
#include "automation/excel_engine/xls/cfb_format.h"
#include "automation/excel_engine/xls/cfb_reader.h"
#include "base/file.h"

namespace mirune::xls {
namespace {

constexpr std::string_view kSaveAsXls =
    "Excel で「Excel 97-2003 ブック」(.xls) として保存して下さい。";

bool StartsWith(std::string_view bytes, std::string_view prefix) {
  return bytes.substr(0, prefix.size()) == prefix;
}

// What a file that is no compound file is, as far as its first bytes tell.
std::string NotCompoundCause(std::string_view file) {
  if (StartsWith(file, "PK\x03\x04")) {
    // An OpenDocument package stores its uncompressed "mimetype" member first.
    if (file.size() >= 38 && file.substr(30, 8) == "mimetype" &&
        file.substr(38, 60).find("opendocument.spreadsheet") != std::string_view::npos) {
      return "は OpenDocument スプレッドシート (.ods) です。" + std::string(kSaveAsXls);
    }
    return "は .xlsx 形式です。" + std::string(kSaveAsXls);
  }
  // BIFF2 to BIFF4 workbooks are bare record streams: a BOF record first.
  if (file.size() >= 2 && (file[1] == '\x00' || file[1] == '\x02' || file[1] == '\x04') &&
      (file[0] == '\x09')) {
    return "は Excel 4.0 以前の形式のブックです。" + std::string(kSaveAsXls);
  }
  const size_t start = StartsWith(file, "\xEF\xBB\xBF") ? 3 : 0;
  const std::string_view head = file.substr(start, 64);
  if (StartsWith(head, "<?xml") || StartsWith(head, "<html") || StartsWith(head, "<HTML") ||
      StartsWith(head, "<!DOCTYPE")) {
    return "は XML または HTML のファイルで、Excel 97-2003 ブック (.xls) ではありません。" +
           std::string(kSaveAsXls);
  }
  return "は Excel 97-2003 ブック (.xls) ではありません（複合ファイルの署名がありません）。";
}

Error Message(std::string_view display_name, const Error& cause) {
  return Error{cause.code, "「" + std::string(display_name) + "」" + cause.message};
}

}  // namespace

Result<WorkbookModel> ParseXlsBytes(std::string_view file, std::string_view display_name) {
  if (file.empty()) {
    return Error{ErrorCode::kFormatError,
                 "「" + std::string(display_name) + "」は空のファイルです（0 バイト）。"};
  }
  CompoundFileReader cfb(file);
  if (Status opened = cfb.Open(); !opened.ok()) {
    // The first half of the signature tells a damaged compound file from something else.
    if (file.substr(0, 4) != cfb::kSignature.substr(0, 4)) {
      return Error{ErrorCode::kFormatError,
                   "「" + std::string(display_name) + "」" + NotCompoundCause(file)};
    }
    return Message(display_name, opened.error());
  }
  Result<std::string> stream = cfb.Stream(u"Workbook");
  if (!stream.ok()) {
    if (stream.code() != ErrorCode::kNotFound) return Message(display_name, stream.error());
    // Excel 5.0 and 95 named the stream "Book".
    if (cfb.Stream(u"Book").ok()) {
      return Error{ErrorCode::kFormatError, "「" + std::string(display_name) +
                                                "」は Excel 5.0/95 の形式のブックです。" +
                                                std::string(kSaveAsXls)};
    }
    return Error{ErrorCode::kFormatError,
                 "「" + std::string(display_name) +
                     "」は複合ファイルですが Excel のブックのデータ（Workbook ストリーム）を"
                     "含んでいません（Word など他のアプリケーションのファイルです）。"};
  }
  Result<WorkbookModel> model = ParseWorkbookStream(*stream);
  if (!model.ok()) return Message(display_name, model.error());
  return model;
}

Result<WorkbookModel> ReadXlsFile(const std::string& path) {
  if (!FileExists(path)) {
    if (FolderExists(path)) {
      return Error{ErrorCode::kInvalidArgument, "「" + path + "」はフォルダーです。"};
    }
    return Error{ErrorCode::kNotFound, "「" + path + "」が見つかりません。"};
  }
  // What the file is, from its first bytes, before it is read whole: a large file of another
  // kind is never read into memory.
  Result<std::string> head = ReadFileHead(path, 512);
  if (head.ok() && !head->empty() && head->substr(0, 4) != cfb::kSignature.substr(0, 4)) {
    return Error{ErrorCode::kFormatError, "「" + path + "」" + NotCompoundCause(*head)};
  }
  Result<std::string> bytes = ReadFileBytes(path, kMaxXlsFileBytes);
  if (bytes.code() == ErrorCode::kOverflow) {
    return Error{ErrorCode::kOverflow, "「" + path + "」は大きすぎるため読み込みません（" +
                                           bytes.message().substr(bytes.message().rfind("（") +
                                                                  std::string("（").size())};
  }
  if (!bytes.ok()) {
    return Error{bytes.code(), "「" + path +
                                   "」を読み込めません（ファイルを開けないか、読み取りが途中で失敗"
                                   "しました。読み取りの権限と、ほかのアプリケーションがファイルを"
                                   "使用していないかを確かめて下さい）。"};
  }
  return ParseXlsBytes(*bytes, path);
}

}  // namespace mirune::xls
