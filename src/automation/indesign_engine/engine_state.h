#pragma once

// Shared state of one EngineApplication and the handles it hands out (internal to the
// engine). Handles keep the state alive through a shared_ptr and find their document by id,
// so a handle of a closed document, or of a destroyed application, fails cleanly.

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "automation/indesign.h"
#include "automation/indesign_engine/engine_application.h"
#include "automation/indesign_engine/layout_model.h"
#include "base/result.h"

namespace mirune::indesign_engine {

struct OpenDocument {
  int64_t id = 0;
  layout::Document model;
};

struct OpenBook {
  int64_t id = 0;
  layout::Book model;
};

struct EngineState {
  bool alive = true;  // false once the application is destroyed
  int64_t calls = 0;

  std::map<std::string, layout::Document> registered_documents;
  std::map<std::string, layout::Book> registered_books;
  std::vector<Loader> loaders;

  // Open items, the front-most (most recently opened) first, as InDesign lists them.
  std::vector<std::unique_ptr<OpenDocument>> documents;
  std::vector<std::unique_ptr<OpenBook>> books;
  int64_t next_id = 1;

  std::string version = "16.0";
  int32_t character_set = indesign::kCharacterSetUnicode;
  int32_t tag_form = indesign::kTagFormAbbreviated;
  std::string find_what;
  std::string change_to;
  indesign::ChangeFormatting change_formatting;
  indesign::FindOptions find_options;

  // Counts one interface call; fails when the application has gone.
  Status Enter();
  // The open document or book with this id, or kNotFound ("… has been closed").
  Result<OpenDocument*> Document(int64_t id);
  Result<OpenBook*> Book(int64_t id);
  // The major version number: the digits before the first '.', 0 when there are none.
  int MajorVersion() const;
};

// Handle factories (engine_objects.cc).
std::unique_ptr<indesign::Document> MakeDocumentHandle(std::shared_ptr<EngineState> state,
                                                       int64_t id);
std::unique_ptr<indesign::Book> MakeBookHandle(std::shared_ptr<EngineState> state, int64_t id);

// Checks an index of a 1-based collection of `count` items.
Status CheckIndex(int32_t index, int64_t count, const char* collection);

}  // namespace mirune::indesign_engine
