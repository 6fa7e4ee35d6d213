#include "automation/excel_engine/xls/workbook_writer.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <utility>
#include <vector>

#include "automation/excel_engine/xls/biff_stream.h"
#include "automation/excel_engine/xls/cfb_writer.h"
#include "automation/excel_engine/xls/sst_writer.h"
#include "base/utf.h"

namespace mirune::xls {
namespace {

constexpr size_t kMaxTextUnits = 32767;
constexpr uint16_t kFirstCustomFormat = 164;
constexpr uint16_t kDefaultCellXf = 15;

// Number formats every Excel knows by index; others get a FORMAT record.
int BuiltInFormat(std::string_view code) {
  if (code == "General" || code == "G/標準") return 0;
  if (code == "0") return 1;
  if (code == "0.00") return 2;
  if (code == "#,##0") return 3;
  if (code == "#,##0.00") return 4;
  if (code == "0%") return 9;
  if (code == "0.00%") return 10;
  if (code == "@") return 49;
  return -1;
}

uint8_t HorizontalCode(HorizontalAlignment h) {
  switch (h) {
    case HorizontalAlignment::kGeneral:
      return 0;
    case HorizontalAlignment::kLeft:
      return 1;
    case HorizontalAlignment::kCenter:
      return 2;
    case HorizontalAlignment::kRight:
      return 3;
  }
  return 0;
}

uint8_t VerticalCode(VerticalAlignment v) {
  switch (v) {
    case VerticalAlignment::kTop:
      return 0;
    case VerticalAlignment::kCenter:
      return 1;
    case VerticalAlignment::kBottom:
      return 2;
  }
  return 2;
}

uint16_t XfOfStyle(uint16_t style) { return static_cast<uint16_t>(kDefaultCellXf + style); }

// A short string (1-byte length) as in FONT and BOUNDSHEET.
void ShortString(BiffWriter& out, std::u16string_view s) {
  const bool compressed = FitsCompressed(s);
  out.U8(static_cast<uint8_t>(s.size()));
  out.U8(compressed ? 0 : 1);
  out.Units(s.data(), s.size(), compressed);
}

// A string with a 2-byte length, as in FORMAT.
void LongString(BiffWriter& out, std::u16string_view s) {
  const bool compressed = FitsCompressed(s);
  out.U16(static_cast<uint16_t>(s.size()));
  out.U8(compressed ? 0 : 1);
  out.Units(s.data(), s.size(), compressed);
}

bool HasNonAscii(std::string_view s) {
  for (unsigned char c : s) {
    if (c >= 0x80) return true;
  }
  return false;
}

void WriteFont(BiffWriter& out, const std::string& name, int height) {
  out.BeginRecord(record::kFont);
  out.U16(static_cast<uint16_t>(height));
  out.U16(0);       // not italic, not struck out
  out.U16(0x7FFF);  // automatic colour
  out.U16(400);     // normal weight
  out.U16(0);       // no super- or subscript
  out.U8(0);        // no underline
  out.U8(0);        // family not specified
  // Japanese fonts carry the Shift-JIS character set so Excel picks the right glyphs.
  out.U8(HasNonAscii(name) ? 128 : 0);
  out.U8(0);
  ShortString(out, Utf8ToUtf16(name));
  out.EndRecord();
}

void WriteXf(BiffWriter& out, uint16_t font, uint16_t format, uint16_t flags, uint8_t alignment,
             uint8_t used) {
  out.BeginRecord(record::kXf);
  out.U16(font);
  out.U16(format);
  out.U16(flags);
  out.U8(alignment);
  out.U8(0);  // no rotation
  out.U8(0);  // no indent, no shrink, context reading order
  out.U8(used);
  out.U32(0);       // no borders
  out.U32(0);       // border colours, no diagonal
  out.U16(0x20C0);  // pattern colours: automatic foreground 64, background 65
  out.EndRecord();
}

struct SheetLayout {
  bool empty = true;
  uint32_t first_row = 0, last_row = 0;
  uint16_t first_column = 0, last_column = 0;
};

bool CellIsWritten(const ModelSheet& sheet, const ModelCell& cell, size_t column_index) {
  return cell.type != CellType::kEmpty || cell.style != sheet.column_styles[column_index];
}

SheetLayout Measure(const ModelSheet& sheet) {
  SheetLayout layout;
  for (size_t r = 0; r < sheet.rows.size(); ++r) {
    const ModelRow* row = sheet.rows.Find(r);
    for (size_t c = 0; c < row->cells.size(); ++c) {
      if (!CellIsWritten(sheet, row->cells[c], c)) continue;
      if (layout.empty) {
        layout.empty = false;
        layout.first_row = layout.last_row = static_cast<uint32_t>(r);
        layout.first_column = layout.last_column = static_cast<uint16_t>(c);
      } else {
        layout.last_row = static_cast<uint32_t>(r);
        layout.first_column = std::min(layout.first_column, static_cast<uint16_t>(c));
        layout.last_column = std::max(layout.last_column, static_cast<uint16_t>(c));
      }
    }
  }
  return layout;
}

uint16_t WidthUnits(double width) {
  if (width < 0) width = kStandardColumnWidth;
  return static_cast<uint16_t>(std::lround(width * 256));
}

class Writer {
 public:
  explicit Writer(const WorkbookModel& model) : model_(model) {}

