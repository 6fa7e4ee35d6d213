#include "automation/excel_engine/xls/biff_reader.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <vector>

#include "automation/excel_address.h"
#include "automation/excel_engine/xls/biff_records.h"
#include "automation/excel_engine/xls/biff_stream.h"
#include "base/little_endian.h"
#include "base/utf.h"

namespace mirune::xls {
namespace {

// Record types the reader needs beyond those the writer writes.
constexpr uint16_t kFilePass = 0x002F;
constexpr uint16_t kLabel = 0x0204;
constexpr uint16_t kRString = 0x00D6;
constexpr uint16_t kMulRk = 0x00BD;
constexpr uint16_t kBoolErr = 0x0205;
constexpr uint16_t kFormula = 0x0006;
constexpr uint16_t kString = 0x0207;
constexpr uint16_t kShrFmla = 0x04BC;
constexpr uint16_t kArray = 0x0221;
constexpr uint16_t kTable = 0x0236;

// Cell records of Excel 2 to 4. A BIFF8 sheet holding one has a cell this reader cannot
// read; the cell is named rather than dropped.
bool IsOldCellRecord(uint16_t type) {
  return type == 0x0002 || type == 0x0003 || type == 0x0004 || type == 0x0005 || type == 0x0206 ||
         type == 0x0406;
}

Error WorkbookDamaged(const std::string& what) {
  return Error{ErrorCode::kFormatError, "のブックの記録が壊れています（" + what + "）。"};
}

std::string U8(const std::u16string& s) { return Utf16ToUtf8(s); }

struct SheetEntry {
  std::string name;
  uint32_t offset;
  bool worksheet;  // macro sheets, charts and modules are checked but not read
};

// Where the cells of a sheet lie: what DIMENSIONS declares and what the cell records use.
struct Extent {
  // Cells that already have a record: a second record for one cell is damage (other
  // readers free the first one's text as if it were still there).
  std::vector<uint64_t> seen = std::vector<uint64_t>(size_t{kExcelMaxRows} * kExcelMaxColumns / 64);
  bool dimensions = false;
  uint32_t dim_first_row = 0, dim_end_row = 0;
  uint32_t dim_first_column = 0, dim_end_column = 0;
  bool any_cell = false;
  uint32_t first_row = 0, last_row = 0, first_column = 0, last_column = 0;

  // Precondition: the cell lies inside the sheet.
  bool Seen(uint32_t row, uint32_t column) {
    const size_t bit = size_t{row} * kExcelMaxColumns + column;
    const bool was = (seen[bit / 64] >> (bit % 64)) & 1;
    seen[bit / 64] |= uint64_t{1} << (bit % 64);
    return was;
  }
  void Add(uint32_t row, uint32_t first, uint32_t last) {
    if (!any_cell) {
      any_cell = true;
      first_row = last_row = row;
      first_column = first;
      last_column = last;
      return;
    }
    first_row = std::min(first_row, row);
    last_row = std::max(last_row, row);
    first_column = std::min(first_column, first);
    last_column = std::max(last_column, last);
  }
  bool CellsOutsideDimensions() const {
    return dimensions && any_cell &&
           (first_row < dim_first_row || last_row >= dim_end_row ||
            first_column < dim_first_column || last_column >= dim_end_column);
  }
};

// The sheet being read and where its records stand.
struct SheetContext {
  const std::string& name;
  ModelSheet& sheet;
  RecordCursor& cursor;
  Extent extent;
};

class BiffParser {
 public:
  explicit BiffParser(std::string_view stream) : stream_(stream) {}

  Result<WorkbookModel> Run() {
    MIRUNE_RETURN_IF_ERROR(Globals());
    // Every substream is checked, also those of sheets that are not read: other readers
    // walk them all.
    for (const SheetEntry& entry : sheets_) {
      if (!entry.worksheet) {
        ModelSheet scratch;
        MIRUNE_RETURN_IF_ERROR(Sheet(entry, scratch));
        continue;
      }
      model_.sheets.emplace_back();
      model_.sheets.back().name = entry.name;
      MIRUNE_RETURN_IF_ERROR(Sheet(entry, model_.sheets.back()));
    }
    if (model_.sheets.empty()) {
      return Error{ErrorCode::kFormatError, "にワークシートが一枚もありません。"};
    }
    return std::move(model_);
  }

