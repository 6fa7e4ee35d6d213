#include "automation/com/testing/table_dispatch_win.h"

#include "base/utf.h"

namespace mirune::com::testing {

namespace {

std::string Narrow(const wchar_t* wide) {
  return Utf16ToUtf8(std::u16string_view(reinterpret_cast<const char16_t*>(wide)));
}

}  // namespace

ComPtr<TableDispatch> TableDispatch::Make(std::shared_ptr<TableCounters> counters) {
  ComPtr<TableDispatch> object;
  object.Attach(new TableDispatch(std::move(counters)));
  return object;
}

TableDispatch::TableDispatch(std::shared_ptr<TableCounters> counters)
    : counters_(std::move(counters)) {
  ++counters_->live;
}

TableDispatch::~TableDispatch() { --counters_->live; }

void TableDispatch::Add(const std::string& name, TableHandler handler,
                        std::vector<std::string> arg_names) {
  members_.push_back({name, std::move(handler), std::move(arg_names)});
}

HRESULT TableDispatch::QueryInterface(REFIID iid, void** out) {
  if (out == nullptr) return E_POINTER;
  if (iid == IID_IUnknown || iid == IID_IDispatch) {
    *out = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
  }
  *out = nullptr;
  return E_NOINTERFACE;
}

ULONG TableDispatch::AddRef() { return ++references_; }

ULONG TableDispatch::Release() {
  const ULONG left = --references_;
  if (left == 0) delete this;
  return left;
}

HRESULT TableDispatch::GetTypeInfoCount(UINT* count) {
  *count = 0;
  return S_OK;
}

HRESULT TableDispatch::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
  *info = nullptr;
  return E_NOTIMPL;
}

HRESULT TableDispatch::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
  const std::string member = Narrow(names[0]);
  ++counters_->lookups[member];
  HRESULT hr = S_OK;
  const Member* found = nullptr;
  ids[0] = DISPID_UNKNOWN;
  for (size_t i = 0; i < members_.size(); ++i) {
    if (members_[i].name == member) {
      ids[0] = static_cast<DISPID>(i + 1);
      found = &members_[i];
    }
  }
  if (found == nullptr) hr = DISP_E_UNKNOWNNAME;
  for (UINT n = 1; n < count; ++n) {
    ids[n] = DISPID_UNKNOWN;
    if (found == nullptr) continue;
    const std::string arg = Narrow(names[n]);
    for (size_t i = 0; i < found->arg_names.size(); ++i) {
      if (found->arg_names[i] == arg) ids[n] = static_cast<DISPID>(i);
    }
    if (ids[n] == DISPID_UNKNOWN) hr = DISP_E_UNKNOWNNAME;
  }
  return hr;
}

HRESULT TableDispatch::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params,
                              VARIANT* result, EXCEPINFO* excep, UINT*) {
  if (id < 1 || static_cast<size_t>(id) > members_.size()) return DISP_E_MEMBERNOTFOUND;
  const Member& member = members_[id - 1];
  TableCall call;
  call.flags = flags;
  // rgvarg holds the named arguments first, then the positional ones last first.
  for (UINT i = 0; i < params->cNamedArgs; ++i) {
    const DISPID arg_id = params->rgdispidNamedArgs[i];
    std::string name = arg_id == DISPID_PROPERTYPUT ? "=" : member.arg_names.at(arg_id);
    UniqueVariant copy;
    VariantCopy(copy.get_mut(), &params->rgvarg[i]);
    call.named.emplace(std::move(name), std::move(copy));
  }
  for (UINT i = params->cArgs; i-- > params->cNamedArgs;) {
    UniqueVariant copy;
    VariantCopy(copy.get_mut(), &params->rgvarg[i]);
    call.args.push_back(std::move(copy));
  }
  return member.handler(call, result, excep);
}

TableHandler ReturnInt32(int32_t value) {
  return [value](TableCall&, VARIANT* result, EXCEPINFO*) {
    result->vt = VT_I4;
    result->lVal = value;
    return S_OK;
  };
}

TableHandler ReturnText(std::string utf8) {
  return [utf8](TableCall&, VARIANT* result, EXCEPINFO*) {
    const std::u16string wide = Utf8ToUtf16(utf8);
    result->vt = VT_BSTR;
    result->bstrVal = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(wide.data()),
                                        static_cast<UINT>(wide.size()));
    return S_OK;
  };
}

TableHandler ReturnObject(ComPtr<IDispatch> object) {
  return [object](TableCall&, VARIANT* result, EXCEPINFO*) {
    result->vt = VT_DISPATCH;
    result->pdispVal = object.Get();
    object->AddRef();
    return S_OK;
  };
}

TableHandler RaiseException(std::string description) {
  return [description](TableCall&, VARIANT*, EXCEPINFO* excep) {
    const std::u16string wide = Utf8ToUtf16(description);
    excep->scode = E_FAIL;
    excep->bstrDescription = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(wide.data()),
                                               static_cast<UINT>(wide.size()));
    excep->bstrSource = SysAllocString(L"TableDispatch");
    return DISP_E_EXCEPTION;
  };
}

TableHandler ReturnHresult(HRESULT hr) {
  return [hr](TableCall&, VARIANT*, EXCEPINFO*) { return hr; };
}

}  // namespace mirune::com::testing
