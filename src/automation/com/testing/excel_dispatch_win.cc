#include "automation/com/testing/excel_dispatch_win.h"

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "automation/com/com_types_win.h"
#include "automation/com/dispatcher_win.h"
#include "automation/com/testing/table_dispatch_win.h"
#include "automation/com/variant_grid_win.h"
#include "automation/excel_address.h"
#include "automation/excel_engine/memory_workbook.h"
#include "base/utf.h"

namespace mirune::com {
namespace {

using testing::TableCall;
using testing::TableCounters;
using testing::TableDispatch;
using testing::TableHandler;

struct ServerState {
  std::shared_ptr<TableCounters> counters = std::make_shared<TableCounters>();
  std::vector<std::shared_ptr<MemoryWorkbook>> workbooks;
  std::shared_ptr<MemoryWorkbook> active;
  bool display_alerts = true;
  bool visible = false;
  // What Range.Copy put on the clipboard: one cell of one sheet.
  struct Clip {
    std::weak_ptr<MemoryWorkbook> book;
    int sheet = 0;
    CellRange range;
  } clip;
  bool cut_copy_mode = false;
  long long calls = 0;
  long long fail_after = -1;    // calls still allowed before every call fails; -1: never
  long long exit_after = -1;    // calls still allowed before the process ends; -1: never
  long long reject_after = -1;  // calls still allowed before every call is refused as busy
  ExcelServerHooks hooks;
};
using State = std::shared_ptr<ServerState>;

// --- Results and failures ---

HRESULT Raise(EXCEPINFO* excep, const std::string& text) {
  if (excep != nullptr) {
    const std::u16string wide = Utf8ToUtf16(text);
    excep->scode = E_FAIL;
    excep->bstrSource = SysAllocString(L"Mirune.TestExcel");
    excep->bstrDescription = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(wide.data()),
                                               static_cast<UINT>(wide.size()));
  }
  return DISP_E_EXCEPTION;
}

HRESULT RaiseStatus(EXCEPINFO* excep, const Status& status) {
  return Raise(excep, status.message());
}

// What Excel answers a copy or paste while another program holds the clipboard.
HRESULT ClipboardBusy(EXCEPINFO* excep) {
  Raise(excep, "Range クラスの Copy メソッドが失敗しました。");
  if (excep != nullptr) excep->scode = static_cast<SCODE>(0x800A03EC);
  return DISP_E_EXCEPTION;
}

HRESULT SetText(VARIANT* result, std::string_view utf8) {
  if (result == nullptr) return S_OK;
  const std::u16string wide = Utf8ToUtf16(utf8);
  result->vt = VT_BSTR;
  result->bstrVal = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(wide.data()),
                                      static_cast<UINT>(wide.size()));
  return S_OK;
}

HRESULT SetInt(VARIANT* result, int32_t value) {
  if (result == nullptr) return S_OK;
  result->vt = VT_I4;
  result->lVal = value;
  return S_OK;
}

HRESULT SetDouble(VARIANT* result, double value) {
  if (result == nullptr) return S_OK;
  result->vt = VT_R8;
  result->dblVal = value;
  return S_OK;
}

HRESULT SetBool(VARIANT* result, bool value) {
  if (result == nullptr) return S_OK;
  result->vt = VT_BOOL;
  result->boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
  return S_OK;
}

// Hands `value` over to the caller's result.
HRESULT Give(VARIANT* result, UniqueVariant value) {
  if (result == nullptr) return S_OK;
  *result = value.get();
  VariantInit(value.get_mut());  // the result owns it now
  return S_OK;
}

HRESULT SetObject(VARIANT* result, ComPtr<IDispatch> object) {
  if (result == nullptr) return S_OK;
  result->vt = VT_DISPATCH;
  result->pdispVal = object.Detach();
  return S_OK;
}

bool IsPut(const TableCall& call) { return (call.flags & DISPATCH_PROPERTYPUT) != 0; }

const UniqueVariant* PutValue(const TableCall& call) {
  auto it = call.named.find("=");
  return it == call.named.end() ? nullptr : &it->second;
}

// The argument given by name, else at `position` (0-based), else null.
const VARIANT* Arg(const TableCall& call, const char* name, size_t position) {
  auto it = call.named.find(name);
  if (it != call.named.end()) return &it->second.get();
  if (position < call.args.size() && call.args[position].get().vt != VT_ERROR) {
    return &call.args[position].get();
  }
  return nullptr;
}

// An argument that must be the integer `expected`; for the arguments Excel would take in
// other values the client never passes.
bool ArgIs(const TableCall& call, const char* name, size_t position, int32_t expected) {
  const VARIANT* value = Arg(call, name, position);
  if (value == nullptr) return false;
  Result<int32_t> n = VariantToInt32(*value);
  return n.ok() && *n == expected;
}

bool ArgIsFalse(const TableCall& call, const char* name, size_t position) {
  const VARIANT* value = Arg(call, name, position);
  if (value == nullptr) return false;
  Result<bool> b = VariantToBool(*value);
  return b.ok() && !*b;
}