 private:
  using GlobalHandler = Status (BiffParser::*)(const Record&, RecordCursor&);
  using SheetHandler = Status (BiffParser::*)(const Record&, SheetContext&);

  // --- Workbook globals ---

  Status Globals() {
    RecordCursor cursor(stream_, 0);
    Record r;
    MIRUNE_ASSIGN_OR_RETURN(bool more, cursor.Next(r));
    if (!more || r.type != record::kBof || r.data.size() < 4) {
      return WorkbookDamaged("先頭に BOF 記録がありません");
    }
    if (ReadLe16(r.data, 0) != 0x0600) {
      return Error{ErrorCode::kFormatError,
                   "は Excel 5.0/95 以前の形式のブックです。Excel で「Excel 97-2003 ブック」"
                   "(.xls) として保存して下さい。"};
    }
    for (;;) {
      Result<bool> next = cursor.Next(r);
      if (!next.ok()) return WorkbookDamaged(next.message());
      if (!*next) return WorkbookDamaged("ブック全体の情報が EOF 記録で終わっていません");
      if (r.type == record::kEof) return Status::Ok();
      const GlobalHandler handler = GlobalHandlerFor(r.type);
      if (handler != nullptr) MIRUNE_RETURN_IF_ERROR((this->*handler)(r, cursor));
    }
  }

  static GlobalHandler GlobalHandlerFor(uint16_t type) {
    switch (type) {
      case kFilePass:
        return &BiffParser::FilePass;
      case record::kFont:
        return &BiffParser::Font;
      case record::kFormat:
        return &BiffParser::Format;
      case record::kXf:
        return &BiffParser::Xf;
      case record::kBoundSheet:
        return &BiffParser::BoundSheet;
      case record::kSst:
        return &BiffParser::SharedStrings;
      default:
        return nullptr;
    }
  }

  Status FilePass(const Record&, RecordCursor&) {
    return Error{ErrorCode::kFormatError,
                 "はパスワードで保護（暗号化）されています。Excel でパスワードを解除して保存し"
                 "直して下さい。"};
  }

  // FONT: height, ..., name as a short string at 14.
  Status Font(const Record& r, RecordCursor&) {
    Result<std::u16string> name = ShortStringAt(r.data, 14);
    if (!name.ok()) return WorkbookDamaged("フォント (FONT): " + name.message());
    fonts_.push_back({U8(*name), ReadLe16(r.data, 0)});
    return Status::Ok();
  }

  Status Format(const Record& r, RecordCursor&) {
    Result<std::u16string> code = PlainStringAt(r.data, 2);
    if (!code.ok()) return WorkbookDamaged("表示形式 (FORMAT): " + code.message());
    formats_[ReadLe16(r.data, 0)] = U8(*code);
    return Status::Ok();
  }

  Status Xf(const Record& r, RecordCursor&) {
    if (r.data.size() < 20) return WorkbookDamaged("書式 (XF) の記録が短すぎます");
    xfs_.push_back({ReadLe16(r.data, 0), ReadLe16(r.data, 2), static_cast<uint8_t>(r.data[6])});
    return Status::Ok();
  }

  Status BoundSheet(const Record& r, RecordCursor&) {
    Result<std::u16string> name = ShortStringAt(r.data, 6);
    if (r.data.size() < 8 || !name.ok()) return WorkbookDamaged("シートの一覧の名前が切れています");
    const uint8_t kind = static_cast<uint8_t>(r.data[5]);
    // 0 worksheet, 1 macro sheet, 2 chart, 6 module; visibility 0 to 2.
    if ((kind != 0 && kind != 1 && kind != 2 && kind != 6) || static_cast<uint8_t>(r.data[4]) > 2) {
      return WorkbookDamaged("シートの一覧にない種類のシートがあります");
    }
    sheets_.push_back({U8(*name), ReadLe32(r.data, 0), kind == 0});
    return Status::Ok();
  }

