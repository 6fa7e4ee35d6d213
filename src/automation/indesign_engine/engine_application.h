#pragma once

// The embedded InDesign engine: an indesign::Application over in-memory layout documents.
//
// "Files" the engine can open are either registered with it (documents and books built in
// code) or read by a loader (the IDML loader handles `.idml` paths and book folders). Open
// makes a working copy; every edit goes to that copy, and Close with kSaveNo drops it: the
// engine never writes a document or book file. Handles stay valid after the application is
// gone (they then fail with kNotFound).
//
// Every interface call (on the application or any object it handed out) counts one in
// call_count(), so tests and benchmarks can see what a job would cost against the real
// InDesign, where each call crosses processes.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "automation/indesign.h"
#include "automation/indesign_engine/layout_model.h"
#include "base/result.h"

namespace mirune::indesign_engine {

// What a loader read: exactly one of the two is set.
struct LoadedItem {
  std::optional<layout::Document> document;
  std::optional<layout::Book> book;
};

// A loader for paths the engine does not hold: `accepts` says whether it handles a path
// (e.g. by its extension, or because it is a folder); `load` reads it.
struct Loader {
  std::string name;  // for messages, e.g. "IDML"
  std::function<bool(const std::string& path)> accepts;
  std::function<Result<LoadedItem>(const std::string& path)> load;
};

struct EngineState;

class EngineApplication : public indesign::Application {
 public:
  // Version "16.0", Unicode character set, abbreviated tags (the settings a job sets).
  EngineApplication();
  ~EngineApplication() override;
  EngineApplication(const EngineApplication&) = delete;
  EngineApplication& operator=(const EngineApplication&) = delete;

  // --- Set-up (not interface calls; not counted) ---
  // A document or book that Open finds by its full_name. A later registration of the same
  // full_name replaces the earlier one.
  void RegisterDocument(layout::Document document);
  void RegisterBook(layout::Book book);
  // Loaders are asked in the order added, after the registered items.
  void AddLoader(Loader loader);
  // The text `Version` returns (e.g. "2.0" to exercise InDesign 2's TextContents and Search).
  void SetVersion(std::string version);

  // Interface calls made so far.
  int64_t call_count() const;
  void ResetCallCount();

  // The working copy of an open document, by its full name; nullptr when not open. For
  // savers and tests; the pointer is valid until the document is closed.
  layout::Document* OpenDocumentModel(const std::string& full_name);
  // The registered (on-"disk") version of a document; nullptr when not registered.
  const layout::Document* RegisteredDocument(const std::string& full_name) const;

  // --- indesign::Application ---
  Result<int32_t> BookCount() override;
  Result<std::unique_ptr<indesign::Book>> BookItem(int32_t index) override;
  Result<int32_t> DocumentCount() override;
  Result<std::unique_ptr<indesign::Document>> DocumentItem(int32_t index) override;
  Result<indesign::OpenedItem> Open(const std::string& path) override;
  Result<std::unique_ptr<indesign::Document>> ActiveDocument() override;
  Result<std::string> Version() override;
  Result<int32_t> TaggedTextCharacterSet() override;
  Status SetTaggedTextCharacterSet(int32_t character_set) override;
  Result<int32_t> TaggedTextTagForm() override;
  Status SetTaggedTextTagForm(int32_t tag_form) override;
  Result<std::string> FindWhat() override;
  Status SetFindWhat(std::string_view text) override;
  Result<std::string> ChangeTo() override;
  Status SetChangeTo(std::string_view text) override;
  Result<indesign::ChangeFormatting> GetChangeFormatting() override;
  Status SetChangeFormatting(const indesign::ChangeFormatting& formatting) override;
  Result<indesign::FindOptions> GetFindOptions() override;
  Status SetFindOptions(const indesign::FindOptions& options) override;
  Result<int32_t> ChangeText() override;

 private:
  std::shared_ptr<EngineState> state_;
};

}  // namespace mirune::indesign_engine