// Adds a member counted as a call, failing or ending the process as the test switches say.
void Member(TableDispatch& object, const State& state, const std::string& name,
            TableHandler handler, std::vector<std::string> arg_names = {}) {
  object.Add(
      name,
      [state, handler = std::move(handler)](TableCall& call, VARIANT* result,
                                            EXCEPINFO* excep) -> HRESULT {
        ++state->calls;
        if (state->exit_after >= 0 && state->calls > state->exit_after) {
          if (state->hooks.die) state->hooks.die();
          TerminateProcess(GetCurrentProcess(), 3);
        }
        if (state->reject_after >= 0 && state->calls > state->reject_after) {
          return RPC_E_CALL_REJECTED;  // what a client sees of a server that stays busy
        }
        if (state->fail_after >= 0 && state->calls > state->fail_after) {
          return Raise(excep, "試験のために失敗させた呼び出しです（" +
                                  std::to_string(state->calls) + " 回目）");
        }
        return handler(call, result, excep);
      },
      std::move(arg_names));
}

// A value written to a cell, read as Excel reads an entry.
Result<CellValue> CellOfWritten(const VARIANT& value, bool text_format) {
  switch (value.vt) {
    case VT_EMPTY:
    case VT_NULL:
      return CellValue::Empty();
    case VT_BSTR: {
      std::string text = BstrToUtf8(value.bstrVal);
      if (!text.empty() && text.front() == '\'') return CellValue::Text(text.substr(1));
      if (!text_format && !text.empty()) {
        char* end = nullptr;
        const double number = std::strtod(text.c_str(), &end);
        if (end == text.c_str() + text.size() && text.find_first_of("xXnN") == std::string::npos) {
          return CellValue::Number(number);
        }
      }
      return CellValue::Text(std::move(text));
    }
    case VT_BOOL:
      return CellValue::Text(value.boolVal != VARIANT_FALSE ? "TRUE" : "FALSE");
    default: {
      Result<double> number = VariantToDouble(value);
      if (!number.ok()) return number.error();
      return CellValue::Number(*number);
    }
  }
}

Result<UniqueVariant> VariantOfCell(const CellValue& cell) {
  switch (cell.type) {
    case CellType::kEmpty:
      return UniqueVariant();
    case CellType::kNumber:
      return UniqueVariant::Double(cell.number);
    case CellType::kText:
      return UniqueVariant::Text(cell.text);
  }
  return UniqueVariant();
}

ComPtr<IDispatch> MakeWorkbook(const State& state, std::shared_ptr<MemoryWorkbook> book);
ComPtr<IDispatch> MakeWorksheet(const State& state, std::shared_ptr<MemoryWorkbook> book,
                                int sheet);

// The position of a worksheet object handed back by the client (After:=, Key1:=), asked of
// the object itself.
Result<int32_t> IndexOfObject(const VARIANT& value, const char* member) {
  Result<ComPtr<IDispatch>> object = VariantToDispatch(value);
  if (!object.ok()) return object.error();
  Dispatcher dispatcher(std::move(object).value(), nullptr, "試験用 Excel", "Object", "");
  return dispatcher.GetInt32(member);
}

// --- Range ---

ComPtr<IDispatch> MakeFont(const State& state, std::shared_ptr<MemoryWorkbook> book, int sheet,
                           CellRange range) {
  ComPtr<TableDispatch> font = TableDispatch::Make(state->counters);
  Member(*font, state, "Name",
         [book, sheet, range](TableCall& call, VARIANT* result, EXCEPINFO* excep) -> HRESULT {
           if (IsPut(call)) {
             Result<std::string> name = VariantToUtf8(PutValue(call)->get());
             if (!name.ok()) return DISP_E_TYPEMISMATCH;
             Status set = book->SetFontName(sheet, range, *name);
             return set.ok() ? S_OK : RaiseStatus(excep, set);
           }
           Result<CellFormat> format = book->GetFormat(sheet, range.first_row, range.first_column);
           if (!format.ok()) return RaiseStatus(excep, format.status());
           return SetText(result, format->font_name);
         });
  Member(*font, state, "Size",
         [book, sheet, range](TableCall& call, VARIANT* result, EXCEPINFO* excep) -> HRESULT {
           if (IsPut(call)) return DISP_E_MEMBERNOTFOUND;
           Result<CellFormat> format = book->GetFormat(sheet, range.first_row, range.first_column);
           if (!format.ok()) return RaiseStatus(excep, format.status());
           return SetDouble(result, format->font_height_twips / 20.0);
         });
  return font;
}

ComPtr<IDispatch> MakeRange(const State& state, std::shared_ptr<MemoryWorkbook> book, int sheet,
                            CellRange range, std::vector<RowRun> areas = {});