  Result<std::string> Run() {
    MIRUNE_RETURN_IF_ERROR(CollectStrings());
    out_.Reserve(EstimateSize());
    WriteGlobals();
    for (size_t i = 0; i < model_.sheets.size(); ++i) {
      out_.PatchU32(boundsheet_offsets_[i], static_cast<uint32_t>(out_.position()));
      WriteSheet(model_.sheets[i], i == model_.active);
    }
    return std::move(out_.bytes());
  }

 private:
  Status CollectStrings() {
    sst_index_.assign(model_.strings.size(), -1);
    for (const ModelSheet& sheet : model_.sheets) {
      if (sheet.rows.size() > static_cast<size_t>(kExcelMaxRows)) {
        return Status(ErrorCode::kOverflow, "sheet \"" + sheet.name + "\" has more than " +
                                                std::to_string(kExcelMaxRows) + " rows");
      }
      for (size_t r = 0; r < sheet.rows.size(); ++r) {
        const ModelRow* row = sheet.rows.Find(r);
        if (row->cells.size() > static_cast<size_t>(kExcelMaxColumns)) {
          return Status(ErrorCode::kOverflow, "sheet \"" + sheet.name + "\" has more than " +
                                                  std::to_string(kExcelMaxColumns) + " columns");
        }
        for (const ModelCell& cell : row->cells) {
          if (cell.type != CellType::kText) continue;
          ++sst_total_;
          if (sst_index_[cell.ref] >= 0) continue;
          std::u16string text = Utf8ToUtf16(model_.strings[cell.ref]);
          if (text.size() > kMaxTextUnits) {
            return Status(ErrorCode::kOverflow,
                          "sheet \"" + sheet.name + "\" row " + std::to_string(r + 1) +
                              ": a text longer than 32,767 characters cannot be saved");
          }
          sst_index_[cell.ref] = static_cast<int32_t>(sst_strings_.size());
          sst_strings_.push_back(std::move(text));
        }
      }
    }
    return Status::Ok();
  }

  size_t EstimateSize() const {
    size_t cells = 0;
    for (const ModelSheet& sheet : model_.sheets) {
      for (size_t r = 0; r < sheet.rows.size(); ++r) cells += sheet.rows.Find(r)->cells.size();
    }
    size_t text = 0;
    for (const auto& s : sst_strings_) text += 3 + 2 * s.size();
    return 4096 + cells * 14 + text + text / 8000 * 5;
  }

  void WriteGlobals() {
    out_.BeginRecord(record::kBof);
    out_.U16(0x0600);  // BIFF8
    out_.U16(0x0005);  // workbook globals
    out_.U16(0x0DBB);  // build
    out_.U16(0x07CC);  // year
    out_.U32(0);
    out_.U32(0x06);  // lowest version that can read the file: BIFF8
    out_.EndRecord();

    out_.BeginRecord(record::kCodePage);
    out_.U16(1200);  // strings are UTF-16
    out_.EndRecord();

    out_.BeginRecord(record::kDateMode);
    out_.U16(0);  // dates from 1900
    out_.EndRecord();

    out_.BeginRecord(record::kWindow1);
    out_.U16(0x0168);
    out_.U16(0x001E);
    out_.U16(0x3A5C);
    out_.U16(0x23BE);
    out_.U16(0x0038);  // horizontal and vertical scroll bars, sheet tabs shown
    out_.U16(static_cast<uint16_t>(model_.active));
    out_.U16(0);  // first tab shown
    out_.U16(1);  // one sheet selected
    out_.U16(600);
    out_.EndRecord();

    WriteFonts();
    WriteFormats();
    WriteXfs();

    out_.BeginRecord(record::kStyle);
    out_.U16(0x8000);  // built-in style on XF 0
    out_.U8(0);        // "Normal"
    out_.U8(0xFF);
    out_.EndRecord();

    for (const ModelSheet& sheet : model_.sheets) {
      out_.BeginRecord(record::kBoundSheet);
      boundsheet_offsets_.push_back(out_.position());
      out_.U32(0);  // patched when the sheet's BOF is written
      out_.U8(0);   // visible
      out_.U8(0);   // worksheet
      ShortString(out_, Utf8ToUtf16(sheet.name));
      out_.EndRecord();
    }

    WriteSst(out_, sst_strings_, sst_total_);

    out_.BeginRecord(record::kEof);
    out_.EndRecord();
  }

