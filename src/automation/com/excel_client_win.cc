#include "automation/com/excel_client_win.h"

#include <map>
#include <optional>
#include <utility>
#include <vector>

#include "automation/com/activation_win.h"
#include "automation/com/variant_grid_win.h"
#include "automation/excel_address.h"
#include "base/file.h"

namespace mirune::com {
namespace {

// Excel's constants, by the values its type library gives them.
constexpr int32_t kXlUp = -4162;
constexpr int32_t kXlToRight = -4161;
constexpr int32_t kXlValues = -4163;
constexpr int32_t kXlPart = 2;
constexpr int32_t kXlByRows = 1;
constexpr int32_t kXlPrevious = 2;
constexpr int32_t kXlAscending = 1;
constexpr int32_t kXlNo = 2;  // no header row
constexpr int32_t kXlTopToBottom = 1;
constexpr int32_t kXlPinYin = 1;  // phonetic order
constexpr int32_t kXlWorkbookNormal = -4143;
constexpr int32_t kXlHAlignGeneral = 1;
constexpr int32_t kXlHAlignLeft = -4131;
constexpr int32_t kXlHAlignCenter = -4108;
constexpr int32_t kXlHAlignRight = -4152;
constexpr int32_t kXlVAlignTop = -4160;
constexpr int32_t kXlVAlignCenter = -4108;
constexpr int32_t kXlVAlignBottom = -4107;

std::span<const UniqueVariant> One(const UniqueVariant& value) { return {&value, 1}; }

NamedArg Named(const char* name, UniqueVariant value) { return NamedArg{name, std::move(value)}; }

// A value as the client writes it. Text goes with Excel's text prefix "'" so that Excel
// keeps it as typed: without it, "0012" would become the number 12, "1-3" a date and "=x" a
// formula.
Result<UniqueVariant> VariantOfCell(const CellValue& value) {
  switch (value.type) {
    case CellType::kEmpty:
      return UniqueVariant();
    case CellType::kNumber:
      return UniqueVariant::Double(value.number);
    case CellType::kText:
      return UniqueVariant::Text("'" + value.text);
  }
  return UniqueVariant();
}

// Excel's error values (CVErr) as the cell shows them.
std::string ErrorValueText(SCODE code) {
  switch (code & 0xFFFF) {
    case 2000:
      return "#NULL!";
    case 2007:
      return "#DIV/0!";
    case 2015:
      return "#VALUE!";
    case 2023:
      return "#REF!";
    case 2029:
      return "#NAME?";
    case 2036:
      return "#NUM!";
    default:
      return "#N/A";
  }
}

// A cell's Value as the interface's value: numbers, dates and currency as numbers, texts
// as texts (an empty text is an empty cell), truth values and errors as the text Excel shows.
Result<CellValue> CellOfVariant(const VARIANT& value) {
  switch (value.vt) {
    case VT_EMPTY:
    case VT_NULL:
      return CellValue::Empty();
    case VT_BSTR:
      return CellValue::Text(BstrToUtf8(value.bstrVal));
    case VT_BOOL:
      return CellValue::Text(value.boolVal != VARIANT_FALSE ? "TRUE" : "FALSE");
    case VT_ERROR:
      return CellValue::Text(ErrorValueText(value.scode));
    default: {
      Result<double> number = VariantToDouble(value);
      if (!number.ok()) return number.error();
      return CellValue::Number(*number);
    }
  }
}

bool IsNothing(const VARIANT& value) {
  return value.vt == VT_EMPTY || value.vt == VT_NULL ||
         (value.vt == VT_DISPATCH && value.pdispVal == nullptr);
}

class ExcelWorkbookClient final : public ExcelWorkbook {
 public:
  ExcelWorkbookClient(Dispatcher application, Dispatcher workbook,
                      std::shared_ptr<DispIdCache> cache)
      : application_(std::move(application)),
        workbook_(std::move(workbook)),
        cache_(std::move(cache)) {}

  int SheetCount() const override {
    Result<int> count = Count();
    return count.ok() ? *count : 0;
  }

  Result<std::string> SheetName(int sheet) const override {
    MIRUNE_ASSIGN_OR_RETURN(Dispatcher * object, Sheet(sheet));
    return object->GetText("Name");
  }