// Range.Value written: an array of the range's size, or a single value for every cell, each
// read as Excel reads an entry (text in a cell formatted "@" stays text).
HRESULT WriteRangeValue(MemoryWorkbook& book, int sheet, const CellRange& range,
                        const VARIANT& value, EXCEPINFO* excep) {
  Result<VariantGrid> grid = VariantToGrid(value);
  if (!grid.ok()) return DISP_E_TYPEMISMATCH;
  if ((value.vt & VT_ARRAY) != 0 &&
      (grid->rows != range.row_count() || grid->columns != range.column_count())) {
    return Raise(excep, "値の表の大きさが範囲と違います。");
  }
  for (int r = 0; r < range.row_count(); ++r) {
    for (int c = 0; c < range.column_count(); ++c) {
      // A single value fills the whole range, as in Excel.
      const VARIANT& cell =
          (value.vt & VT_ARRAY) != 0 ? grid->at(r, c).get() : grid->at(0, 0).get();
      const int row = range.first_row + r;
      const int column = range.first_column + c;
      Result<CellFormat> format = book.GetFormat(sheet, row, column);
      if (!format.ok()) return RaiseStatus(excep, format.status());
      Result<CellValue> written = CellOfWritten(cell, format->number_format == "@");
      if (!written.ok()) return DISP_E_TYPEMISMATCH;
      Status set = book.SetCell(sheet, row, column, *written);
      if (!set.ok()) return RaiseStatus(excep, set);
    }
  }
  return S_OK;
}

// Range.Value read: one cell's value, or an array of the range's values.
HRESULT ReadRangeValue(MemoryWorkbook& book, int sheet, const CellRange& range, bool one_cell,
                       VARIANT* result, EXCEPINFO* excep) {
  Result<CellBlock> block = book.GetCells(sheet, range);
  if (!block.ok()) return RaiseStatus(excep, block.status());
  if (one_cell) {
    Result<UniqueVariant> value = VariantOfCell(block->at(0, 0));
    if (!value.ok()) return E_OUTOFMEMORY;
    return Give(result, std::move(value).value());
  }
  VariantGrid grid;
  grid.rows = block->rows;
  grid.columns = block->columns;
  for (const CellValue& cell : block->cells) {
    Result<UniqueVariant> value = VariantOfCell(cell);
    if (!value.ok()) return E_OUTOFMEMORY;
    grid.cells.push_back(std::move(value).value());
  }
  Result<UniqueVariant> array = GridToVariant(grid);
  if (!array.ok()) return RaiseStatus(excep, array.status());
  return Give(result, std::move(array).value());
}

// The alignment members of a range: HorizontalAlignment, VerticalAlignment, WrapText.
enum class AlignmentKind { kHorizontal, kVertical, kWrap };

// A written alignment member as a change of the cells' alignment; false when the value has
// the wrong type.
bool AlignmentChangeOf(AlignmentKind kind, const VARIANT& value, AlignmentChange& change) {
  if (kind == AlignmentKind::kWrap) {
    Result<bool> wrap = VariantToBool(value);
    if (!wrap.ok()) return false;
    change.wrap_text = *wrap;
    return true;
  }
  Result<int32_t> n = VariantToInt32(value);
  if (!n.ok()) return false;
  if (kind == AlignmentKind::kHorizontal) {
    change.horizontal = *n == -4131   ? HorizontalAlignment::kLeft
                        : *n == -4108 ? HorizontalAlignment::kCenter
                        : *n == -4152 ? HorizontalAlignment::kRight
                                      : HorizontalAlignment::kGeneral;
  } else {
    change.vertical = *n == -4160   ? VerticalAlignment::kTop
                      : *n == -4108 ? VerticalAlignment::kCenter
                                    : VerticalAlignment::kBottom;
  }
  return true;
}

// Excel's constant of a horizontal or vertical alignment (xlLeft -4131 …, xlGeneral 1,
// xlBottom -4107).
int32_t ExcelAlignmentOf(AlignmentKind kind, const CellFormat& format) {
  if (kind == AlignmentKind::kHorizontal) {
    switch (format.horizontal) {
      case HorizontalAlignment::kLeft:
        return -4131;
      case HorizontalAlignment::kCenter:
        return -4108;
      case HorizontalAlignment::kRight:
        return -4152;
      case HorizontalAlignment::kGeneral:
        break;
    }
    return 1;
  }
  switch (format.vertical) {
    case VerticalAlignment::kTop:
      return -4160;
    case VerticalAlignment::kCenter:
      return -4108;
    case VerticalAlignment::kBottom:
      break;
  }
  return -4107;
}

// Row, Column: where the range starts.
void AddPositionMembers(TableDispatch& object, const State& state,
                        const std::shared_ptr<MemoryWorkbook>& book, int sheet,
                        const CellRange& range) {
  Member(object, state, "Row", [range](TableCall&, VARIANT* result, EXCEPINFO*) {
    return SetInt(result, range.first_row);
  });
  Member(object, state, "Column", [range](TableCall&, VARIANT* result, EXCEPINFO*) {
    return SetInt(result, range.first_column);
  });
}

