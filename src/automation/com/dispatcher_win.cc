#include "automation/com/dispatcher_win.h"

#include "automation/com/hresult_text.h"
#include "base/utf.h"

namespace mirune::com {

const std::vector<DISPID>* DispIdCache::Find(const std::string& type,
                                             const std::string& key) const {
  auto it = ids_.find({type, key});
  return it == ids_.end() ? nullptr : &it->second;
}

void DispIdCache::Store(const std::string& type, const std::string& key, std::vector<DISPID> ids) {
  ids_[{type, key}] = std::move(ids);
}

bool IsMissingMember(HRESULT hr) { return hr == DISP_E_UNKNOWNNAME || hr == DISP_E_MEMBERNOTFOUND; }

Dispatcher::Dispatcher(ComPtr<IDispatch> object, std::shared_ptr<DispIdCache> cache,
                       std::string host, std::string type, std::string path)
    : object_(std::move(object)),
      cache_(cache ? std::move(cache) : std::make_shared<DispIdCache>()),
      host_(std::move(host)),
      type_(std::move(type)),
      path_(std::move(path)) {}

namespace {

// How an argument reads in a message: numbers and truth values as they are, short texts
// quoted, anything else as "…".
std::string ArgumentText(const VARIANT& v) {
  switch (v.vt) {
    case VT_I2:
      return std::to_string(v.iVal);
    case VT_I4:
      return std::to_string(v.lVal);
    case VT_R8: {
      std::string s = std::to_string(v.dblVal);
      while (s.size() > 1 && s.back() == '0') s.pop_back();
      if (!s.empty() && s.back() == '.') s.pop_back();
      return s;
    }
    case VT_BOOL:
      return v.boolVal != VARIANT_FALSE ? "true" : "false";
    case VT_BSTR: {
      const std::u32string text = Utf8ToUtf32(BstrToUtf8(v.bstrVal));
      if (text.size() > 20) return "\"" + Utf32ToUtf8(text.substr(0, 20)) + "…\"";
      return "\"" + Utf32ToUtf8(text) + "\"";
    }
    case VT_ERROR:
      return "";
    default:
      return "…";
  }
}

// Frees the strings of an EXCEPINFO when the call is done with it.
struct ExcepInfoOwner {
  EXCEPINFO info{};
  ~ExcepInfoOwner() {
    SysFreeString(info.bstrSource);
    SysFreeString(info.bstrDescription);
    SysFreeString(info.bstrHelpFile);
  }
};

}  // namespace

std::string Dispatcher::Label(std::string_view name, std::span<const UniqueVariant> args) const {
  std::string label = path_.empty() ? std::string(name) : path_ + "." + std::string(name);
  if (!args.empty()) {
    label += "(";
    for (size_t i = 0; i < args.size(); ++i) {
      if (i > 0) label += ", ";
      label += ArgumentText(args[i].get());
    }
    label += ")";
  }
  return label;
}

Error Dispatcher::Failure(const std::string& label, HRESULT hr, std::string cause,
                          bool not_found) const {
  const uint32_t code = static_cast<uint32_t>(hr);
  cache_->set_last_failure(hr);
  if (cause.empty()) cause = HresultCause(code);
  return Error{
      code == 0x8002000Bu || not_found ? ErrorCode::kNotFound : ErrorCode::kHostError,
      host_ + " の " + label + " が失敗しました（" + HresultHex(code) + ": " + cause + "）"};
}

Error Dispatcher::NotA(const std::string& label, const char* expected) const {
  cache_->set_last_failure(DISP_E_TYPEMISMATCH);
  return Error{ErrorCode::kHostError, host_ + " の " + label + " の値が" + expected +
                                          "ではありません（" + HresultDetail(0x80020005u) + "）"};
}

Result<std::vector<DISPID>> Dispatcher::Resolve(std::string_view name,
                                                std::span<const NamedArg> named,
                                                const std::string& label) {
  std::string key(name);
  for (const NamedArg& arg : named) key += "\x1f" + arg.name;
  if (const std::vector<DISPID>* ids = cache_->Find(type_, key)) return *ids;

  std::vector<std::wstring> wide;
  wide.reserve(1 + named.size());
  auto widen = [](std::string_view utf8) {
    const std::u16string u16 = Utf8ToUtf16(utf8);
    return std::wstring(u16.begin(), u16.end());
  };
  wide.push_back(widen(name));
  for (const NamedArg& arg : named) wide.push_back(widen(arg.name));
  std::vector<LPOLESTR> names;
  for (std::wstring& w : wide) names.push_back(w.data());
  std::vector<DISPID> ids(names.size(), DISPID_UNKNOWN);
  const HRESULT hr = object_->GetIDsOfNames(IID_NULL, names.data(), static_cast<UINT>(names.size()),
                                            LOCALE_USER_DEFAULT, ids.data());
  if (FAILED(hr)) return Failure(label, hr, {});
  cache_->Store(type_, key, ids);
  return ids;
}

Result<UniqueVariant> Dispatcher::Invoke(std::string_view name, WORD flags,
                                         std::span<const UniqueVariant> args,
                                         std::span<const NamedArg> named, bool put) {
  const std::string label = Label(name, args);
  if (!object_) return Failure(label, E_POINTER, "オブジェクトがありません");
  MIRUNE_ASSIGN_OR_RETURN(std::vector<DISPID> ids, Resolve(name, named, label));

  // DISPPARAMS take the arguments last first, named ones ahead of the positional ones. The
  // VARIANTs are shallow copies: the callee does not free its in-arguments.
  const size_t count = args.size() + named.size();
  std::vector<VARIANTARG> reversed(count);
  std::vector<DISPID> named_ids;
  size_t slot = 0;
  for (size_t i = 0; i < named.size(); ++i) {
    reversed[slot++] = named[i].value.get();
    named_ids.push_back(ids[i + 1]);
  }
  for (size_t i = args.size(); i-- > 0;) reversed[slot++] = args[i].get();
  DISPID put_id = DISPID_PROPERTYPUT;
  DISPPARAMS params{};
  params.rgvarg = reversed.empty() ? nullptr : reversed.data();
  params.cArgs = static_cast<UINT>(count);
  if (put) {
    params.rgdispidNamedArgs = &put_id;
    params.cNamedArgs = 1;
  } else if (!named_ids.empty()) {
    params.rgdispidNamedArgs = named_ids.data();
    params.cNamedArgs = static_cast<UINT>(named_ids.size());
  }

  UniqueVariant result;
  ExcepInfoOwner excep;
  UINT arg_error = 0;
  const HRESULT hr = object_->Invoke(ids[0], IID_NULL, LOCALE_USER_DEFAULT, flags, &params,
                                     put ? nullptr : result.put(), &excep.info, &arg_error);
  if (SUCCEEDED(hr)) return result;

  std::string cause;
  bool not_found = false;
  if (hr == DISP_E_EXCEPTION) {
    if (excep.info.pfnDeferredFillIn != nullptr) excep.info.pfnDeferredFillIn(&excep.info);
    cause = BstrToUtf8(excep.info.bstrDescription);
    if (cause.empty() && excep.info.scode != 0) {
      cause = HresultDetail(static_cast<uint32_t>(excep.info.scode));
    }
    // A server that explains an index out of range, or an object gone, in its own words.
    not_found = excep.info.scode == DISP_E_BADINDEX;
  } else if ((hr == DISP_E_TYPEMISMATCH || hr == DISP_E_PARAMNOTFOUND) && arg_error < count) {
    // arg_error counts in DISPPARAMS order, from the last argument.
    cause = HresultCause(static_cast<uint32_t>(hr)) + "（" + std::to_string(count - arg_error) +
            " 番目の引数）";
  }
  return Failure(label, hr, std::move(cause), not_found);
}

Result<UniqueVariant> Dispatcher::Get(std::string_view name, std::span<const UniqueVariant> args) {
  return Invoke(name, DISPATCH_PROPERTYGET, args, {}, false);
}

Status Dispatcher::Put(std::string_view name, const UniqueVariant& value) {
  return Invoke(name, DISPATCH_PROPERTYPUT, std::span<const UniqueVariant>(&value, 1), {}, true)
      .status();
}

Result<UniqueVariant> Dispatcher::Call(std::string_view name, std::span<const UniqueVariant> args,
                                       std::span<const NamedArg> named) {
  // Some servers publish members that take arguments as properties (Excel's Range), so a
  // call is offered both ways.
  return Invoke(name, DISPATCH_METHOD | DISPATCH_PROPERTYGET, args, named, false);
}

Result<UniqueVariant> Dispatcher::Item(int32_t index) {
  const UniqueVariant arg = UniqueVariant::Int32(index);
  return Call("Item", std::span<const UniqueVariant>(&arg, 1));
}

Result<Dispatcher> Dispatcher::Wrap(Result<UniqueVariant> value, std::string label,
                                    std::string child_type) {
  if (!value.ok()) return value.error();
  Result<ComPtr<IDispatch>> object = VariantToDispatch(value->get());
  if (!object.ok()) return NotA(label, "オブジェクト");
  return Dispatcher(std::move(object).value(), cache_, host_, std::move(child_type),
                    std::move(label));
}

Result<Dispatcher> Dispatcher::GetObject(std::string_view name, std::string child_type) {
  return Wrap(Get(name), Label(name, {}), std::move(child_type));
}

Result<Dispatcher> Dispatcher::ItemObject(int32_t index, std::string child_type) {
  const UniqueVariant arg = UniqueVariant::Int32(index);
  return Wrap(Item(index), Label("Item", std::span<const UniqueVariant>(&arg, 1)),
              std::move(child_type));
}

Result<Dispatcher> Dispatcher::CallObject(std::string_view name,
                                          std::span<const UniqueVariant> args,
                                          std::string child_type) {
  return Wrap(Call(name, args), Label(name, args), std::move(child_type));
}

Result<int32_t> Dispatcher::GetInt32(std::string_view name) {
  MIRUNE_ASSIGN_OR_RETURN(UniqueVariant v, Get(name));
  Result<int32_t> n = VariantToInt32(v.get());
  if (!n.ok()) return NotA(Label(name, {}), "整数");
  return n;
}

Result<std::string> Dispatcher::GetText(std::string_view name) {
  MIRUNE_ASSIGN_OR_RETURN(UniqueVariant v, Get(name));
  Result<std::string> text = VariantToUtf8(v.get());
  if (!text.ok()) return NotA(Label(name, {}), "文字列");
  return text;
}

Result<bool> Dispatcher::GetBool(std::string_view name) {
  MIRUNE_ASSIGN_OR_RETURN(UniqueVariant v, Get(name));
  Result<bool> b = VariantToBool(v.get());
  if (!b.ok()) return NotA(Label(name, {}), "真偽値");
  return b;
}

}  // namespace mirune::com