  Result<int> FindSheet(std::string_view name) const override {
    MIRUNE_ASSIGN_OR_RETURN(const int count, Count());
    for (int i = 1; i <= count; ++i) {
      MIRUNE_ASSIGN_OR_RETURN(const std::string found, SheetName(i));
      if (found == name) return i;
    }
    return Error{ErrorCode::kNotFound, "ブックにシート「" + std::string(name) + "」がありません。"};
  }

  Result<int> AddSheet(std::string_view name) override {
    MIRUNE_ASSIGN_OR_RETURN(const int count, Count());
    MIRUNE_ASSIGN_OR_RETURN(Dispatcher * last, Sheet(count));
    MIRUNE_ASSIGN_OR_RETURN(Dispatcher * sheets, Sheets());
    std::vector<NamedArg> named;
    named.push_back(Named("After", UniqueVariant::Dispatch(last->object())));
    Result<UniqueVariant> added = sheets->Call("Add", {}, named);
    Forget();
    if (!added.ok()) return added.error();
    if (Status renamed = RenameSheet(count + 1, name); !renamed.ok()) {
      // The new sheet would otherwise stay under Excel's own name.
      (void)DeleteSheet(count + 1);
      return renamed.error();
    }
    return count + 1;
  }

  Status RenameSheet(int sheet, std::string_view name) override {
    MIRUNE_ASSIGN_OR_RETURN(Dispatcher * object, Sheet(sheet));
    MIRUNE_ASSIGN_OR_RETURN(UniqueVariant text, UniqueVariant::Text(name));
    return object->Put("Name", text);
  }

  Result<int> CopySheet(int sheet, int after) override {
    MIRUNE_ASSIGN_OR_RETURN(Dispatcher * target, Sheet(after));
    UniqueVariant after_object = UniqueVariant::Dispatch(target->object());
    MIRUNE_ASSIGN_OR_RETURN(Dispatcher * source, Sheet(sheet));
    std::vector<NamedArg> named;
    named.push_back(Named("After", std::move(after_object)));
    Result<UniqueVariant> copied = source->Call("Copy", {}, named);
    Forget();
    if (!copied.ok()) return copied.error();
    return after + 1;
  }

  Status DeleteSheet(int sheet) override {
    MIRUNE_ASSIGN_OR_RETURN(const int count, Count());
    if (count == 1) {
      return Status(ErrorCode::kInvalidArgument, "ブックの最後の 1 枚のシートは削除できません。");
    }
    MIRUNE_ASSIGN_OR_RETURN(Dispatcher * object, Sheet(sheet));
    // Excel asks before deleting a sheet unless its alerts are off; the interface never asks.
    MIRUNE_ASSIGN_OR_RETURN(const bool alerts, application_.GetBool("DisplayAlerts"));
    if (alerts)
      MIRUNE_RETURN_IF_ERROR(application_.Put("DisplayAlerts", UniqueVariant::Bool(false)));
    Status deleted = object->Call("Delete").status();
    Forget();
    if (alerts) {
      Status restored = application_.Put("DisplayAlerts", UniqueVariant::Bool(true));
      if (deleted.ok()) return restored;
    }
    return deleted;
  }

  Status ActivateSheet(int sheet) override {
    MIRUNE_ASSIGN_OR_RETURN(Dispatcher * object, Sheet(sheet));
    return object->Call("Activate").status();
  }

  int ActiveSheet() const override {
    Result<Dispatcher> active = workbook_.GetObject("ActiveSheet", "Worksheet");
    if (!active.ok()) return 0;
    Result<int32_t> index = active->GetInt32("Index");
    return index.ok() ? *index : 0;
  }

  Result<CellValue> GetCell(int sheet, int row, int column) const override {
    MIRUNE_ASSIGN_OR_RETURN(Dispatcher range, RangeOf(sheet, CellRange::Cell(row, column)));
    MIRUNE_ASSIGN_OR_RETURN(UniqueVariant value, range.Get("Value"));
    return ValueOf(range, value.get());
  }