// Value: the cells' values, read and written.
void AddValueMember(TableDispatch& object, const State& state,
                    const std::shared_ptr<MemoryWorkbook>& book, int sheet, const CellRange& range,
                    bool one_cell) {
  Member(object, state, "Value",
         [book, sheet, range, one_cell](TableCall& call, VARIANT* result,
                                        EXCEPINFO* excep) -> HRESULT {
           if (range.is_whole_columns() || range.is_whole_rows()) {
             return Raise(excep, "試験用 Excel は行全体・列全体の値を扱いません。");
           }
           if (IsPut(call))
             return WriteRangeValue(*book, sheet, range, PutValue(call)->get(), excep);
           return ReadRangeValue(*book, sheet, range, one_cell, result, excep);
         });
}

// ColumnWidth, Font, NumberFormat and the alignments: the formatting of the cells.
void AddFormatMembers(TableDispatch& object, const State& state,
                      const std::shared_ptr<MemoryWorkbook>& book, int sheet,
                      const CellRange& range) {
  Member(object, state, "ColumnWidth",
         [book, sheet, range](TableCall& call, VARIANT* result, EXCEPINFO* excep) -> HRESULT {
           if (IsPut(call)) {
             Result<double> width = VariantToDouble(PutValue(call)->get());
             if (!width.ok()) return DISP_E_TYPEMISMATCH;
             Status set =
                 book->SetColumnWidth(sheet, range.first_column, range.last_column, *width);
             return set.ok() ? S_OK : RaiseStatus(excep, set);
           }
           Result<double> width = book->ColumnWidth(sheet, range.first_column);
           if (!width.ok()) return RaiseStatus(excep, width.status());
           return SetDouble(result, *width);
         });
  Member(object, state, "Font",
         [state, book, sheet, range](TableCall&, VARIANT* result, EXCEPINFO*) {
           return SetObject(result, MakeFont(state, book, sheet, range));
         });
  Member(object, state, "NumberFormat",
         [book, sheet, range](TableCall& call, VARIANT* result, EXCEPINFO* excep) -> HRESULT {
           if (IsPut(call)) {
             Result<std::string> code = VariantToUtf8(PutValue(call)->get());
             if (!code.ok()) return DISP_E_TYPEMISMATCH;
             Status set = book->SetNumberFormat(sheet, range, *code);
             return set.ok() ? S_OK : RaiseStatus(excep, set);
           }
           Result<CellFormat> format = book->GetFormat(sheet, range.first_row, range.first_column);
           if (!format.ok()) return RaiseStatus(excep, format.status());
           return SetText(result, format->number_format);
         });
  struct AlignmentMember {
    const char* name;
    AlignmentKind kind;
  };
  for (const AlignmentMember& a :
       {AlignmentMember{"HorizontalAlignment", AlignmentKind::kHorizontal},
        AlignmentMember{"VerticalAlignment", AlignmentKind::kVertical},
        AlignmentMember{"WrapText", AlignmentKind::kWrap}}) {
    const AlignmentKind kind = a.kind;
    Member(
        object, state, a.name,
        [book, sheet, range, kind](TableCall& call, VARIANT* result, EXCEPINFO* excep) -> HRESULT {
          if (IsPut(call)) {
            AlignmentChange change;
            if (!AlignmentChangeOf(kind, PutValue(call)->get(), change)) return DISP_E_TYPEMISMATCH;
            Status set = book->SetAlignment(sheet, range, change);
            return set.ok() ? S_OK : RaiseStatus(excep, set);
          }
          Result<CellFormat> format = book->GetFormat(sheet, range.first_row, range.first_column);
          if (!format.ok()) return RaiseStatus(excep, format.status());
          if (kind == AlignmentKind::kWrap) return SetBool(result, format->wrap_text);
          return SetInt(result, ExcelAlignmentOf(kind, *format));
        });
  }
}

// Copy and PasteSpecial: the formats of one cell pasted over the range.
void AddClipboardMembers(TableDispatch& object, const State& state,
                         const std::shared_ptr<MemoryWorkbook>& book, int sheet,
                         const CellRange& range) {
  Member(object, state, "Copy",
         [state, book, sheet, range](TableCall&, VARIANT*, EXCEPINFO* excep) -> HRESULT {
           if (state->hooks.clipboard_busy) return ClipboardBusy(excep);
           state->clip = {book, sheet, range};
           state->cut_copy_mode = true;
           return S_OK;
         });
  Member(object, state, "PasteSpecial",
         [state, book, sheet, range](TableCall& call, VARIANT*, EXCEPINFO* excep) -> HRESULT {
           if (!ArgIs(call, "Paste", 0, -4122) || !ArgIs(call, "Operation", 1, -4142) ||
               !ArgIsFalse(call, "SkipBlanks", 2) || !ArgIsFalse(call, "Transpose", 3)) {
             return Raise(excep,
                          "試験用 Excel の PasteSpecial は書式の貼り付けだけを受け付けます。");
           }
           if (state->hooks.clipboard_busy) return ClipboardBusy(excep);
           std::shared_ptr<MemoryWorkbook> from = state->clip.book.lock();
           if (!state->cut_copy_mode || from != book || state->clip.sheet != sheet) {
             return Raise(excep, "このシートからコピーされたセルがありません。");
           }
           Status copied = book->CopyFormat(sheet, state->clip.range.first_row,
                                            state->clip.range.first_column, range);
           return copied.ok() ? S_OK : RaiseStatus(excep, copied);
         },
         {"Paste", "Operation", "SkipBlanks", "Transpose"});
}

