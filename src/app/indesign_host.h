#pragma once

// Which InDesign a job drives: the InDesign on this computer through its automation (COM,
// Windows build) or the embedded engine (IDML). `--host com|embedded` chooses; by default
// .indd and .indb go to InDesign and IDML packages and folders to the engine.

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "automation/indesign.h"
#include "base/result.h"

namespace mirune {

enum class InDesignHost { kAuto, kCom, kEmbedded };

// "com" or "embedded" (empty: kAuto); anything else kInvalidArgument, in Japanese.
Result<InDesignHost> ParseInDesignHost(std::string_view text);

// The host for `path`: `asked` unless kAuto; then kCom for a name ending in "indd" or "indb"
// (as the file check reads it), kEmbedded for everything else.
InDesignHost ResolveInDesignHost(InDesignHost asked, const std::string& path);

// The ProgID the COM host starts: "InDesign.Application", or for tests the value of the
// environment variable MIRUNE_INDESIGN_PROGID when set.
std::string InDesignProgId();

// The ProgID the Excel connections use: "Excel.Application", or for tests the value of the
// environment variable MIRUNE_EXCEL_PROGID when set.
std::string ExcelProgId();

// Whether this build can drive InDesign through COM; kUnsupported with the reason otherwise.
Status ComHostAvailable();

// Creates the COM client of InDesign (starting or reaching InDesign) on the calling thread,
// which it also enters into a single-threaded COM apartment for as long as the application is
// held. While it is held, InDesign's ScriptPreferences.UserInteractionLevel is NEVER_INTERACT,
// so no dialog can hold a call; the user's value is put back when the last reference goes,
// whichever way the job ends. kNotFound when InDesign is not registered on this computer.
Result<std::shared_ptr<indesign::Application>> ConnectComInDesign();

// A document's save-as through the COM host (`Save(path)`); kUnsupported where there is none.
Status SaveComDocumentAs(indesign::Document& document, const std::string& path);

}  // namespace mirune