  // SST and its CONTINUE records.
  Status SharedStrings(const Record& r, RecordCursor& cursor) {
    ContinuedReader reader(cursor.WithContinues(r));
    Result<uint32_t> total = reader.U32();
    Result<uint32_t> unique = total.ok() ? reader.U32() : total;
    if (!unique.ok()) return WorkbookDamaged("共有文字列表 (SST) が短すぎます");
    // Each string takes at least 3 bytes: a count past that is damage, not a reason to
    // reserve memory.
    for (uint32_t i = 0; i < *unique && !reader.AtEnd(); ++i) {
      Result<std::u16string> s = reader.RichString();
      if (!s.ok()) {
        return WorkbookDamaged("共有文字列表 (SST) の " + std::to_string(i + 1) +
                               " 番目の文字列: " + s.message());
      }
      strings_.push_back(U8(*s));
    }
    model_.ReserveStrings(strings_.size());
    return Status::Ok();
  }

  // --- Formats ---

  // The engine's style for a format record (checked to exist by CheckCellRecord).
  uint16_t StyleOf(uint16_t xf) {
    if (xf >= xfs_.size()) return 0;
    if (xf_styles_.size() < xfs_.size()) xf_styles_.resize(xfs_.size(), -1);
    if (xf_styles_[xf] >= 0) return static_cast<uint16_t>(xf_styles_[xf]);
    const XfRecord& x = xfs_[xf];
    CellFormat f = StandardFormat();
    // Font 4 does not exist in the format: the fifth FONT record is font 5.
    const size_t font = x.font < 4 ? x.font : x.font - 1u;
    if (x.font != 4 && font < fonts_.size() && !fonts_[font].first.empty()) {
      f.font_name = fonts_[font].first;
      f.font_height_twips = fonts_[font].second;
    }
    f.number_format = NumberFormatCode(x.format);
    static const HorizontalAlignment kHorizontal[] = {
        HorizontalAlignment::kGeneral, HorizontalAlignment::kLeft, HorizontalAlignment::kCenter,
        HorizontalAlignment::kRight};
    static const VerticalAlignment kVertical[] = {
        VerticalAlignment::kTop, VerticalAlignment::kCenter, VerticalAlignment::kBottom};
    const int horizontal = x.alignment & 0x07;
    const int vertical = (x.alignment >> 4) & 0x07;
    f.horizontal = horizontal < 4 ? kHorizontal[horizontal] : HorizontalAlignment::kGeneral;
    f.vertical = vertical < 3 ? kVertical[vertical] : VerticalAlignment::kBottom;
    f.wrap_text = (x.alignment & 0x08) != 0;
    const uint16_t style = model_.styles.Intern(f);
    xf_styles_[xf] = style;
    return style;
  }

  std::string NumberFormatCode(uint16_t format) const {
    auto it = formats_.find(format);
    if (it != formats_.end()) return it->second;
    switch (format) {
      case 1:
        return "0";
      case 2:
        return "0.00";
      case 3:
        return "#,##0";
      case 4:
        return "#,##0.00";
      case 9:
        return "0%";
      case 10:
        return "0.00%";
      case 49:
        return "@";
      default:
        return std::string(kNumberFormatGeneral);
    }
  }

  // --- Sheets ---

  static Error SheetDamaged(const SheetContext& ctx, const std::string& what) {
    return Error{ErrorCode::kFormatError,
                 "のシート「" + ctx.name + "」の記録が壊れています（" + what + "）。"};
  }
  static Error CellError(const SheetContext& ctx, uint32_t row, uint32_t column,
                         const std::string& what) {
    return Error{ErrorCode::kFormatError, "のシート「" + ctx.name + "」のセル " +
                                              CellName(row, column) + " を読めません（" + what +
                                              "）。"};
  }