// Delete (whole rows, of every area) and Insert (whole columns).
void AddRowAndColumnMembers(TableDispatch& object, const State& state,
                            const std::shared_ptr<MemoryWorkbook>& book, int sheet,
                            const CellRange& range, const std::vector<RowRun>& areas) {
  Member(object, state, "Delete",
         [book, sheet, range, areas](TableCall& call, VARIANT*, EXCEPINFO* excep) -> HRESULT {
           if (!range.is_whole_rows() || !ArgIs(call, "Shift", 0, -4162)) {
             return Raise(excep, "試験用 Excel の Delete は行全体を上へ詰めるだけです。");
           }
           Status deleted = areas.empty()
                                ? book->DeleteRows(sheet, range.first_row, range.row_count())
                                : book->DeleteRowRuns(sheet, areas);
           return deleted.ok() ? S_OK : RaiseStatus(excep, deleted);
         },
         {"Shift"});
  Member(object, state, "Insert",
         [book, sheet, range](TableCall& call, VARIANT*, EXCEPINFO* excep) -> HRESULT {
           if (!range.is_whole_columns() || !ArgIs(call, "Shift", 0, -4161)) {
             return Raise(excep, "試験用 Excel の Insert は列全体を右へずらすだけです。");
           }
           for (int i = 0; i < range.column_count(); ++i) {
             Status inserted = book->InsertColumn(sheet, range.first_column);
             if (!inserted.ok()) return RaiseStatus(excep, inserted);
           }
           return S_OK;
         },
         {"Shift"});
}

// Find (the last cell with a value) and Sort (the rows by one or two keys).
void AddFindAndSortMembers(TableDispatch& object, const State& state,
                           const std::shared_ptr<MemoryWorkbook>& book, int sheet,
                           const CellRange& range) {
  Member(object, state, "Find",
         [state, book, sheet](TableCall& call, VARIANT* result, EXCEPINFO* excep) -> HRESULT {
           const VARIANT* what = Arg(call, "What", 0);
           Result<std::string> text =
               what != nullptr ? VariantToUtf8(*what) : Result<std::string>(std::string());
           if (!text.ok() || *text != "*" || !ArgIs(call, "SearchOrder", 4, 1) ||
               !ArgIs(call, "SearchDirection", 5, 2)) {
             return Raise(excep, "試験用 Excel の Find は最後の値のセルを探すだけです。");
           }
           Result<int> last = book->LastFilledRow(sheet);
           if (!last.ok()) return RaiseStatus(excep, last.status());
           if (*last == 0) return SetObject(result, nullptr);  // Nothing
           int column = 1;
           for (int c = kExcelMaxColumns; c >= 1; --c) {
             Result<CellValue> cell = book->GetCell(sheet, *last, c);
             if (cell.ok() && !cell->is_empty()) {
               column = c;
               break;
             }
           }
           return SetObject(result, MakeRange(state, book, sheet, CellRange::Cell(*last, column)));
         },
         {"What", "After", "LookIn", "LookAt", "SearchOrder", "SearchDirection", "MatchCase"});
  Member(object, state, "Sort",
         [book, sheet](TableCall& call, VARIANT*, EXCEPINFO* excep) -> HRESULT {
           // Positions as in Excel's Sort: Key1, Order1, Key2, Type, Order2, Key3, Order3,
           // Header, OrderCustom, MatchCase, Orientation, SortMethod.
           const VARIANT* key = Arg(call, "Key1", 0);
           const VARIANT* key2 = Arg(call, "Key2", 2);
           if (key == nullptr || !ArgIs(call, "Order1", 1, 1) || !ArgIs(call, "Header", 7, 2) ||
               (key2 != nullptr && !ArgIs(call, "Order2", 4, 1)) ||
               !ArgIs(call, "OrderCustom", 8, 1) || !ArgIsFalse(call, "MatchCase", 9) ||
               !ArgIs(call, "Orientation", 10, 1) || !ArgIs(call, "SortMethod", 11, 1)) {
             return Raise(excep,
                          "試験用 Excel の Sort はミルネの並べ替えの引数だけを受け付けます。");
           }
           Result<int32_t> column = IndexOfObject(*key, "Column");
           if (!column.ok()) return Raise(excep, "Key1 がセルではありません。");
           Status sorted;
           if (key2 != nullptr) {
             Result<int32_t> column2 = IndexOfObject(*key2, "Column");
             if (!column2.ok()) return Raise(excep, "Key2 がセルではありません。");
             sorted = book->SortRowsByTwoKeys(sheet, *column, *column2);
           } else {
             sorted = book->SortRows(sheet, *column);
           }
           return sorted.ok() ? S_OK : RaiseStatus(excep, sorted);
         },
         {"Key1", "Order1", "Key2", "Type", "Order2", "Key3", "Order3", "Header", "OrderCustom",
          "MatchCase", "Orientation", "SortMethod"});
}

