#include "automation/com/variant_grid_win.h"

#include "automation/com/hresult_text.h"

namespace mirune::com {

namespace {

Error ArrayFailure(const char* what, HRESULT hr) {
  return Error{ErrorCode::kHostError,
               std::string(what) + "（" + HresultDetail(static_cast<uint32_t>(hr)) + "）"};
}

}  // namespace

Result<UniqueVariant> GridToVariant(const VariantGrid& grid) {
  if (grid.rows < 1 || grid.columns < 1 ||
      grid.cells.size() != static_cast<size_t>(grid.rows) * grid.columns) {
    return Error{ErrorCode::kInvalidArgument, "表の大きさと値の数が合いません"};
  }
  SAFEARRAYBOUND bounds[2] = {{static_cast<ULONG>(grid.rows), 1},
                              {static_cast<ULONG>(grid.columns), 1}};
  SAFEARRAY* array = SafeArrayCreate(VT_VARIANT, 2, bounds);
  if (array == nullptr) return Error{ErrorCode::kInternal, "表のメモリが足りません"};
  UniqueVariant result;
  result.get_mut()->vt = VT_ARRAY | VT_VARIANT;
  result.get_mut()->parray = array;  // owned by `result` from here on
  for (int32_t r = 0; r < grid.rows; ++r) {
    for (int32_t c = 0; c < grid.columns; ++c) {
      LONG index[2] = {r + 1, c + 1};
      // SafeArrayPutElement copies the VARIANT.
      const HRESULT hr =
          SafeArrayPutElement(array, index, const_cast<VARIANT*>(&grid.at(r, c).get()));
      if (FAILED(hr)) return ArrayFailure("表に値を入れられません", hr);
    }
  }
  return result;
}

Result<VariantGrid> VariantToGrid(const VARIANT& value) {
  VariantGrid grid;
  if ((value.vt & VT_ARRAY) == 0) {
    UniqueVariant copy;
    const HRESULT hr = VariantCopy(copy.get_mut(), const_cast<VARIANT*>(&value));
    if (FAILED(hr)) return ArrayFailure("値を複製できません", hr);
    grid.rows = grid.columns = 1;
    grid.cells.push_back(std::move(copy));
    return grid;
  }
  if (value.vt != (VT_ARRAY | VT_VARIANT) || value.parray == nullptr ||
      SafeArrayGetDim(value.parray) != 2) {
    return Error{ErrorCode::kHostError, "返された値が二次元の表ではありません"};
  }
  SAFEARRAY* array = value.parray;
  LONG row_low = 0, row_high = 0, column_low = 0, column_high = 0;
  SafeArrayGetLBound(array, 1, &row_low);
  SafeArrayGetUBound(array, 1, &row_high);
  SafeArrayGetLBound(array, 2, &column_low);
  SafeArrayGetUBound(array, 2, &column_high);
  grid.rows = static_cast<int32_t>(row_high - row_low + 1);
  grid.columns = static_cast<int32_t>(column_high - column_low + 1);
  if (grid.rows < 0 || grid.columns < 0) grid.rows = grid.columns = 0;
  grid.cells.reserve(static_cast<size_t>(grid.rows) * grid.columns);
  for (LONG r = row_low; r <= row_high; ++r) {
    for (LONG c = column_low; c <= column_high; ++c) {
      LONG index[2] = {r, c};
      UniqueVariant cell;
      const HRESULT hr = SafeArrayGetElement(array, index, cell.put());
      if (FAILED(hr)) return ArrayFailure("表の値を読めません", hr);
      grid.cells.push_back(std::move(cell));
    }
  }
  return grid;
}

}  // namespace mirune::com
