#include "automation/com/activation_win.h"

#include <string>

#include "automation/com/hresult_text.h"
#include "base/utf.h"
#include "base/wide_text.h"

namespace mirune::com {

namespace {

std::string Host(std::string_view host) { return std::string(host); }

}  // namespace

Result<CLSID> ClassOfProgId(std::string_view prog_id, std::string_view host) {
  CLSID clsid{};
  const HRESULT hr = CLSIDFromProgID(Wide(prog_id).c_str(), &clsid);
  if (FAILED(hr)) {
    return Error{ErrorCode::kNotFound,
                 Host(host) + " がこのコンピューターに登録されていません（「" +
                     std::string(prog_id) + "」: " + HresultDetail(static_cast<uint32_t>(hr)) +
                     "）"};
  }
  return clsid;
}

Result<ComPtr<IDispatch>> CreateServer(const CLSID& clsid, std::string_view host) {
  ComPtr<IDispatch> object;
  const HRESULT hr =
      CoCreateInstance(clsid, nullptr, CLSCTX_LOCAL_SERVER, __uuidof(IDispatch), object.put_void());
  if (FAILED(hr)) {
    const ErrorCode code = hr == REGDB_E_CLASSNOTREG ? ErrorCode::kNotFound : ErrorCode::kHostError;
    return Error{
        code, Host(host) + " を起動できません（" + HresultDetail(static_cast<uint32_t>(hr)) + "）"};
  }
  return object;
}

Result<ComPtr<IDispatch>> CreateServer(std::string_view prog_id, std::string_view host) {
  MIRUNE_ASSIGN_OR_RETURN(CLSID clsid, ClassOfProgId(prog_id, host));
  return CreateServer(clsid, host);
}

Result<ComPtr<IDispatch>> RunningServer(const CLSID& clsid, std::string_view host) {
  ComPtr<IUnknown> unknown;
  HRESULT hr = GetActiveObject(clsid, nullptr, unknown.put());
  if (FAILED(hr)) {
    const ErrorCode code = hr == MK_E_UNAVAILABLE ? ErrorCode::kNotFound : ErrorCode::kHostError;
    return Error{code, "起動している " + Host(host) + " が見つかりません（" +
                           HresultDetail(static_cast<uint32_t>(hr)) + "）"};
  }
  ComPtr<IDispatch> object;
  hr = unknown.As(&object);
  if (FAILED(hr)) {
    return Error{ErrorCode::kHostError, "起動している " + Host(host) + " を操作できません（" +
                                            HresultDetail(static_cast<uint32_t>(hr)) + "）"};
  }
  return object;
}

Result<ComPtr<IDispatch>> AttachRunning(const CLSID& clsid, std::string_view host,
                                        const AttemptPolicy& policy,
                                        const std::function<void(uint32_t)>& sleep, int* tries) {
  const std::function<void(uint32_t)> wait =
      sleep ? sleep : [](uint32_t ms) { Sleep(static_cast<DWORD>(ms)); };
  return RetryAttempts<ComPtr<IDispatch>>(
      policy, [&] { return RunningServer(clsid, host); }, wait, tries);
}

Result<ComPtr<IDispatch>> AttachRunning(std::string_view prog_id, std::string_view host,
                                        const AttemptPolicy& policy,
                                        const std::function<void(uint32_t)>& sleep, int* tries) {
  MIRUNE_ASSIGN_OR_RETURN(CLSID clsid, ClassOfProgId(prog_id, host));
  return AttachRunning(clsid, host, policy, sleep, tries);
}

}  // namespace mirune::com