  Status SetCell(int sheet, int row, int column, const CellValue& value) override {
    MIRUNE_ASSIGN_OR_RETURN(Dispatcher range, RangeOf(sheet, CellRange::Cell(row, column)));
    MIRUNE_ASSIGN_OR_RETURN(UniqueVariant variant, VariantOfCell(value));
    return range.Put("Value", variant);
  }

  Result<CellBlock> GetCells(int sheet, const CellRange& range) const override {
    if (range.is_whole_columns() || range.is_whole_rows()) {
      return Error{ErrorCode::kInvalidArgument, "行全体や列全体の値は一度に読みません。"};
    }
    MIRUNE_ASSIGN_OR_RETURN(Dispatcher object, RangeOf(sheet, range));
    MIRUNE_ASSIGN_OR_RETURN(UniqueVariant value, object.Get("Value"));
    Result<VariantGrid> grid = VariantToGrid(value.get());
    if (!grid.ok() || grid->rows != range.row_count() || grid->columns != range.column_count()) {
      return Error{ErrorCode::kHostError, "Excel の " + object.path() +
                                              ".Value が範囲の大きさの値の表を返しませんでした。"};
    }
    CellBlock block(grid->rows, grid->columns);
    for (int r = 0; r < grid->rows; ++r) {
      for (int c = 0; c < grid->columns; ++c) {
        MIRUNE_ASSIGN_OR_RETURN(block.at(r, c), ValueOf(object, grid->at(r, c).get()));
      }
    }
    return block;
  }

  Status SetCells(int sheet, int first_row, int first_column, const CellBlock& block) override {
    if (block.rows == 0 || block.columns == 0) return Status::Ok();
    VariantGrid grid;
    grid.rows = block.rows;
    grid.columns = block.columns;
    grid.cells.reserve(block.cells.size());
    for (const CellValue& cell : block.cells) {
      MIRUNE_ASSIGN_OR_RETURN(UniqueVariant value, VariantOfCell(cell));
      grid.cells.push_back(std::move(value));
    }
    MIRUNE_ASSIGN_OR_RETURN(UniqueVariant array, GridToVariant(grid));
    MIRUNE_ASSIGN_OR_RETURN(
        Dispatcher range,
        RangeOf(sheet, CellRange::Area(first_row, first_column, first_row + block.rows - 1,
                                       first_column + block.columns - 1)));
    return range.Put("Value", array);
  }

  Result<int> LastFilledRow(int sheet) const override {
    // The last cell holding a value, searched backwards by rows: Excel's own last cell
    // (SpecialCells) also counts cells that only have formats.
    MIRUNE_ASSIGN_OR_RETURN(Dispatcher * object, Sheet(sheet));
    MIRUNE_ASSIGN_OR_RETURN(Dispatcher cells, object->GetObject("Cells", "Range"));
    MIRUNE_ASSIGN_OR_RETURN(UniqueVariant what, UniqueVariant::Text("*"));
    std::vector<NamedArg> named;
    named.push_back(Named("What", std::move(what)));
    named.push_back(Named("LookIn", UniqueVariant::Int32(kXlValues)));
    named.push_back(Named("LookAt", UniqueVariant::Int32(kXlPart)));
    named.push_back(Named("SearchOrder", UniqueVariant::Int32(kXlByRows)));
    named.push_back(Named("SearchDirection", UniqueVariant::Int32(kXlPrevious)));
    named.push_back(Named("MatchCase", UniqueVariant::Bool(false)));
    MIRUNE_ASSIGN_OR_RETURN(UniqueVariant found, cells.Call("Find", {}, named));
    if (IsNothing(found.get())) return 0;
    Result<ComPtr<IDispatch>> cell = VariantToDispatch(found.get());
    if (!cell.ok()) {
      return Error{
          ErrorCode::kHostError,
          "Excel の " + cells.path() + ".Find がセルを返しませんでした（" + cell.message() + "）"};
    }
    Dispatcher last(std::move(cell).value(), cache_, std::string(kExcelHost), "Range",
                    cells.path() + ".Find(\"*\")");
    return last.GetInt32("Row");
  }