  Status Sheet(const SheetEntry& entry, ModelSheet& sheet) {
    RecordCursor cursor(stream_, entry.offset);
    SheetContext ctx{entry.name, sheet, cursor, {}};
    Record r;
    Result<bool> more = cursor.Next(r);
    if (!more.ok() || !*more || r.type != record::kBof) {
      return SheetDamaged(ctx, "シートの始まり (BOF) が見つかりません");
    }
    int depth = 1;  // embedded substreams (charts) have their own BOF/EOF
    for (;;) {
      more = cursor.Next(r);
      if (!more.ok()) return SheetDamaged(ctx, more.message());
      if (!*more) return SheetDamaged(ctx, "シートが EOF 記録で終わっていません");
      if (r.type == record::kBof) {
        ++depth;
        continue;
      }
      if (r.type == record::kEof) {
        if (--depth == 0) break;
        continue;
      }
      if (depth > 1) continue;
      MIRUNE_RETURN_IF_ERROR(CheckCellRecord(r, ctx));
      const SheetHandler handler = SheetHandlerFor(r.type);
      if (handler != nullptr) MIRUNE_RETURN_IF_ERROR((this->*handler)(r, ctx));
    }
    // Other readers size their cell tables by DIMENSIONS and then write every cell record
    // into them: a cell outside the declared extent is damage.
    if (ctx.extent.CellsOutsideDimensions()) {
      return SheetDamaged(ctx, "シートの大きさ (DIMENSIONS) の外にセルがあります");
    }
    return Status::Ok();
  }

  static SheetHandler SheetHandlerFor(uint16_t type) {
    switch (type) {
      case record::kDimensions:
        return &BiffParser::Dimensions;
      case record::kLabelSst:
        return &BiffParser::LabelSst;
      case kLabel:
      case kRString:
        return &BiffParser::Label;
      case record::kNumber:
        return &BiffParser::Number;
      case record::kRk:
        return &BiffParser::Rk;
      case kMulRk:
        return &BiffParser::MulRk;
      case record::kBlank:
        return &BiffParser::Blank;
      case record::kMulBlank:
        return &BiffParser::MulBlank;
      case record::kColInfo:
        return &BiffParser::ColInfo;
      case kBoolErr:
        return &BiffParser::BoolErr;
      case kFormula:
        return &BiffParser::Formula;
      default:
        return nullptr;
    }
  }

  // The cell, created with its column's style (and the cells before it) when missing.
  // Precondition: the cell lies inside the sheet (CheckCellRecord).
  static ModelCell& CellAt(ModelSheet& sheet, uint32_t row, uint32_t column) {
    ModelRow& r = sheet.rows.Ensure(row);
    while (r.cells.size() <= column) {
      ModelCell blank;
      blank.style = sheet.column_styles[r.cells.size()];
      r.cells.push_back(blank);
    }
    return r.cells[column];
  }

  // The value of the one-cell record `d` (row, column, format at 0, 2, 4).
  Status Put(SheetContext& ctx, std::string_view d, const CellValue& value) {
    CellAt(ctx.sheet, ReadLe16(d, 0), ReadLe16(d, 2)) =
        model_.MakeCell(value, StyleOf(ReadLe16(d, 4)));
    return Status::Ok();
  }

  Status Dimensions(const Record& r, SheetContext& ctx) {
    Extent& e = ctx.extent;
    if (r.data.size() < 12 || e.dimensions) return SheetDamaged(ctx, "DIMENSIONS 記録が不正です");
    e.dimensions = true;
    e.dim_first_row = ReadLe32(r.data, 0);
    e.dim_end_row = ReadLe32(r.data, 4);
    e.dim_first_column = ReadLe16(r.data, 8);
    e.dim_end_column = ReadLe16(r.data, 10);
    if (e.dim_first_row > e.dim_end_row || e.dim_end_row > static_cast<uint32_t>(kExcelMaxRows) ||
        e.dim_first_column > e.dim_end_column || e.dim_end_column > kExcelMaxColumns) {
      return SheetDamaged(ctx, "DIMENSIONS 記録が不正です");
    }
    return Status::Ok();
  }

