#pragma once

// The client side of a busy server (Windows build). While InDesign shows a dialog it rejects
// automation calls (SERVERCALL_RETRYLATER, or SERVERCALL_REJECTED); COM asks the calling
// thread's message filter what to do. This filter retries such a call under a BusyRetryPolicy
// and then gives up, so the call fails with RPC_E_CALL_REJECTED and the job ends with its
// message instead of hanging. It acts on calls to other processes only.

#include <windows.h>
// windows.h first: the OLE headers rely on its types.
#include <objidl.h>

#include <atomic>

#include "automation/com/com_types_win.h"
#include "automation/com/retry_policy.h"
#include "base/result.h"

namespace mirune::com {

class BusyMessageFilter final : public IMessageFilter {
 public:
  explicit BusyMessageFilter(BusyRetryPolicy policy) : policy_(policy) {}

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  // IMessageFilter
  DWORD STDMETHODCALLTYPE HandleInComingCall(DWORD call_type, HTASK caller, DWORD tick_count,
                                             LPINTERFACEINFO info) override;
  // `elapsed_ms` is the time since the call was first rejected. Returns the wait in
  // milliseconds before the next try (below 100: at once), or -1 (as a DWORD) to give up.
  DWORD STDMETHODCALLTYPE RetryRejectedCall(HTASK callee, DWORD elapsed_ms,
                                            DWORD reject_type) override;
  DWORD STDMETHODCALLTYPE MessagePending(HTASK callee, DWORD tick_count,
                                         DWORD pending_type) override;

  // Rejections seen so far (for tests and the figures of a run).
  int rejections() const { return rejections_.load(); }

 private:
  ~BusyMessageFilter() = default;

  BusyRetryPolicy policy_;
  std::atomic<ULONG> references_{1};
  std::atomic<int> rejections_{0};
};

// Registers a BusyMessageFilter on the calling thread (which must be in a single-threaded
// apartment) for the life of the scope, and puts back the filter it replaced.
class MessageFilterScope {
 public:
  explicit MessageFilterScope(BusyRetryPolicy policy);
  ~MessageFilterScope();
  MessageFilterScope(const MessageFilterScope&) = delete;
  MessageFilterScope& operator=(const MessageFilterScope&) = delete;

  Status status() const;
  BusyMessageFilter* filter() const { return filter_.Get(); }

 private:
  ComPtr<BusyMessageFilter> filter_;
  IMessageFilter* previous_ = nullptr;
  HRESULT hr_;
};

}  // namespace mirune::com