  Status SetColumnWidth(int sheet, int first_column, int last_column, double width) override {
    MIRUNE_ASSIGN_OR_RETURN(Dispatcher range,
                            RangeOf(sheet, CellRange::Columns(first_column, last_column)));
    return range.Put("ColumnWidth", UniqueVariant::Double(width));
  }

  Result<double> ColumnWidth(int sheet, int column) const override {
    MIRUNE_ASSIGN_OR_RETURN(Dispatcher range, RangeOf(sheet, CellRange::Columns(column, column)));
    MIRUNE_ASSIGN_OR_RETURN(UniqueVariant width, range.Get("ColumnWidth"));
    Result<double> value = VariantToDouble(width.get());
    if (!value.ok()) return NotA(range, "ColumnWidth", "数値");
    return value;
  }

  Status SetFontName(int sheet, const CellRange& range, std::string_view font_name) override {
    MIRUNE_ASSIGN_OR_RETURN(Dispatcher object, RangeOf(sheet, range));
    MIRUNE_ASSIGN_OR_RETURN(Dispatcher font, object.GetObject("Font", "Font"));
    MIRUNE_ASSIGN_OR_RETURN(UniqueVariant name, UniqueVariant::Text(font_name));
    return font.Put("Name", name);
  }

  Status SetNumberFormat(int sheet, const CellRange& range, std::string_view format) override {
    MIRUNE_ASSIGN_OR_RETURN(Dispatcher object, RangeOf(sheet, range));
    MIRUNE_ASSIGN_OR_RETURN(UniqueVariant code, UniqueVariant::Text(format));
    return object.Put("NumberFormat", code);
  }

  Status SetAlignment(int sheet, const CellRange& range, const AlignmentChange& change) override {
    MIRUNE_ASSIGN_OR_RETURN(Dispatcher object, RangeOf(sheet, range));
    if (change.horizontal) {
      MIRUNE_RETURN_IF_ERROR(object.Put("HorizontalAlignment",
                                        UniqueVariant::Int32(HorizontalValue(*change.horizontal))));
    }
    if (change.vertical) {
      MIRUNE_RETURN_IF_ERROR(
          object.Put("VerticalAlignment", UniqueVariant::Int32(VerticalValue(*change.vertical))));
    }
    if (change.wrap_text) {
      MIRUNE_RETURN_IF_ERROR(object.Put("WrapText", UniqueVariant::Bool(*change.wrap_text)));
    }
    return Status::Ok();
  }

  // The source cell's format is read and written onto `to` member by member (font name and
  // size, number format, alignments, wrap): Range.Copy and PasteSpecial would go through the
  // system clipboard, which another program may hold (0x800A03EC) and which the user's own
  // copy would lose.
  Status CopyFormat(int sheet, int row, int column, const CellRange& to) override {
    MIRUNE_ASSIGN_OR_RETURN(const CellFormat format, GetFormat(sheet, row, column));
    MIRUNE_ASSIGN_OR_RETURN(Dispatcher target, RangeOf(sheet, to));
    MIRUNE_ASSIGN_OR_RETURN(Dispatcher font, target.GetObject("Font", "Font"));
    MIRUNE_ASSIGN_OR_RETURN(UniqueVariant name, UniqueVariant::Text(format.font_name));
    MIRUNE_RETURN_IF_ERROR(font.Put("Name", name));
    // The size is written only where it differs: most cells keep the standard size.
    MIRUNE_ASSIGN_OR_RETURN(UniqueVariant size, font.Get("Size"));
    Result<double> points = VariantToDouble(size.get());
    if (!points.ok() || static_cast<int>(*points * 20 + 0.5) != format.font_height_twips) {
      MIRUNE_RETURN_IF_ERROR(
          font.Put("Size", UniqueVariant::Double(format.font_height_twips / 20.0)));
    }
    MIRUNE_ASSIGN_OR_RETURN(UniqueVariant number_format, UniqueVariant::Text(format.number_format));
    MIRUNE_RETURN_IF_ERROR(target.Put("NumberFormat", number_format));
    MIRUNE_RETURN_IF_ERROR(target.Put("HorizontalAlignment",
                                      UniqueVariant::Int32(HorizontalValue(format.horizontal))));
    MIRUNE_RETURN_IF_ERROR(
        target.Put("VerticalAlignment", UniqueVariant::Int32(VerticalValue(format.vertical))));
    return target.Put("WrapText", UniqueVariant::Bool(format.wrap_text));
  }