  Status LabelSst(const Record& r, SheetContext& ctx) {
    const std::string_view d = r.data;
    if (d.size() < 10) return CellError(ctx, ReadLe16(d, 0), ReadLe16(d, 2), "記録が短すぎます");
    const uint32_t index = ReadLe32(d, 6);
    if (index >= strings_.size()) {
      return CellError(ctx, ReadLe16(d, 0), ReadLe16(d, 2),
                       "共有文字列 " + std::to_string(index) + " 番がありません");
    }
    // Each shared string enters the workbook's string table once, not once per cell.
    if (string_refs_.size() < strings_.size()) string_refs_.resize(strings_.size(), -1);
    if (string_refs_[index] < 0) {
      string_refs_[index] =
          strings_[index].empty() ? kNoText : model_.InternString(strings_[index]);
    }
    ModelCell& cell = CellAt(ctx.sheet, ReadLe16(d, 0), ReadLe16(d, 2));
    cell = ModelCell{};
    cell.style = StyleOf(ReadLe16(d, 4));
    if (string_refs_[index] != kNoText) {
      cell.type = CellType::kText;
      cell.ref = static_cast<uint32_t>(string_refs_[index]);
    }
    return Status::Ok();
  }

  // LABEL and RSTRING: the text inside the record (RSTRING's runs follow it).
  Status Label(const Record& r, SheetContext& ctx) {
    Result<std::u16string> text = PlainStringAt(r.data, 6);
    if (!text.ok()) return CellError(ctx, ReadLe16(r.data, 0), ReadLe16(r.data, 2), text.message());
    return Put(ctx, r.data, CellValue::Text(U8(*text)));
  }

  Status Number(const Record& r, SheetContext& ctx) {
    if (r.data.size() < 14) {
      return CellError(ctx, ReadLe16(r.data, 0), ReadLe16(r.data, 2), "記録が短すぎます");
    }
    return Put(ctx, r.data, CellValue::Number(ReadLeDouble(r.data, 6)));
  }

  Status Rk(const Record& r, SheetContext& ctx) {
    if (r.data.size() < 10) {
      return CellError(ctx, ReadLe16(r.data, 0), ReadLe16(r.data, 2), "記録が短すぎます");
    }
    return Put(ctx, r.data, CellValue::Number(DecodeRk(ReadLe32(r.data, 6))));
  }

  // MULRK: row, first column, (format, RK) pairs, last column (shape checked).
  Status MulRk(const Record& r, SheetContext& ctx) {
    const std::string_view d = r.data;
    const uint16_t row = ReadLe16(d, 0);
    const uint16_t first = ReadLe16(d, 2);
    for (size_t k = 0; k < (d.size() - 6) / 6; ++k) {
      CellAt(ctx.sheet, row, first + static_cast<uint32_t>(k)) = model_.MakeCell(
          CellValue::Number(DecodeRk(ReadLe32(d, 6 + 6 * k))), StyleOf(ReadLe16(d, 4 + 6 * k)));
    }
    return Status::Ok();
  }

  // BLANK: a formatted empty cell.
  Status Blank(const Record& r, SheetContext& ctx) {
    CellAt(ctx.sheet, ReadLe16(r.data, 0), ReadLe16(r.data, 2)).style =
        StyleOf(ReadLe16(r.data, 4));
    return Status::Ok();
  }

  // MULBLANK: row, first column, formats, last column (shape checked).
  Status MulBlank(const Record& r, SheetContext& ctx) {
    const std::string_view d = r.data;
    for (size_t k = 0; k < (d.size() - 6) / 2; ++k) {
      CellAt(ctx.sheet, ReadLe16(d, 0), ReadLe16(d, 2) + static_cast<uint32_t>(k)).style =
          StyleOf(ReadLe16(d, 4 + 2 * k));
    }
    return Status::Ok();
  }