// `areas`: the row runs of a range of several areas ("3:4,9:9"), which Excel deletes together;
// `range` is then its first area. Every range object has the same members in the same order,
// as the client caches their DISPIDs per object type.
ComPtr<IDispatch> MakeRange(const State& state, std::shared_ptr<MemoryWorkbook> book, int sheet,
                            CellRange range, std::vector<RowRun> areas) {
  ComPtr<TableDispatch> object = TableDispatch::Make(state->counters);
  const bool one_cell =
      range.first_row == range.last_row && range.first_column == range.last_column;
  AddPositionMembers(*object, state, book, sheet, range);
  AddValueMember(*object, state, book, sheet, range, one_cell);
  AddFormatMembers(*object, state, book, sheet, range);
  AddClipboardMembers(*object, state, book, sheet, range);
  AddRowAndColumnMembers(*object, state, book, sheet, range, areas);
  AddFindAndSortMembers(*object, state, book, sheet, range);
  return object;
}

// A range of several areas ("3:4,9:9"): whole rows only, and addresses of at most 255
// characters, as Excel's.
HRESULT MakeRowAreas(const State& state, std::shared_ptr<MemoryWorkbook> book, int sheet,
                     const std::string& address, VARIANT* result, EXCEPINFO* excep) {
  if (address.size() > 255) return Raise(excep, "範囲のアドレスが 255 文字を超えています。");
  std::vector<RowRun> runs;
  size_t start = 0;
  while (start <= address.size()) {
    const size_t comma = std::min(address.find(',', start), address.size());
    Result<CellRange> area =
        ParseRangeAddress(std::string_view(address).substr(start, comma - start));
    if (!area.ok()) return RaiseStatus(excep, area.status());
    if (!area->is_whole_rows()) return Raise(excep, "試験用 Excel の複数範囲は行全体だけです。");
    runs.push_back({area->first_row, area->row_count()});
    start = comma + 1;
  }
  std::sort(runs.begin(), runs.end(),
            [](const RowRun& a, const RowRun& b) { return a.first_row < b.first_row; });
  const CellRange first = CellRange::Rows(runs[0].first_row, runs[0].first_row + runs[0].count - 1);
  return SetObject(result, MakeRange(state, std::move(book), sheet, first, std::move(runs)));
}

// --- Worksheet, Sheets, Workbook ---

ComPtr<IDispatch> MakeWorksheet(const State& state, std::shared_ptr<MemoryWorkbook> book,
                                int sheet) {
  ComPtr<TableDispatch> object = TableDispatch::Make(state->counters);
  Member(*object, state, "Index",
         [sheet](TableCall&, VARIANT* result, EXCEPINFO*) { return SetInt(result, sheet); });
  Member(*object, state, "Name",
         [book, sheet](TableCall& call, VARIANT* result, EXCEPINFO* excep) -> HRESULT {
           if (IsPut(call)) {
             Result<std::string> name = VariantToUtf8(PutValue(call)->get());
             if (!name.ok()) return DISP_E_TYPEMISMATCH;
             Status renamed = book->RenameSheet(sheet, *name);
             return renamed.ok() ? S_OK : RaiseStatus(excep, renamed);
           }
           Result<std::string> name = book->SheetName(sheet);
           if (!name.ok()) return RaiseStatus(excep, name.status());
           return SetText(result, *name);
         });
  Member(*object, state, "Activate", [book, sheet](TableCall&, VARIANT*, EXCEPINFO* excep) {
    Status activated = book->ActivateSheet(sheet);
    return activated.ok() ? S_OK : RaiseStatus(excep, activated);
  });
  Member(*object, state, "Copy",
         [book, sheet](TableCall& call, VARIANT*, EXCEPINFO* excep) -> HRESULT {
           const VARIANT* after = Arg(call, "After", 1);
           if (after == nullptr)
             return Raise(excep, "試験用 Excel の Copy には After が要ります。");
           Result<int32_t> position = IndexOfObject(*after, "Index");
           if (!position.ok()) return Raise(excep, "After がシートではありません。");
           Result<int> copied = book->CopySheet(sheet, *position);
           return copied.ok() ? S_OK : RaiseStatus(excep, copied.status());
         },
         {"Before", "After"});
  Member(*object, state, "Delete",
         [state, book, sheet](TableCall&, VARIANT* result, EXCEPINFO* excep) -> HRESULT {
           if (state->display_alerts) {
             return Raise(excep, "シートの削除の確認が表示されました（DisplayAlerts が True）。");
           }
           Status deleted = book->DeleteSheet(sheet);
           if (!deleted.ok()) return RaiseStatus(excep, deleted);
           return SetBool(result, true);
         });
  Member(*object, state, "Range",
         [state, book, sheet](TableCall& call, VARIANT* result, EXCEPINFO* excep) -> HRESULT {
           if (call.args.size() != 1) return DISP_E_BADPARAMCOUNT;
           Result<std::string> address = VariantToUtf8(call.args[0].get());
           if (!address.ok()) return DISP_E_TYPEMISMATCH;
           if (address->find(',') != std::string::npos) {
             return MakeRowAreas(state, book, sheet, *address, result, excep);
           }
           Result<CellRange> range = ParseRangeAddress(*address);
           if (!range.ok()) return RaiseStatus(excep, range.status());
           return SetObject(result, MakeRange(state, book, sheet, *range));
         });
  Member(*object, state, "Cells",
         [state, book, sheet](TableCall& call, VARIANT* result, EXCEPINFO*) -> HRESULT {
           if (!call.args.empty()) return DISP_E_BADPARAMCOUNT;
           return SetObject(result,
                            MakeRange(state, book, sheet, CellRange::Columns(1, kExcelMaxColumns)));
         });
  return object;
}

