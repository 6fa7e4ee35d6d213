#pragma once

// The InDesign client: automation/indesign.h over a running InDesign's automation object
// (Windows build), by member name at run time (late binding through Dispatcher).
//
// Members used, per object (every one is one cross-process call; see docs/architecture.md,
// "Assumptions about InDesign's object model", for what is relied on beyond the basic
// members):
//   application  Books, Documents, Open(path), ActiveDocument, Version,
//                TaggedTextExportPreferences.CharacterSet/TagForm,
//                FindTextPreferences.FindWhat, ChangeTextPreferences.ChangeTo/FillColor/
//                AppliedCharacterStyle, FindChangeTextOptions.CaseSensitive/WholeWord,
//                ChangeText()
//   collections  Count, Item(n) (1-based, VT_I4), EveryItem(), and on that GetElements() and
//                the property read for every item at once (Name)
//
// List results (GetElements, EveryItem().Name, ChangeText, Search) are read in either shape
// (a SAFEARRAY of any lower bound, or a collection object with Count and Item; see
// list_result_win.h). The batched reads fall back to the plain members (Count, Item(i),
// Item(i).Name) on the first member InDesign lacks (DISP_E_UNKNOWNNAME, DISP_E_MEMBERNOTFOUND)
// or the first length that disagrees with Count, and when GetElements gives a collection
// object (which costs what the plain members cost, and two calls more); the choice is kept
// for the client's life. The story's Search takes four arguments in InDesign 2 and six in CS
// and CS2 (the change-to text last), by the generation of Version.
//   document     FullName, Name, Modified, Pages, Stories, Close(SaveOptions), Save(path)
//   page         Name, TextFrames
//   frame, story Contents (the whole text, for ReadTail), Characters
//   story        Export(format, path), Search(find, …, change)
//   character    Contents (read and written), TextContents (written)
//   book         FullName, Name, Modified, BookContents (Item(n).FullName), Close
//
// A handle of a document or book that this client closed fails with kNotFound without
// calling InDesign; one closed in InDesign by other means fails with InDesign's error.
// Every failure names the member path and carries the HRESULT and InDesign's own text.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "automation/com/com_types_win.h"
#include "automation/indesign.h"
#include "base/result.h"

namespace mirune::com {

// The ProgID of InDesign (the newest registered version).
inline constexpr char kInDesignProgId[] = "InDesign.Application";

// The client of an InDesign automation object (its application object).
std::unique_ptr<indesign::Application> MakeInDesignClient(ComPtr<IDispatch> application);

// `ScriptPreferences.UserInteractionLevel` (UserInteractionLevels): NEVER_INTERACT keeps
// InDesign from showing dialogs (missing fonts or links, a document of an older version) while
// a job drives it, which would otherwise hold the call for ever.
inline constexpr int32_t kNeverInteract = 1699640946;
inline constexpr int32_t kInteractWithAlerts = 1699311170;
inline constexpr int32_t kInteractWithAll = 1699311169;

// Sets NEVER_INTERACT and returns the user's value to put back; nullopt (nothing changed) when
// this InDesign has no ScriptPreferences or no UserInteractionLevel (InDesign 2).
Result<std::optional<int32_t>> SuppressInDesignDialogs(indesign::Application& client);
// Puts the user's value back.
Status RestoreInDesignDialogs(indesign::Application& client, int32_t level);

// The fallbacks `client` (made here) has taken so far, in Japanese, one per fallback; empty
// for another implementation.
std::vector<std::string> InDesignClientFallbacks(const indesign::Application& client);

// Starts or reaches the InDesign registered under `prog_id` (CoCreateInstance on a local
// server: InDesign hands out its running instance) and wraps it. kNotFound when the ProgID is
// not registered on this computer. A class in braces ("{…}") is reached as a running class
// object without a ProgID (a private test server).
Result<std::unique_ptr<indesign::Application>> ConnectInDesign(std::string_view prog_id);

// A document's save-as: `Save(path)` on the document, which then carries that path (INPUT is
// left as it was). `document` must be a handle of this client; kInvalidArgument otherwise.
Status SaveDocumentAs(indesign::Document& document, const std::string& path);

}  // namespace mirune::com