  // COLINFO: columns, width in 1/256 characters, format, options.
  Status ColInfo(const Record& r, SheetContext& ctx) {
    const std::string_view d = r.data;
    if (d.size() < 10) return SheetDamaged(ctx, "列の情報 (COLINFO) が短すぎます");
    const uint16_t first = ReadLe16(d, 0);
    const uint16_t last = ReadLe16(d, 2);
    if (first > last || first >= kExcelMaxColumns) {
      return SheetDamaged(ctx, "列の情報 (COLINFO) の列の範囲が不正です");
    }
    const uint16_t xf = ReadLe16(d, 6);
    if (xf >= xfs_.size()) return SheetDamaged(ctx, "列の情報 (COLINFO) の書式がありません");
    for (uint32_t c = first; c <= last && c < static_cast<uint32_t>(kExcelMaxColumns); ++c) {
      // A width the user did not set is the standard width.
      if (ReadLe16(d, 8) & 0x0002) ctx.sheet.widths[c] = ReadLe16(d, 4) / 256.0;
      ctx.sheet.column_styles[c] = StyleOf(xf);
    }
    return Status::Ok();
  }

  // BOOLERR: TRUE/FALSE, or an error value, as the text Excel shows.
  Status BoolErr(const Record& r, SheetContext& ctx) {
    const std::string_view d = r.data;
    const uint32_t row = ReadLe16(d, 0), column = ReadLe16(d, 2);
    if (d.size() < 8) return CellError(ctx, row, column, "記録が短すぎます");
    const uint8_t value = static_cast<uint8_t>(d[6]);
    if (d[7] == 0) return Put(ctx, d, CellValue::Text(value ? "TRUE" : "FALSE"));
    const std::string_view error = ErrorValueText(value);
    if (error.empty()) return CellError(ctx, row, column, "不明なエラー値です");
    return Put(ctx, d, CellValue::Text(std::string(error)));
  }

  // FORMULA: the result Excel cached when it last calculated. A text result is in the STRING
  // record that follows (after SHRFMLA, ARRAY or TABLE when the formula has one), continued
  // in CONTINUE records when long.
  Status Formula(const Record& r, SheetContext& ctx) {
    const std::string_view d = r.data;
    const uint32_t row = ReadLe16(d, 0), column = ReadLe16(d, 2);
    if (d.size() < 20) return CellError(ctx, row, column, "数式の記録が短すぎます");
    if (ReadLe16(d, 12) != 0xFFFF) return Put(ctx, d, CellValue::Number(ReadLeDouble(d, 6)));
    switch (static_cast<uint8_t>(d[6])) {
      case 0: {  // text
        while (ctx.cursor.PeekType() == kShrFmla || ctx.cursor.PeekType() == kArray ||
               ctx.cursor.PeekType() == kTable) {
          Record skipped;
          Result<bool> more = ctx.cursor.Next(skipped);
          if (!more.ok()) return CellError(ctx, row, column, more.message());
        }
        if (ctx.cursor.PeekType() != kString) {
          return CellError(ctx, row, column, "数式の文字列の結果 (STRING 記録) がありません");
        }
        Record string_record;
        Result<bool> more = ctx.cursor.Next(string_record);
        if (!more.ok()) return CellError(ctx, row, column, more.message());
        Result<std::u16string> text = StringRecordText(ctx.cursor.WithContinues(string_record));
        if (!text.ok()) {
          return CellError(ctx, row, column, "数式の文字列の結果: " + text.message());
        }
        return Put(ctx, d, CellValue::Text(U8(*text)));
      }
      case 1:  // TRUE or FALSE
        return Put(ctx, d, CellValue::Text(d[8] ? "TRUE" : "FALSE"));
      case 2: {  // error value
        const std::string_view error = ErrorValueText(static_cast<uint8_t>(d[8]));
        if (error.empty()) return CellError(ctx, row, column, "数式の結果が不明なエラー値です");
        return Put(ctx, d, CellValue::Text(std::string(error)));
      }
      case 3:  // empty text
        return Put(ctx, d, CellValue::Empty());
      default:
        return CellError(ctx, row, column, "数式の結果の種類が不明です");
    }
  }

