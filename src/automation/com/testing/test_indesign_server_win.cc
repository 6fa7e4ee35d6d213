// test-indesign-server: an out-of-process automation server (LocalServer32) that offers the
// embedded InDesign engine with the members of InDesign's object model that the InDesign
// client calls, so that the client, the command line and the GUI can be tested across
// processes without InDesign. Not installed for users.
//
//   /RegServer    registers the ProgID "Mirune.TestInDesign" and its class under
//                 HKLM\Software\Classes (Wine ignores HKCU\Software\Classes), with the
//                 behaviour switches below in its LocalServer32 command line, so that COM
//                 starts a server that behaves that way
//   /UnregServer  removes both
//   -Embedding    (as COM starts it) serves one application object, also put into the
//                 running object table
//   /Clsid:{…}    serves under that class instead (unregistered, reached through the running
//                 object table): a private server for a test that ends it abruptly, since
//                 Wine keeps the class of a killed server registered as running
//
// Behaviour switches (registered by /RegServer, or given with -Embedding):
//   /Shape:objects  list results (GetElements, EveryItem().Name, ChangeText, Search) as
//                   collection objects with Count and Item, as InDesign's VBScript samples use
//                   them (the default)
//   /Shape:arrays   list results as SAFEARRAYs of VARIANT
//   /Without:A,B    members every object lacks (DISP_E_UNKNOWNNAME): EveryItem, GetElements,
//                   ChangeText, …
//   /Dialog         Open waits as a modal dialog would, unless ScriptPreferences.
//                   UserInteractionLevel is NEVER_INTERACT; after 30 s it fails, so no test
//                   hangs
//   /CountUtf16     Characters counts UTF-16 units (a character beyond the BMP as two)
//   /Version:V      the generation the server reports and serves: "2.0" and "4.0" (InDesign 2,
//                   CS2) have the story's Search and none of EveryItem, ChangeText and the
//                   find/change preference objects of CS3; their find/change settings are set
//                   through the test member UserFindChange, as a user sets them in InDesign
//
// The engine opens IDML packages and book folders, a ".indd" file that holds an IDML package,
// and the host-contract documents under C:\Contract\ (sample.indd, second.indd, large.indd,
// book.indb). A document's Save(path) writes it as IDML.
//
// Test members of the application object (not InDesign's; neither counted nor failed):
//   Reset(version)      a fresh engine with nothing open ("" keeps the served version)
//   RegisterBenchBook(folder)  the benchmarks' generated 300-page book
//                       (indesign_engine/testing/generated_chapter_book.h), as
//                       folder\book.indb with folder\member1.indd …
//   CallCount           member calls answered since the last ResetCallCount
//   ResetCallCount
//   FailEveryCall(on)   every later member call fails with an exception, as a broken server
//   EndAfterCalls(n)    the process ends abruptly at the n-th member call from now (0: never)
//   BeBusy(ms)          rejects incoming calls as busy for ms milliseconds (where the COM
//                       runtime consults the server's message filter: Windows, not Wine)
//   RejectCallsFor(ms)  every member call answers RPC_E_CALL_REJECTED for ms milliseconds:
//                       what a client sees of a busy InDesign once its retries are spent
//   UserFindChange(swatch, style, case, whole)  the find/change settings as the user sets
//                       them in InDesign's Find/Change window (what the older generations
//                       use; "" leaves a setting empty)
//   Quit                ends the server

#include <windows.h>

#include <algorithm>
#include <memory>
#include <string>

#include "automation/com/testing/indesign_dispatch_win.h"
#include "automation/com/testing/local_server_win.h"
#include "automation/idml/idml_document.h"
#include "automation/indesign_engine/builder.h"
#include "automation/indesign_engine/engine_application.h"
#include "automation/indesign_engine/testing/generated_chapter_book.h"
#include "automation/indesign_engine/testing/host_contract.h"
#include "base/file.h"