ComPtr<IDispatch> MakeSheets(const State& state, std::shared_ptr<MemoryWorkbook> book) {
  ComPtr<TableDispatch> object = TableDispatch::Make(state->counters);
  Member(*object, state, "Count", [book](TableCall&, VARIANT* result, EXCEPINFO*) {
    return SetInt(result, book->SheetCount());
  });
  Member(*object, state, "Item",
         [state, book](TableCall& call, VARIANT* result, EXCEPINFO*) -> HRESULT {
           if (call.args.size() != 1) return DISP_E_BADPARAMCOUNT;
           Result<int32_t> index = VariantToInt32(call.args[0].get());
           if (!index.ok()) return DISP_E_TYPEMISMATCH;
           if (*index < 1 || *index > book->SheetCount()) return DISP_E_BADINDEX;
           return SetObject(result, MakeWorksheet(state, book, *index));
         });
  Member(*object, state, "Add",
         [state, book](TableCall& call, VARIANT* result, EXCEPINFO* excep) -> HRESULT {
           const VARIANT* after = Arg(call, "After", 1);
           if (after == nullptr) return Raise(excep, "試験用 Excel の Add には After が要ります。");
           Result<int32_t> position = IndexOfObject(*after, "Index");
           if (!position.ok() || *position != book->SheetCount()) {
             return Raise(excep, "試験用 Excel は最後のシートの後にだけ追加します。");
           }
           // Excel's own name for a new sheet.
           for (int n = book->SheetCount() + 1;; ++n) {
             const std::string name = "Sheet" + std::to_string(n);
             if (book->FindSheet(name).ok()) continue;
             Result<int> added = book->AddSheet(name);
             if (!added.ok()) return RaiseStatus(excep, added.status());
             (void)book->ActivateSheet(*added);
             return SetObject(result, MakeWorksheet(state, book, *added));
           }
         },
         {"Before", "After", "Count", "Type"});
  return object;
}

ComPtr<IDispatch> MakeWorkbook(const State& state, std::shared_ptr<MemoryWorkbook> book) {
  ComPtr<TableDispatch> object = TableDispatch::Make(state->counters);
  Member(*object, state, "Sheets", [state, book](TableCall&, VARIANT* result, EXCEPINFO*) {
    return SetObject(result, MakeSheets(state, book));
  });
  Member(*object, state, "ActiveSheet", [state, book](TableCall&, VARIANT* result, EXCEPINFO*) {
    return SetObject(result, MakeWorksheet(state, book, book->ActiveSheet()));
  });
  Member(*object, state, "SaveAs",
         [book](TableCall& call, VARIANT*, EXCEPINFO* excep) -> HRESULT {
           const VARIANT* file_name = Arg(call, "Filename", 0);
           if (file_name == nullptr || !ArgIs(call, "FileFormat", 1, -4143) ||
               !ArgIsFalse(call, "CreateBackup", 5)) {
             return Raise(excep, "試験用 Excel の SaveAs は Excel 97-2003 形式の保存だけです。");
           }
           Result<std::string> path = VariantToUtf8(*file_name);
           if (!path.ok()) return DISP_E_TYPEMISMATCH;
           Status saved = book->SaveAs(*path);
           return saved.ok() ? S_OK : RaiseStatus(excep, saved);
         },
         {"Filename", "FileFormat", "Password", "WriteResPassword", "ReadOnlyRecommended",
          "CreateBackup"});
  return object;
}