  // The shape of every cell record (blank ones too): row, columns and format indexes that
  // agree with the record's size and point at existing formats, one record per cell.
  Status CheckCellRecord(const Record& r, SheetContext& ctx) const {
    const std::string_view d = r.data;
    switch (r.type) {
      case record::kLabelSst:
      case kLabel:
      case kRString:
      case record::kNumber:
      case record::kRk:
      case kBoolErr:
      case kFormula:
      case record::kBlank:
        return CheckCell(d, ReadLe16At(d, 2).value_or(0), ctx);
      case record::kMulBlank:
      case kMulRk:
        return CheckMultipleCells(r, ctx);
      default:
        if (IsOldCellRecord(r.type)) {
          if (d.size() < 4) return SheetDamaged(ctx, "セルの記録が短すぎます");
          return CellError(ctx, ReadLe16(d, 0), ReadLe16(d, 2), "Excel 4.0 以前の形式のセルです");
        }
        return Status::Ok();
    }
  }

  // A record of the cells `first` to `last` of the row at 0 (format at 4 for a one-cell one).
  Status CheckCell(std::string_view d, uint32_t last, SheetContext& ctx) const {
    if (d.size() < 6) return SheetDamaged(ctx, "セルの記録が短すぎます");
    const uint32_t row = ReadLe16(d, 0), first = ReadLe16(d, 2);
    if (row >= static_cast<uint32_t>(kExcelMaxRows) ||
        last >= static_cast<uint32_t>(kExcelMaxColumns)) {
      return SheetDamaged(ctx, "シートの外のセル (" + std::to_string(row + 1) + " 行 " +
                                   std::to_string(first + 1) + " 列) があります");
    }
    if (last == first && ReadLe16(d, 4) >= xfs_.size()) {
      return CellError(ctx, row, first, "書式 (XF) の番号が範囲外です");
    }
    for (uint32_t c = first; c <= last; ++c) {
      if (ctx.extent.Seen(row, c)) return CellError(ctx, row, c, "同じセルの記録が二つあります");
    }
    ctx.extent.Add(row, first, last);
    return Status::Ok();
  }

  // MULBLANK: row, first column, n format indexes, last column; MULRK: row, first column,
  // n (format index, RK), last column.
  Status CheckMultipleCells(const Record& r, SheetContext& ctx) const {
    const std::string_view d = r.data;
    const size_t item = r.type == record::kMulBlank ? 2 : 6;
    if (d.size() < 6 + item || (d.size() - 6) % item != 0) {
      return SheetDamaged(ctx, "複数セルの記録の長さが不正です");
    }
    const size_t count = (d.size() - 6) / item;
    const uint32_t row = ReadLe16(d, 0), first = ReadLe16(d, 2);
    const uint32_t last = ReadLe16(d, d.size() - 2);
    if (last < first || last - first + 1 != count) {
      return CellError(ctx, row, first, "複数セルの記録の最後の列が長さと合いません");
    }
    for (size_t k = 0; k < count; ++k) {
      if (ReadLe16(d, 4 + item * k) >= xfs_.size()) {
        return CellError(ctx, row, first + static_cast<uint32_t>(k),
                         "書式 (XF) の番号が範囲外です");
      }
    }
    return CheckCell(d, last, ctx);
  }

  struct XfRecord {
    uint16_t font;
    uint16_t format;
    uint8_t alignment;
  };

  std::string_view stream_;
  std::vector<std::pair<std::string, int>> fonts_;  // name, height in twips
  std::map<uint16_t, std::string> formats_;
  std::vector<XfRecord> xfs_;
  std::vector<int32_t> xf_styles_;  // style of each XF once made; -1 before
  WorkbookModel model_;
  std::vector<SheetEntry> sheets_;
  std::vector<std::string> strings_;
  // The workbook string of each shared string once a cell used it; -1 before.
  static constexpr int64_t kNoText = -2;
  std::vector<int64_t> string_refs_;
};

}  // namespace

std::string CellName(uint32_t row, uint32_t column) {
  return CellAddress(static_cast<int>(row) + 1, static_cast<int>(column) + 1);
}

Result<WorkbookModel> ParseWorkbookStream(std::string_view stream) {
  return BiffParser(stream).Run();
}

}  // namespace mirune::xls