namespace {

using mirune::com::ComPtr;
using mirune::com::InDesignDispatchState;
using mirune::com::LocalServerClass;
using mirune::com::LocalServerControl;
using mirune::com::RaiseStatus;
using mirune::com::TestMembers;
using mirune::com::VariantToBool;
using mirune::com::VariantToInt32;
using mirune::com::VariantToUtf8;
using mirune::com::testing::TableCall;

// {6D697275-6E65-0001-0000-696E64657369}
const LocalServerClass kServerClass = {
    {0x6d697275, 0x6e65, 0x0001, {0, 0, 0x69, 0x6e, 0x64, 0x65, 0x73, 0x69}},
    L"{6D697275-6E65-0001-0000-696E64657369}",
    L"Mirune.TestInDesign",
    L"Mirune test InDesign server"};

std::shared_ptr<mirune::indesign_engine::EngineApplication> MakeEngine(
    const std::string& version, const mirune::idml::IdmlFiles& files) {
  namespace contract = mirune::indesign_contract;
  auto engine = std::make_shared<mirune::indesign_engine::EngineApplication>();
  if (!version.empty()) engine->SetVersion(version);
  engine->RegisterDocument(contract::ContractSampleDocument(contract::kContractDocumentPath));
  engine->RegisterDocument(contract::ContractSecondDocument(contract::kContractSecondPath));
  engine->RegisterDocument(contract::ContractLargeDocument(contract::kContractLargePath));
  engine->RegisterBook(
      mirune::layout::MakeBook(contract::kContractBookPath,
                               {contract::kContractDocumentPath, contract::kContractSecondPath}));
  // IDML packages and book folders, read and saved by one IdmlFiles (the save keeps what the
  // package it was read from holds); and a ".indd" file that holds an IDML package, so that
  // the tests can give InDesign documents by their own name.
  const mirune::indesign_engine::Loader idml = files.MakeLoader();
  engine->AddLoader(idml);
  mirune::indesign_engine::Loader indd = idml;
  indd.name = "IDML (.indd)";
  indd.accepts = [](const std::string& path) {
    return path.size() > 5 && path.compare(path.size() - 5, 5, ".indd") == 0 &&
           mirune::FileExists(path);
  };
  engine->AddLoader(std::move(indd));
  return engine;
}

// The behaviour switches of the command line.
struct ServerSwitches {
  mirune::com::InDesignDispatchBehaviour behaviour;
  std::string version;  // "" the engine's own
};

// The word after `name` up to the next blank ("" when the switch is absent).
std::wstring SwitchValue(const std::wstring& args, const std::wstring& name) {
  const size_t at = args.find(name);
  if (at == std::wstring::npos) return {};
  const size_t start = at + name.size();
  const size_t end = std::min(args.find(L' ', start), args.size());
  return args.substr(start, end - start);
}

std::string Narrow(const std::wstring& wide) { return std::string(wide.begin(), wide.end()); }

ServerSwitches ReadSwitches(const std::wstring& args) {
  ServerSwitches switches;
  switches.behaviour.lists_as_objects = SwitchValue(args, L"/Shape:") != L"arrays";
  const std::string without = Narrow(SwitchValue(args, L"/Without:"));
  for (size_t at = 0; at < without.size();) {
    const size_t end = std::min(without.find(',', at), without.size());
    if (end > at) switches.behaviour.without.insert(without.substr(at, end - at));
    at = end + 1;
  }
  switches.behaviour.dialog_on_open = args.find(L"/Dialog") != std::wstring::npos;
  switches.behaviour.count_utf16 = args.find(L"/CountUtf16") != std::wstring::npos;
  switches.version = Narrow(SwitchValue(args, L"/Version:"));
  int major = 0;
  for (char c : switches.version) {
    if (c < '0' || c > '9') break;
    major = major * 10 + (c - '0');
  }
  if (!switches.version.empty() && major < 5) {
    // Before CS3: no EveryItem, no ChangeText, no find/change preference objects.
    for (const char* member : {"EveryItem", "ChangeText", "FindTextPreferences",
                               "ChangeTextPreferences", "FindChangeTextOptions"}) {
      switches.behaviour.without.insert(member);
    }
  }
  return switches;
}

// The fault switches, read by the state's before_call.
struct Faults {
  bool fail_every_call = false;
  int64_t end_at_call = 0;  // 0: never
  DWORD reject_until = 0;   // GetTickCount() bound of RejectCallsFor
};

ComPtr<IDispatch> MakeApplication(LocalServerControl& control, const ServerSwitches& switches) {
  auto state = std::make_shared<InDesignDispatchState>();
  state->behaviour = switches.behaviour;
  const mirune::idml::IdmlFiles files;
  const std::string served_version = switches.version;
  auto engine = std::make_shared<std::shared_ptr<mirune::indesign_engine::EngineApplication>>(
      MakeEngine(served_version, files));
  state->application = *engine;
  auto faults = std::make_shared<Faults>();
  state->before_call = [faults](int64_t call, EXCEPINFO* excep) -> HRESULT {
    if (faults->end_at_call != 0 && call >= faults->end_at_call) {
      TerminateProcess(GetCurrentProcess(), 3);
    }
    if (static_cast<LONG>(faults->reject_until - GetTickCount()) > 0) return RPC_E_CALL_REJECTED;
    if (faults->fail_every_call) {
      return RaiseStatus(mirune::Status(mirune::ErrorCode::kHostError,
                                        "試験用 InDesign はすべての呼び出しを失敗させています"),
                         excep);
    }
    return S_OK;
  };
  state->save_as = [engine, files](mirune::indesign::Document& document,
                                   const std::string& path) -> mirune::Status {
    MIRUNE_ASSIGN_OR_RETURN(const std::string full_name, document.FullName());
    const mirune::layout::Document* model = (*engine)->OpenDocumentModel(full_name);
    if (model == nullptr) {
      return mirune::Status(mirune::ErrorCode::kNotFound, "文書は既に閉じられています");
    }
    return files.Save(*model, path);
  };

  TestMembers members;
  members.emplace_back(
      "Reset",
      [state, engine, files, served_version](TableCall& call, VARIANT*, EXCEPINFO*) -> HRESULT {
        std::string version = served_version;
        if (!call.args.empty()) {
          mirune::Result<std::string> text = VariantToUtf8(call.args[0].get());
          if (!text.ok()) return DISP_E_TYPEMISMATCH;
          if (!text->empty()) version = *text;
        }
        *engine = MakeEngine(version, files);
        state->application = *engine;
        return S_OK;
      });
  members.emplace_back("RegisterBenchBook",
                       [engine](TableCall& call, VARIANT*, EXCEPINFO*) -> HRESULT {
                         if (call.args.size() != 1) return DISP_E_BADPARAMCOUNT;
                         mirune::Result<std::string> folder = VariantToUtf8(call.args[0].get());
                         if (!folder.ok()) return DISP_E_TYPEMISMATCH;
                         mirune::indesign_test::chapter_book::RegisterBook(**engine, *folder);
                         return S_OK;
                       });
  members.emplace_back("CallCount", [state](TableCall&, VARIANT* result, EXCEPINFO*) -> HRESULT {
    result->vt = VT_I4;
    result->lVal = static_cast<LONG>(state->calls);
    return S_OK;
  });
  members.emplace_back("ResetCallCount", [state](TableCall&, VARIANT*, EXCEPINFO*) -> HRESULT {
    state->calls = 0;
    return S_OK;
  });
  members.emplace_back("FailEveryCall", [faults](TableCall& call, VARIANT*, EXCEPINFO*) -> HRESULT {
    if (call.args.size() != 1) return DISP_E_BADPARAMCOUNT;
    mirune::Result<bool> on = VariantToBool(call.args[0].get());
    if (!on.ok()) return DISP_E_TYPEMISMATCH;
    faults->fail_every_call = *on;
    return S_OK;
  });
  members.emplace_back("EndAfterCalls",
                       [state, faults](TableCall& call, VARIANT*, EXCEPINFO*) -> HRESULT {
                         if (call.args.size() != 1) return DISP_E_BADPARAMCOUNT;
                         mirune::Result<int32_t> n = VariantToInt32(call.args[0].get());
                         if (!n.ok()) return DISP_E_TYPEMISMATCH;
                         faults->end_at_call = *n > 0 ? state->calls + *n : 0;
                         return S_OK;
                       });
  members.emplace_back("RejectCallsFor",
                       [faults](TableCall& call, VARIANT*, EXCEPINFO*) -> HRESULT {
                         if (call.args.size() != 1) return DISP_E_BADPARAMCOUNT;
                         mirune::Result<int32_t> ms = VariantToInt32(call.args[0].get());
                         if (!ms.ok()) return DISP_E_TYPEMISMATCH;
                         faults->reject_until = GetTickCount() + static_cast<DWORD>(*ms);
                         return S_OK;
                       });
  members.emplace_back("BeBusy", [&control](TableCall& call, VARIANT*, EXCEPINFO*) -> HRESULT {
    if (call.args.size() != 1) return DISP_E_BADPARAMCOUNT;
    mirune::Result<int32_t> ms = VariantToInt32(call.args[0].get());
    if (!ms.ok()) return DISP_E_TYPEMISMATCH;
    control.BeBusyFor(static_cast<DWORD>(*ms));
    return S_OK;
  });
  members.emplace_back("UserFindChange",
                       [engine](TableCall& call, VARIANT*, EXCEPINFO* excep) -> HRESULT {
                         if (call.args.size() != 4) return DISP_E_BADPARAMCOUNT;
                         mirune::Result<std::string> swatch = VariantToUtf8(call.args[0].get());
                         mirune::Result<std::string> style = VariantToUtf8(call.args[1].get());
                         mirune::Result<bool> match_case = VariantToBool(call.args[2].get());
                         mirune::Result<bool> whole = VariantToBool(call.args[3].get());
                         if (!swatch.ok() || !style.ok() || !match_case.ok() || !whole.ok()) {
                           return DISP_E_TYPEMISMATCH;
                         }
                         mirune::indesign::ChangeFormatting formatting;
                         formatting.fill_color = *swatch;
                         formatting.applied_character_style = *style;
                         mirune::Status set = (*engine)->SetChangeFormatting(formatting);
                         if (set.ok()) set = (*engine)->SetFindOptions({*match_case, *whole});
                         return set.ok() ? S_OK : RaiseStatus(set, excep);
                       });
  members.emplace_back("Quit", [&control](TableCall&, VARIANT*, EXCEPINFO*) -> HRESULT {
    control.Quit();
    return S_OK;
  });
  return mirune::com::MakeInDesignDispatch(state, members);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR command_line, int) {
  LocalServerClass server_class = kServerClass;
  const std::wstring args = command_line != nullptr ? command_line : L"";
  const size_t at = args.find(L"/Clsid:");
  if (at != std::wstring::npos) {
    server_class.clsid_text = args.substr(at + 7, 38);
    if (FAILED(CLSIDFromString(server_class.clsid_text.c_str(), &server_class.clsid))) return 2;
  }
  const ServerSwitches switches = ReadSwitches(args);
  return mirune::com::LocalServerMain(
      server_class, command_line,
      [&switches](LocalServerControl& control) { return MakeApplication(control, switches); });
}