  void WriteFonts() {
    // Fonts 0-3 are the standard font (Excel's outline styles point at 1-3); index 4 is
    // skipped by the format itself, so the fonts of the styles start at 5.
    const CellFormat& standard = model_.styles.at(0);
    for (int i = 0; i < 4; ++i) WriteFont(out_, standard.font_name, standard.font_height_twips);
    std::map<std::pair<std::string, int>, uint16_t> fonts;
    fonts[{standard.font_name, standard.font_height_twips}] = 0;
    style_fonts_.resize(model_.styles.size());
    uint16_t next = 5;
    for (size_t s = 0; s < model_.styles.size(); ++s) {
      const CellFormat& f = model_.styles.at(static_cast<uint16_t>(s));
      auto [it, added] = fonts.try_emplace({f.font_name, f.font_height_twips}, next);
      if (added) {
        WriteFont(out_, f.font_name, f.font_height_twips);
        ++next;
      }
      style_fonts_[s] = it->second;
    }
  }

  void WriteFormats() {
    std::map<std::string, uint16_t> custom;
    style_formats_.resize(model_.styles.size());
    for (size_t s = 0; s < model_.styles.size(); ++s) {
      const std::string& code = model_.styles.at(static_cast<uint16_t>(s)).number_format;
      const int built_in = BuiltInFormat(code);
      if (built_in >= 0) {
        style_formats_[s] = static_cast<uint16_t>(built_in);
        continue;
      }
      auto [it, added] =
          custom.try_emplace(code, static_cast<uint16_t>(kFirstCustomFormat + custom.size()));
      if (added) {
        out_.BeginRecord(record::kFormat);
        out_.U16(it->second);
        LongString(out_, Utf8ToUtf16(code));
        out_.EndRecord();
      }
      style_formats_[s] = it->second;
    }
  }

  void WriteXfs() {
    // XF 0: the Normal style; 1-14: the outline styles Excel expects; 15: the default cell XF.
    WriteXf(out_, 0, 0, 0xFFF5, 0x20, 0x00);
    for (int i = 1; i <= 14; ++i) {
      const uint16_t font = (i == 1 || i == 2) ? 1 : (i == 3 || i == 4) ? 2 : 0;
      WriteXf(out_, font, 0, 0xFFF5, 0x20, 0xF4);
    }
    // XF 15 + s is style s of the model (style 0, the standard format, is XF 15 itself).
    for (size_t s = 0; s < model_.styles.size(); ++s) {
      const CellFormat& f = model_.styles.at(static_cast<uint16_t>(s));
      const uint8_t alignment =
          static_cast<uint8_t>(HorizontalCode(f.horizontal) | (f.wrap_text ? 0x08 : 0) |
                               (VerticalCode(f.vertical) << 4));
      WriteXf(out_, style_fonts_[s], style_formats_[s], 0x0001, alignment, s == 0 ? 0x00 : 0xFC);
    }
  }

  void WriteSheet(const ModelSheet& sheet, bool active) {
    out_.BeginRecord(record::kBof);
    out_.U16(0x0600);
    out_.U16(0x0010);  // worksheet
    out_.U16(0x0DBB);
    out_.U16(0x07CC);
    out_.U32(0);
    out_.U32(0x06);
    out_.EndRecord();

    out_.BeginRecord(record::kDefaultRowHeight);
    out_.U16(0);
    out_.U16(270);  // 13.5 pt, the row height of the standard font
    out_.EndRecord();

    out_.BeginRecord(record::kWsBool);
    out_.U16(0x04C1);
    out_.EndRecord();

    out_.BeginRecord(record::kDefColWidth);
    out_.U16(8);
    out_.EndRecord();

    WriteColumnInfo(sheet);

    const SheetLayout layout = Measure(sheet);
    out_.BeginRecord(record::kDimensions);
    if (layout.empty) {
      out_.Zeros(14);
    } else {
      out_.U32(layout.first_row);
      out_.U32(layout.last_row + 1);
      out_.U16(layout.first_column);
      out_.U16(static_cast<uint16_t>(layout.last_column + 1));
      out_.U16(0);
    }
    out_.EndRecord();

    for (size_t r = 0; r < sheet.rows.size(); ++r) WriteRow(sheet, static_cast<uint16_t>(r));

    out_.BeginRecord(record::kWindow2);
    out_.U16(active ? 0x06B6 : 0x00B6);
    out_.U16(0);   // top row
    out_.U16(0);   // left column
    out_.U16(64);  // automatic grid line colour
    out_.U16(0);
    out_.U16(0);
    out_.U16(0);
    out_.U16(0);
    out_.U16(0);
    out_.EndRecord();

    out_.BeginRecord(record::kEof);
    out_.EndRecord();
  }

