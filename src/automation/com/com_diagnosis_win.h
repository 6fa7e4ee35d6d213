#pragma once

// The check a user runs on a real installation (Windows build): every member of InDesign and
// Excel that the jobs use, tried with the arguments the jobs give, on things of the check's
// own (a document it opens from its own file and closes without saving, a workbook it adds in
// an Excel it starts and closes without saving). Nothing the user has is changed: InDesign's
// ScriptPreferences.UserInteractionLevel and its find/change settings are put back, and the
// user's documents and workbooks are only counted.
//
// Each member is reported with what came back (its type, a list's shape and length, the
// value), ok or the cause; then the fallbacks the jobs will take, as the clients themselves
// decide them (the check drives the clients, whose choices are what the jobs get).

#include <functional>
#include <string>
#include <vector>

namespace mirune::com {

struct DiagnosisLine {
  std::string member;  // "Pages.EveryItem().GetElements()"
  std::string answer;  // "コレクション（Count と Item）2 件" or the cause
  bool ok = true;
  // A member that failed but that the jobs do without (they take a fallback).
  bool covered = false;
};

struct DiagnosisSection {
  std::string title;    // "InDesign"
  std::string version;  // as the application reports it; empty when not reached
  bool reached = false;
  std::vector<DiagnosisLine> lines;
  // What the jobs will do on this installation, in Japanese, one per line.
  std::vector<std::string> fallbacks;
};

// What the InDesign check opens: an IDML file (InDesign opens it as a new, untitled document)
// of at least two pages whose first page's first frame holds `word` once, with a character
// beyond the BMP before its last character; `word` stands nowhere else.
struct InDesignProbe {
  std::string prog_id;
  std::string document;
  std::string word;
  // The jobs' rules for a Version text, so that the check takes the jobs' path: the number of
  // arguments of the story's Search the keyword marking uses (0: ChangeText with the CS3
  // find/change objects), and whether page marking writes through TextContents.
  std::function<int(const std::string& version)> search_arguments;
  std::function<bool(const std::string& version)> writes_text_contents;
};

DiagnosisSection DiagnoseInDesign(const InDesignProbe& probe);
DiagnosisSection DiagnoseExcel(const std::string& prog_id);

// The sections as the report's text (Japanese, "\n" line ends).
std::string DiagnosisText(const std::vector<DiagnosisSection>& sections);

}  // namespace mirune::com
