#pragma once

// Late-bound calls on an automation object (IDispatch) by member name (Windows build).
//
// Names are resolved with GetIDsOfNames once per object type and member, and the DISPIDs are
// kept in a DispIdCache that the client shares between all the objects it hands out (the
// InDesign client keeps one, the Excel client another); nothing is cached globally.
// Every failure is a Status in Japanese that names the host and the member path and carries
// the HRESULT and the server's own exception text:
//   "InDesign の Documents.Item(1) が失敗しました（0x80020009: …）"
// kNotFound for an index out of range or an object that has gone (DISP_E_BADINDEX, returned
// or as the code of the server's exception), kHostError for every other failure.

#include <map>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "automation/com/com_types_win.h"
#include "base/result.h"

namespace mirune::com {

// DISPIDs by object type and member (with the member's named arguments, when it has some).
// Used on the one thread of the client's apartment, like the objects themselves.
class DispIdCache {
 public:
  // The DISPIDs cached under (type, key), or null.
  const std::vector<DISPID>* Find(const std::string& type, const std::string& key) const;
  void Store(const std::string& type, const std::string& key, std::vector<DISPID> ids);
  size_t size() const { return ids_.size(); }

  // The HRESULT of the latest failed look-up or call of any object sharing this cache (S_OK
  // before the first): the clients tell a member the host lacks (DISP_E_UNKNOWNNAME,
  // DISP_E_MEMBERNOTFOUND) from other failures by it, to fall back to other members.
  HRESULT last_failure() const { return last_failure_; }
  void set_last_failure(HRESULT hr) { last_failure_ = hr; }

 private:
  std::map<std::pair<std::string, std::string>, std::vector<DISPID>> ids_;
  HRESULT last_failure_ = S_OK;
};

// True for the HRESULTs of a member that the object does not have: DISP_E_UNKNOWNNAME from
// GetIDsOfNames, DISP_E_MEMBERNOTFOUND from Invoke.
bool IsMissingMember(HRESULT hr);

// An argument passed by name (Excel's Sort and SaveAs).
struct NamedArg {
  std::string name;
  UniqueVariant value;
};

class Dispatcher {
 public:
  // `host` names the application in messages ("InDesign"); `type` keys the name cache
  // ("Document", "Pages"); `path` is how messages name this object ("Documents.Item(1)"),
  // empty for the application itself.
  Dispatcher(ComPtr<IDispatch> object, std::shared_ptr<DispIdCache> cache, std::string host,
             std::string type, std::string path);

  // Property read, with arguments for indexed properties (Excel's Cells(row, column)).
  Result<UniqueVariant> Get(std::string_view name, std::span<const UniqueVariant> args = {});
  // Property write.
  Status Put(std::string_view name, const UniqueVariant& value);
  // Method call with positional arguments in their natural order, then named ones.
  Result<UniqueVariant> Call(std::string_view name, std::span<const UniqueVariant> args = {},
                             std::span<const NamedArg> named = {});
  // The collection member `index` (1-based): Item(index).
  Result<UniqueVariant> Item(int32_t index);

  // The same returning an object, wrapped for further calls as type `child_type`.
  Result<Dispatcher> GetObject(std::string_view name, std::string child_type);
  Result<Dispatcher> ItemObject(int32_t index, std::string child_type);
  Result<Dispatcher> CallObject(std::string_view name, std::span<const UniqueVariant> args,
                                std::string child_type);
  // Typed property reads.
  Result<int32_t> GetInt32(std::string_view name);
  Result<std::string> GetText(std::string_view name);
  Result<bool> GetBool(std::string_view name);

  IDispatch* object() const { return object_.Get(); }
  const std::string& path() const { return path_; }
  const std::string& type() const { return type_; }
  const std::string& host() const { return host_; }
  // The name cache, for objects made from this one's results by other means.
  const std::shared_ptr<DispIdCache>& cache_ptr() const { return cache_; }
  // The HRESULT of the latest failure of this object or any sharing its cache.
  HRESULT last_failure() const { return cache_->last_failure(); }

 private:
  Result<std::vector<DISPID>> Resolve(std::string_view name, std::span<const NamedArg> named,
                                      const std::string& label);
  Result<UniqueVariant> Invoke(std::string_view name, WORD flags,
                               std::span<const UniqueVariant> args, std::span<const NamedArg> named,
                               bool put);
  std::string Label(std::string_view name, std::span<const UniqueVariant> args) const;
  Error Failure(const std::string& label, HRESULT hr, std::string cause,
                bool not_found = false) const;
  // A value of the wrong kind: "InDesign の Documents.Count の値が整数ではありません（…）".
  Error NotA(const std::string& label, const char* expected) const;
  Result<Dispatcher> Wrap(Result<UniqueVariant> value, std::string label, std::string child_type);

  ComPtr<IDispatch> object_;
  std::shared_ptr<DispIdCache> cache_;
  std::string host_;
  std::string type_;
  std::string path_;
};

}  // namespace mirune::com