  Result<CellFormat> GetFormat(int sheet, int row, int column) const override {
    MIRUNE_ASSIGN_OR_RETURN(Dispatcher cell, RangeOf(sheet, CellRange::Cell(row, column)));
    MIRUNE_ASSIGN_OR_RETURN(Dispatcher font, cell.GetObject("Font", "Font"));
    CellFormat format;
    MIRUNE_ASSIGN_OR_RETURN(format.font_name, font.GetText("Name"));
    MIRUNE_ASSIGN_OR_RETURN(UniqueVariant size, font.Get("Size"));
    Result<double> points = VariantToDouble(size.get());
    if (!points.ok()) return NotA(font, "Size", "数値");
    format.font_height_twips = static_cast<int>(*points * 20 + 0.5);
    MIRUNE_ASSIGN_OR_RETURN(format.number_format, cell.GetText("NumberFormat"));
    MIRUNE_ASSIGN_OR_RETURN(const int32_t horizontal, cell.GetInt32("HorizontalAlignment"));
    MIRUNE_ASSIGN_OR_RETURN(const int32_t vertical, cell.GetInt32("VerticalAlignment"));
    format.horizontal = horizontal == kXlHAlignLeft     ? HorizontalAlignment::kLeft
                        : horizontal == kXlHAlignCenter ? HorizontalAlignment::kCenter
                        : horizontal == kXlHAlignRight  ? HorizontalAlignment::kRight
                                                        : HorizontalAlignment::kGeneral;
    format.vertical = vertical == kXlVAlignTop      ? VerticalAlignment::kTop
                      : vertical == kXlVAlignCenter ? VerticalAlignment::kCenter
                                                    : VerticalAlignment::kBottom;
    MIRUNE_ASSIGN_OR_RETURN(format.wrap_text, cell.GetBool("WrapText"));
    return format;
  }

  Status DeleteRow(int sheet, int row) override { return DeleteRows(sheet, row, 1); }

  Status DeleteRows(int sheet, int first_row, int count) override {
    if (count <= 0) return Status::Ok();
    MIRUNE_ASSIGN_OR_RETURN(Dispatcher rows,
                            RangeOf(sheet, CellRange::Rows(first_row, first_row + count - 1)));
    std::vector<NamedArg> named;
    named.push_back(Named("Shift", UniqueVariant::Int32(kXlUp)));
    return rows.Call("Delete", {}, named).status();
  }

  Status DeleteRowRuns(int sheet, const std::vector<RowRun>& runs) override {
    for (size_t i = 1; i < runs.size(); ++i) {
      if (runs[i].first_row < runs[i - 1].first_row + runs[i - 1].count) {
        return ExcelWorkbook::DeleteRowRuns(sheet, runs);  // refused there, with its message
      }
    }
    // Runs go in groups whose union address ("3:4,9:9,…") fits the 255 characters Excel takes
    // for a range's address; each group is one Delete, from the bottom group up so that the
    // numbers of the groups above still hold. Within a group Excel deletes all areas at once.
    constexpr size_t kMaxAddress = 255;
    std::vector<std::string> groups;
    std::string address;
    for (const RowRun& run : runs) {
      if (run.count <= 0) continue;
      const std::string area =
          RangeAddress(CellRange::Rows(run.first_row, run.first_row + run.count - 1));
      if (!address.empty() && address.size() + 1 + area.size() > kMaxAddress) {
        groups.push_back(std::move(address));
        address.clear();
      }
      address += (address.empty() ? "" : ",") + area;
    }
    if (!address.empty()) groups.push_back(std::move(address));
    MIRUNE_ASSIGN_OR_RETURN(Dispatcher * object, Sheet(sheet));
    for (auto it = groups.rbegin(); it != groups.rend(); ++it) {
      MIRUNE_ASSIGN_OR_RETURN(UniqueVariant text, UniqueVariant::Text(*it));
      MIRUNE_ASSIGN_OR_RETURN(Dispatcher rows, object->CallObject("Range", One(text), "Range"));
      std::vector<NamedArg> named;
      named.push_back(Named("Shift", UniqueVariant::Int32(kXlUp)));
      MIRUNE_RETURN_IF_ERROR(rows.Call("Delete", {}, named).status());
    }
    return Status::Ok();
  }

