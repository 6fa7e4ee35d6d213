#pragma once

// An indesign::Application (the embedded engine, in the tests) offered over IDispatch with
// the members the InDesign client calls, object by object (Windows build). It stands in for
// InDesign's automation objects in the tests of the client: in-process for speed, and inside
// test-indesign-server.exe across processes. Not used by the product.
//
// Objects: the application; the collections Books, Documents, Pages, Stories, TextFrames,
// Characters and BookContents (Count, Item(n), EveryItem() with GetElements() and, for
// pages, Name; list results in the shape the behaviour asks for); document, page, text frame,
// story, character, book and book content; the preference objects TaggedTextExportPreferences,
// FindTextPreferences, ChangeTextPreferences and FindChangeTextOptions. Engine failures are raised
// as exceptions with the engine's text; kNotFound ones with the code DISP_E_BADINDEX, so the client
// tells them apart.

#include <windows.h>
// windows.h first: the OLE headers rely on its types.
#include <oaidl.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "automation/com/com_ptr_win.h"
#include "automation/com/testing/table_dispatch_win.h"
#include "automation/indesign.h"
#include "base/result.h"

namespace mirune::com {

// How the adapter answers where InDesign's own answer is undocumented or differs between
// generations (the test server's switches set it).
struct InDesignDispatchBehaviour {
  // List results (GetElements, EveryItem().Name, ChangeText, Search) as collection objects
  // with Count and Item(1 … Count), as the maker's VBScript samples use them; false: as
  // SAFEARRAYs of VARIANT.
  bool lists_as_objects = true;
  // Members that every object lacks (GetIDsOfNames answers DISP_E_UNKNOWNNAME).
  std::set<std::string> without;
  // `Open` waits as a modal dialog on opening would (missing fonts, an older document) unless
  // ScriptPreferences.UserInteractionLevel is NEVER_INTERACT; after `dialog_ms` it fails, so
  // that nothing waits for ever.
  bool dialog_on_open = false;
  uint32_t dialog_ms = 30000;
  // `Characters` of frames and stories count UTF-16 units: a character beyond the BMP is two
  // (Count and Item(i) alike; either unit of it gives the character).
  bool count_utf16 = false;
  // Documents also resolve the name `BookContents`, as a host with dispatch ids shared by
  // every object would (calling it fails).
  bool documents_resolve_book_names = false;
};

// Shared by every object one adapter hands out; lives as long as the longest-lived of them.
struct InDesignDispatchState {
  InDesignDispatchBehaviour behaviour;
  // ScriptPreferences.UserInteractionLevel; INTERACT_WITH_ALL as InDesign starts.
  int32_t user_interaction_level = 1699311169;
  // The application the members act on; may be replaced between calls (objects handed out
  // before keep the handles they wrap).
  std::shared_ptr<indesign::Application> application;
  // Member calls answered (every Invoke of an adapter object counts one).
  int64_t calls = 0;
  // Asked before every member call with its number (1, 2, …); a failure HRESULT (and the
  // EXCEPINFO it filled) is returned instead of the call's own result. Unset: every call runs.
  std::function<HRESULT(int64_t call, EXCEPINFO* excep)> before_call;
  // The document's `Save(path)`: writes the open document to `path`. Unset: Save fails.
  std::function<Status(indesign::Document& document, const std::string& path)> save_as;
};

// Members a test server adds to the application object; they are neither counted nor passed
// through before_call, so a server in a fault can still be told things.
using TestMembers = std::vector<std::pair<std::string, testing::TableHandler>>;

// The application object over `state->application`.
ComPtr<IDispatch> MakeInDesignDispatch(std::shared_ptr<InDesignDispatchState> state,
                                       const TestMembers& test_members = {});

// Fills `excep` with `status`'s message (and DISP_E_BADINDEX as its code for kNotFound) and
// returns DISP_E_EXCEPTION.
HRESULT RaiseStatus(const Status& status, EXCEPINFO* excep);

}  // namespace mirune::com