  void WriteColumnInfo(const ModelSheet& sheet) {
    size_t c = 0;
    while (c < static_cast<size_t>(kExcelMaxColumns)) {
      const double width = sheet.widths[c];
      const uint16_t style = sheet.column_styles[c];
      if (width < 0 && style == 0) {
        ++c;
        continue;
      }
      size_t last = c;
      while (last + 1 < static_cast<size_t>(kExcelMaxColumns) && sheet.widths[last + 1] == width &&
             sheet.column_styles[last + 1] == style) {
        ++last;
      }
      out_.BeginRecord(record::kColInfo);
      out_.U16(static_cast<uint16_t>(c));
      out_.U16(static_cast<uint16_t>(last));
      out_.U16(WidthUnits(width));
      out_.U16(XfOfStyle(style));
      out_.U16(width >= 0 ? 0x0002 : 0x0000);  // width set by the user
      out_.U16(0);
      out_.EndRecord();
      c = last + 1;
    }
  }

  void WriteRow(const ModelSheet& sheet, uint16_t r) {
    const ModelRow* row = sheet.rows.Find(r);
    const auto& cells = row->cells;
    size_t c = 0;
    while (c < cells.size()) {
      const ModelCell& cell = cells[c];
      const uint16_t xf = XfOfStyle(cell.style);
      if (cell.type == CellType::kText) {
        out_.BeginRecord(record::kLabelSst);
        out_.U16(r);
        out_.U16(static_cast<uint16_t>(c));
        out_.U16(xf);
        out_.U32(static_cast<uint32_t>(sst_index_[cell.ref]));
        out_.EndRecord();
        ++c;
        continue;
      }
      if (cell.type == CellType::kNumber) {
        WriteNumber(r, static_cast<uint16_t>(c), xf, model_.numbers[cell.ref]);
        ++c;
        continue;
      }
      if (!CellIsWritten(sheet, cell, c)) {
        ++c;
        continue;
      }
      // A run of formatted empty cells: one BLANK, or one MULBLANK for two or more.
      size_t end = c + 1;
      while (end < cells.size() && cells[end].type == CellType::kEmpty &&
             CellIsWritten(sheet, cells[end], end)) {
        ++end;
      }
      if (end - c == 1) {
        out_.BeginRecord(record::kBlank);
        out_.U16(r);
        out_.U16(static_cast<uint16_t>(c));
        out_.U16(xf);
        out_.EndRecord();
      } else {
        out_.BeginRecord(record::kMulBlank);
        out_.U16(r);
        out_.U16(static_cast<uint16_t>(c));
        for (size_t k = c; k < end; ++k) out_.U16(XfOfStyle(cells[k].style));
        out_.U16(static_cast<uint16_t>(end - 1));
        out_.EndRecord();
      }
      c = end;
    }
  }

  void WriteNumber(uint16_t r, uint16_t c, uint16_t xf, double v) {
    // Integers of 30 bits fit an RK value: the number shifted left by two, flag bit 1 set.
    if (std::floor(v) == v && v >= -536870912.0 && v <= 536870911.0) {
      const auto n = static_cast<int32_t>(v);
      out_.BeginRecord(record::kRk);
      out_.U16(r);
      out_.U16(c);
      out_.U16(xf);
      out_.U32((static_cast<uint32_t>(n) << 2) | 2u);
      out_.EndRecord();
      return;
    }
    out_.BeginRecord(record::kNumber);
    out_.U16(r);
    out_.U16(c);
    out_.U16(xf);
    out_.F64(v);
    out_.EndRecord();
  }

  const WorkbookModel& model_;
  BiffWriter out_;
  std::vector<int32_t> sst_index_;  // by string table index; -1 unused
  std::vector<std::u16string> sst_strings_;
  uint32_t sst_total_ = 0;
  std::vector<uint16_t> style_fonts_;
  std::vector<uint16_t> style_formats_;
  std::vector<size_t> boundsheet_offsets_;
};

}  // namespace

Result<std::string> WriteWorkbookStream(const WorkbookModel& model) { return Writer(model).Run(); }

Result<std::string> WriteXlsWorkbook(const WorkbookModel& model) {
  MIRUNE_ASSIGN_OR_RETURN(const std::string stream, WriteWorkbookStream(model));
  return WrapInCompoundFile(stream);
}

}  // namespace mirune::xls