  Status InsertColumn(int sheet, int column) override {
    MIRUNE_ASSIGN_OR_RETURN(Dispatcher range, RangeOf(sheet, CellRange::Columns(column, column)));
    std::vector<NamedArg> named;
    named.push_back(Named("Shift", UniqueVariant::Int32(kXlToRight)));
    return range.Call("Insert", {}, named).status();
  }

  Status SortRows(int sheet, int key_column) override { return Sort(sheet, key_column, 0); }

  // One call of Excel's Sort with Key2.
  Status SortRowsByTwoKeys(int sheet, int key_column, int second_key_column) override {
    return Sort(sheet, key_column, second_key_column);
  }

  // Cells.Sort by `key_column`, then by `second_key_column` when it is not 0.
  Status Sort(int sheet, int key_column, int second_key_column) {
    MIRUNE_ASSIGN_OR_RETURN(Dispatcher * object, Sheet(sheet));
    MIRUNE_ASSIGN_OR_RETURN(Dispatcher key, RangeOf(sheet, CellRange::Cell(1, key_column)));
    MIRUNE_ASSIGN_OR_RETURN(Dispatcher cells, object->GetObject("Cells", "Range"));
    std::vector<NamedArg> named;
    named.push_back(Named("Key1", UniqueVariant::Dispatch(key.object())));
    named.push_back(Named("Order1", UniqueVariant::Int32(kXlAscending)));
    std::optional<Dispatcher> second_key;
    if (second_key_column != 0) {
      MIRUNE_ASSIGN_OR_RETURN(second_key, RangeOf(sheet, CellRange::Cell(1, second_key_column)));
      named.push_back(Named("Key2", UniqueVariant::Dispatch(second_key->object())));
      named.push_back(Named("Order2", UniqueVariant::Int32(kXlAscending)));
    }
    named.push_back(Named("Header", UniqueVariant::Int32(kXlNo)));
    named.push_back(Named("OrderCustom", UniqueVariant::Int32(1)));
    named.push_back(Named("MatchCase", UniqueVariant::Bool(false)));
    named.push_back(Named("Orientation", UniqueVariant::Int32(kXlTopToBottom)));
    named.push_back(Named("SortMethod", UniqueVariant::Int32(kXlPinYin)));
    return cells.Call("Sort", {}, named).status();
  }

  Status SaveAs(const std::string& path) override {
    // Without alerts Excel replaces an existing file instead of asking.
    MIRUNE_ASSIGN_OR_RETURN(const bool alerts, application_.GetBool("DisplayAlerts"));
    if (alerts)
      MIRUNE_RETURN_IF_ERROR(application_.Put("DisplayAlerts", UniqueVariant::Bool(false)));
    MIRUNE_ASSIGN_OR_RETURN(UniqueVariant file_name, UniqueVariant::Text(path));
    std::vector<NamedArg> named;
    named.push_back(Named("Filename", std::move(file_name)));
    named.push_back(Named("FileFormat", UniqueVariant::Int32(kXlWorkbookNormal)));
    named.push_back(Named("CreateBackup", UniqueVariant::Bool(false)));
    Status saved = workbook_.Call("SaveAs", {}, named).status();
    if (alerts) {
      Status restored = application_.Put("DisplayAlerts", UniqueVariant::Bool(true));
      if (saved.ok()) return restored;
    }
    if (!saved.ok()) {
      return Status(ErrorCode::kIoError, path + " に保存できません: " + saved.message());
    }
    return saved;
  }

 private:
  static int32_t HorizontalValue(HorizontalAlignment alignment) {
    switch (alignment) {
      case HorizontalAlignment::kLeft:
        return kXlHAlignLeft;
      case HorizontalAlignment::kCenter:
        return kXlHAlignCenter;
      case HorizontalAlignment::kRight:
        return kXlHAlignRight;
      case HorizontalAlignment::kGeneral:
        break;
    }
    return kXlHAlignGeneral;
  }