ComPtr<IDispatch> MakeWorkbooks(const State& state) {
  ComPtr<TableDispatch> object = TableDispatch::Make(state->counters);
  auto adopt = [state](std::shared_ptr<MemoryWorkbook> book, VARIANT* result) {
    state->workbooks.push_back(book);
    state->active = book;
    return SetObject(result, MakeWorkbook(state, std::move(book)));
  };
  Member(*object, state, "Count", [state](TableCall&, VARIANT* result, EXCEPINFO*) {
    return SetInt(result, static_cast<int32_t>(state->workbooks.size()));
  });
  Member(*object, state, "Add", [adopt](TableCall&, VARIANT* result, EXCEPINFO*) {
    return adopt(std::make_shared<MemoryWorkbook>(), result);
  });
  Member(*object, state, "Open",
         [adopt](TableCall& call, VARIANT* result, EXCEPINFO* excep) -> HRESULT {
           const VARIANT* file_name = Arg(call, "Filename", 0);
           if (file_name == nullptr) return DISP_E_PARAMNOTFOUND;
           Result<std::string> path = VariantToUtf8(*file_name);
           if (!path.ok()) return DISP_E_TYPEMISMATCH;
           Result<std::unique_ptr<MemoryWorkbook>> book = OpenXlsWorkbook(*path);
           if (!book.ok()) return RaiseStatus(excep, book.status());
           return adopt(std::shared_ptr<MemoryWorkbook>(std::move(book).value()), result);
         },
         {"Filename"});
  return object;
}

HRESULT BoolProperty(bool& field, TableCall& call, VARIANT* result) {
  if (IsPut(call)) {
    Result<bool> value = VariantToBool(PutValue(call)->get());
    if (!value.ok()) return DISP_E_TYPEMISMATCH;
    field = *value;
    return S_OK;
  }
  return SetBool(result, field);
}

}  // namespace

ComPtr<IDispatch> MakeExcelDispatch(ExcelServerHooks hooks) {
  State state = std::make_shared<ServerState>();
  state->hooks = std::move(hooks);
  ComPtr<TableDispatch> application = TableDispatch::Make(state->counters);
  Member(*application, state, "Name", testing::ReturnText("Microsoft Excel"));
  // Application.Version as Excel 2016 and later report it.
  Member(*application, state, "Version", testing::ReturnText("16.0"));
  Member(*application, state, "Workbooks", [state](TableCall&, VARIANT* result, EXCEPINFO*) {
    return SetObject(result, MakeWorkbooks(state));
  });
  Member(*application, state, "ActiveWorkbook", [state](TableCall&, VARIANT* result, EXCEPINFO*) {
    if (!state->active || state->hooks.protected_view) return SetObject(result, nullptr);
    return SetObject(result, MakeWorkbook(state, state->active));
  });
  Member(*application, state, "ProtectedViewWindows",
         [state](TableCall&, VARIANT* result, EXCEPINFO*) {
           ComPtr<TableDispatch> windows = TableDispatch::Make(state->counters);
           const int32_t count = state->hooks.protected_view && state->active ? 1 : 0;
           Member(*windows, state, "Count", testing::ReturnInt32(count));
           return SetObject(result, ComPtr<IDispatch>(windows.Get()));
         });
  Member(*application, state, "DisplayAlerts",
         [state](TableCall& call, VARIANT* result, EXCEPINFO*) {
           return BoolProperty(state->display_alerts, call, result);
         });
  Member(*application, state, "Visible", [state](TableCall& call, VARIANT* result, EXCEPINFO*) {
    return BoolProperty(state->visible, call, result);
  });
  Member(*application, state, "CutCopyMode", [state](TableCall& call, VARIANT* result, EXCEPINFO*) {
    return BoolProperty(state->cut_copy_mode, call, result);
  });
  // The test switches: not counted, never failing.
  auto count_switch = [state](long long& field) {
    return [state, &field](TableCall& call, VARIANT*, EXCEPINFO*) -> HRESULT {
      if (call.args.size() != 1) return DISP_E_BADPARAMCOUNT;
      Result<int32_t> n = VariantToInt32(call.args[0].get());
      if (!n.ok()) return DISP_E_TYPEMISMATCH;
      field = *n < 0 ? -1 : state->calls + *n;
      return S_OK;
    };
  };
  application->Add("TestFailAfter", count_switch(state->fail_after));
  application->Add("TestExitAfter", count_switch(state->exit_after));
  application->Add("TestRejectAfter", count_switch(state->reject_after));
  application->Add("TestCalls", [state](TableCall&, VARIANT* result, EXCEPINFO*) {
    return SetInt(result, static_cast<int32_t>(state->calls));
  });
  application->Add("BeBusy", [state](TableCall& call, VARIANT*, EXCEPINFO*) -> HRESULT {
    if (call.args.size() != 1) return DISP_E_BADPARAMCOUNT;
    Result<int32_t> ms = VariantToInt32(call.args[0].get());
    if (!ms.ok()) return DISP_E_TYPEMISMATCH;
    if (state->hooks.be_busy) state->hooks.be_busy(static_cast<DWORD>(*ms));
    return S_OK;
  });
  application->Add("Quit", [state](TableCall&, VARIANT*, EXCEPINFO*) -> HRESULT {
    if (state->hooks.quit) state->hooks.quit();
    return S_OK;
  });
  return application;
}

}  // namespace mirune::com
