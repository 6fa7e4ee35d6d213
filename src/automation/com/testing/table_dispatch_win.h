#pragma once

// TableDispatch: an in-process automation object for tests, whose members are a table of
// names and handlers. It counts name look-ups per name, records each call's arguments in
// their natural order and counts its own live instances, so tests can check the dispatcher's
// caching, argument order and reference handling.

#include <windows.h>
// windows.h first: the OLE headers rely on its types.
#include <oaidl.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "automation/com/com_types_win.h"

namespace mirune::com::testing {

// What one call brought: its flags, positional arguments in natural order, named arguments
// by name (DISPID_PROPERTYPUT's value appears as "=").
struct TableCall {
  WORD flags = 0;
  std::vector<UniqueVariant> args;
  std::map<std::string, UniqueVariant> named;
};

// Fills `result` (may be null for a property write) and `excep`; returns the HRESULT.
using TableHandler = std::function<HRESULT(TableCall& call, VARIANT* result, EXCEPINFO* excep)>;

// Shared by the objects of one test: live instances and look-ups per name.
struct TableCounters {
  int live = 0;
  std::map<std::string, int> lookups;
};

class TableDispatch final : public IDispatch {
 public:
  static ComPtr<TableDispatch> Make(std::shared_ptr<TableCounters> counters);

  // Adds a member; `arg_names` are the names its named arguments may have.
  void Add(const std::string& name, TableHandler handler, std::vector<std::string> arg_names = {});

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  // IDispatch
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                          DISPID* ids) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO* excep, UINT* arg_error) override;

 private:
  explicit TableDispatch(std::shared_ptr<TableCounters> counters);
  ~TableDispatch();

  struct Member {
    std::string name;
    TableHandler handler;
    std::vector<std::string> arg_names;
  };
  std::shared_ptr<TableCounters> counters_;
  std::vector<Member> members_;  // DISPID = index + 1
  ULONG references_ = 1;
};

// Handlers for the common cases.
TableHandler ReturnInt32(int32_t value);
TableHandler ReturnText(std::string utf8);
TableHandler ReturnObject(ComPtr<IDispatch> object);
// Fails with DISP_E_EXCEPTION and `description` in the EXCEPINFO.
TableHandler RaiseException(std::string description);
TableHandler ReturnHresult(HRESULT hr);

}  // namespace mirune::com::testing