  static int32_t VerticalValue(VerticalAlignment alignment) {
    switch (alignment) {
      case VerticalAlignment::kTop:
        return kXlVAlignTop;
      case VerticalAlignment::kCenter:
        return kXlVAlignCenter;
      case VerticalAlignment::kBottom:
        break;
    }
    return kXlVAlignBottom;
  }

  static Error NotA(const Dispatcher& object, const char* member, const char* expected) {
    return Error{ErrorCode::kHostError, std::string(kExcelHost) + " の " + object.path() + "." +
                                            member + " の値が" + expected + "ではありません。"};
  }

  Result<CellValue> ValueOf(const Dispatcher& range, const VARIANT& value) const {
    Result<CellValue> cell = CellOfVariant(value);
    if (!cell.ok()) return NotA(range, "Value", "セルの値");
    return cell;
  }

  Result<Dispatcher*> Sheets() const {
    if (!sheets_) {
      MIRUNE_ASSIGN_OR_RETURN(Dispatcher sheets, workbook_.GetObject("Sheets", "Sheets"));
      sheets_.emplace(std::move(sheets));
    }
    return &*sheets_;
  }

  Result<int> Count() const {
    if (!count_) {
      MIRUNE_ASSIGN_OR_RETURN(Dispatcher * sheets, Sheets());
      MIRUNE_ASSIGN_OR_RETURN(const int32_t count, sheets->GetInt32("Count"));
      count_ = count;
    }
    return *count_;
  }

  // The worksheet at `sheet`, kept until the sheets change. kNotFound outside 1..Count.
  Result<Dispatcher*> Sheet(int sheet) const {
    auto it = sheet_objects_.find(sheet);
    if (it != sheet_objects_.end()) return &it->second;
    MIRUNE_ASSIGN_OR_RETURN(const int count, Count());
    if (sheet < 1 || sheet > count) {
      return Error{ErrorCode::kNotFound, "ブックに " + std::to_string(sheet) +
                                             " 枚目のシートはありません（" + std::to_string(count) +
                                             " 枚です）。"};
    }
    MIRUNE_ASSIGN_OR_RETURN(Dispatcher * sheets, Sheets());
    MIRUNE_ASSIGN_OR_RETURN(Dispatcher object, sheets->ItemObject(sheet, "Worksheet"));
    return &sheet_objects_.emplace(sheet, std::move(object)).first->second;
  }

  Result<Dispatcher> RangeOf(int sheet, const CellRange& range) const {
    if (range.first_row < 1 || range.last_row > kExcelMaxRows || range.first_column < 1 ||
        range.last_column > kExcelMaxColumns || range.first_row > range.last_row ||
        range.first_column > range.last_column) {
      return Error{ErrorCode::kInvalidArgument, "セル範囲がシートの外にあります。"};
    }
    MIRUNE_ASSIGN_OR_RETURN(Dispatcher * object, Sheet(sheet));
    MIRUNE_ASSIGN_OR_RETURN(UniqueVariant address, UniqueVariant::Text(RangeAddress(range)));
    return object->CallObject("Range", One(address), "Range");
  }

  void Forget() const {
    sheets_.reset();
    count_.reset();
    sheet_objects_.clear();
  }

