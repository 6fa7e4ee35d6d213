#include "automation/com/message_filter_win.h"

#include "automation/com/hresult_text.h"

namespace mirune::com {

HRESULT BusyMessageFilter::QueryInterface(REFIID iid, void** out) {
  if (out == nullptr) return E_POINTER;
  if (iid == IID_IUnknown || iid == IID_IMessageFilter) {
    *out = static_cast<IMessageFilter*>(this);
    AddRef();
    return S_OK;
  }
  *out = nullptr;
  return E_NOINTERFACE;
}

ULONG BusyMessageFilter::AddRef() { return ++references_; }

ULONG BusyMessageFilter::Release() {
  const ULONG left = --references_;
  if (left == 0) delete this;
  return left;
}

DWORD BusyMessageFilter::HandleInComingCall(DWORD, HTASK, DWORD, LPINTERFACEINFO) {
  return SERVERCALL_ISHANDLED;
}

DWORD BusyMessageFilter::RetryRejectedCall(HTASK, DWORD elapsed_ms, DWORD reject_type) {
  // InDesign answers with either kind of rejection while a dialog is open, so both are
  // treated as "busy" and waited for within the same bound.
  if (reject_type != SERVERCALL_RETRYLATER && reject_type != SERVERCALL_REJECTED) {
    return static_cast<DWORD>(-1);
  }
  ++rejections_;
  const std::optional<uint32_t> delay = policy_.NextDelay(elapsed_ms);
  return delay ? static_cast<DWORD>(*delay) : static_cast<DWORD>(-1);
}

DWORD BusyMessageFilter::MessagePending(HTASK, DWORD, DWORD) {
  // Keep the windows of the program painted while a call waits.
  return PENDINGMSG_WAITDEFPROCESS;
}

MessageFilterScope::MessageFilterScope(BusyRetryPolicy policy) {
  filter_.Attach(new BusyMessageFilter(policy));
  hr_ = CoRegisterMessageFilter(filter_.Get(), &previous_);
}

MessageFilterScope::~MessageFilterScope() {
  if (SUCCEEDED(hr_)) {
    CoRegisterMessageFilter(previous_, nullptr);
    if (previous_ != nullptr) previous_->Release();
  }
}

Status MessageFilterScope::status() const {
  if (SUCCEEDED(hr_)) return Status::Ok();
  return Status(ErrorCode::kHostError,
                "COM の応答待ちの処理を登録できません（" + HresultDetail(hr_) + "）");
}

}  // namespace mirune::com