  mutable Dispatcher application_;
  mutable Dispatcher workbook_;
  std::shared_ptr<DispIdCache> cache_;
  mutable std::optional<Dispatcher> sheets_;
  mutable std::optional<int> count_;
  mutable std::map<int, Dispatcher> sheet_objects_;
};

}  // namespace

ExcelClient::ExcelClient(ComPtr<IDispatch> application)
    : cache_(std::make_shared<DispIdCache>()),
      application_(std::move(application), cache_, std::string(kExcelHost), "Application", "") {}

Result<std::unique_ptr<ExcelClient>> ExcelClient::Create(std::string_view prog_id) {
  MIRUNE_ASSIGN_OR_RETURN(ComPtr<IDispatch> application, CreateServer(prog_id, kExcelHost));
  return std::make_unique<ExcelClient>(std::move(application));
}

Result<std::unique_ptr<ExcelClient>> ExcelClient::AttachOnce(std::string_view prog_id) {
  MIRUNE_ASSIGN_OR_RETURN(const CLSID clsid, ClassOfProgId(prog_id, kExcelHost));
  MIRUNE_ASSIGN_OR_RETURN(ComPtr<IDispatch> application, RunningServer(clsid, kExcelHost));
  return std::make_unique<ExcelClient>(std::move(application));
}

Result<std::unique_ptr<ExcelApplication>> AttachRunningExcel(std::string_view prog_id) {
  MIRUNE_ASSIGN_OR_RETURN(std::unique_ptr<ExcelClient> client, ExcelClient::AttachOnce(prog_id));
  return std::unique_ptr<ExcelApplication>(std::move(client));
}

Result<std::unique_ptr<ExcelWorkbook>> ExcelClient::WrapWorkbook(Result<UniqueVariant> value,
                                                                 std::string path) {
  if (!value.ok()) return value.error();
  if (IsNothing(value->get())) {
    return Error{ErrorCode::kNotFound, "Excel で開いているブックがありません。"};
  }
  Result<ComPtr<IDispatch>> object = VariantToDispatch(value->get());
  if (!object.ok()) {
    return Error{ErrorCode::kHostError, "Excel の " + path + " がブックを返しませんでした。"};
  }
  // Excel makes an added or opened workbook the active one; messages name it so.
  Dispatcher workbook(std::move(object).value(), cache_, std::string(kExcelHost), "Workbook",
                      "ActiveWorkbook");
  return std::unique_ptr<ExcelWorkbook>(
      new ExcelWorkbookClient(application_, std::move(workbook), cache_));
}

Result<std::unique_ptr<ExcelWorkbook>> ExcelClient::AddWorkbook() {
  MIRUNE_ASSIGN_OR_RETURN(Dispatcher workbooks, application_.GetObject("Workbooks", "Workbooks"));
  return WrapWorkbook(workbooks.Call("Add"), "Workbooks.Add");
}

Result<std::unique_ptr<ExcelWorkbook>> ExcelClient::OpenWorkbook(const std::string& path) {
  // A missing file is told without Excel's dialog or its wording.
  MIRUNE_ASSIGN_OR_RETURN(const PathKind kind, CheckInputPath(path));
  if (kind != PathKind::kFile) {
    return Error{ErrorCode::kNotFound, path + " はブックのファイルではありません。"};
  }
  MIRUNE_ASSIGN_OR_RETURN(Dispatcher workbooks, application_.GetObject("Workbooks", "Workbooks"));
  MIRUNE_ASSIGN_OR_RETURN(UniqueVariant file_name, UniqueVariant::Text(path));
  return WrapWorkbook(workbooks.Call("Open", One(file_name)), "Workbooks.Open");
}

Result<std::unique_ptr<ExcelWorkbook>> ExcelClient::ActiveWorkbook() {
  Result<std::unique_ptr<ExcelWorkbook>> active =
      WrapWorkbook(application_.Get("ActiveWorkbook"), "ActiveWorkbook");
  if (active.ok() || active.code() != ErrorCode::kNotFound) return active;
  // A workbook open in Protected View is never the active workbook: say so, where this Excel
  // knows the Protected View windows (Excel 2010 and later).
  Result<Dispatcher> windows =
      application_.GetObject("ProtectedViewWindows", "ProtectedViewWindows");
  if (!windows.ok()) return active;
  Result<int32_t> count = windows->GetInt32("Count");
  if (!count.ok() || *count == 0) return active;
  return Error{ErrorCode::kNotFound,
               "Excel のブックが保護ビューで開かれています（保護ビューのブックは操作できません）。"
               "Excel の「編集を有効にする」を押してから、もう一度実行して下さい。"};
}

Status ExcelClient::SetDisplayAlerts(bool display) {
  return application_.Put("DisplayAlerts", UniqueVariant::Bool(display));
}

Status ExcelClient::SetVisible(bool visible) {
  return application_.Put("Visible", UniqueVariant::Bool(visible));
}

}  // namespace mirune::com
