#pragma once

// IDML files in the embedded InDesign engine: a package read and composed becomes a layout
// document; a folder of `.idml` files is a book; a changed document is saved back as a
// package (idml_writer.h).
//
//   IdmlFiles files;
//   engine.AddLoader(files.MakeLoader());
//   … engine.Open("/books/ch1.idml") …
//   files.Save(*engine.OpenDocumentModel("/books/ch1.idml"), "/books/ch1-marked.idml");

#include <memory>
#include <string>
#include <vector>

#include "automation/idml/idml_compose.h"
#include "automation/idml/idml_package.h"
#include "automation/indesign_engine/engine_application.h"
#include "automation/indesign_engine/layout_model.h"
#include "base/result.h"

namespace mirune::idml {

// Maps a package and its composition to a layout document. Swatches, styles, stories, frames
// and pages keep the package's Self as source_id. Point sizes and leading in the formats are
// the effective ones the composition used. Anchored frames lie on their anchor's page, after
// the page's own frames.
layout::Document ToLayoutDocument(const Package& package, const Composition& composition,
                                  const std::string& full_name);

// Index maps from a package's Selfs to the layout document ToLayoutDocument builds
// (saving compares formats through them). kNone for "[No character style]", absent Selfs and
// "" .
struct LayoutIndexes {
  std::map<std::string, int32_t> swatch;
  std::map<std::string, int32_t> character_style;
  std::map<std::string, int32_t> paragraph_style;
  int32_t Swatch(const std::string& self) const;
  int32_t CharacterStyle(const std::string& self) const;
  int32_t ParagraphStyle(const std::string& self) const;
};
LayoutIndexes IndexesOf(const Package& package);

// True for a path ending in ".idml" (any case).
bool IsIdmlPath(const std::string& path);

// The `.idml` files of a folder in file-name order (byte order of their UTF-8 names).
// kNotFound when the folder does not exist or holds none.
Result<std::vector<std::string>> IdmlFilesInFolder(const std::string& folder);

// A book of `.idml` documents: a folder (its name is the book's name, its `.idml` files the
// members in file-name order), or several paths in the order given (the book is named after
// the folder holding the first one).
Result<layout::Book> IdmlBookFromFolder(const std::string& folder);
Result<layout::Book> IdmlBookFromFiles(const std::vector<std::string>& paths);

// Reads and composes one `.idml` file.
Result<layout::Document> LoadIdmlDocument(const std::string& path);

// The IDML files the engine opened, kept so that a save rewrites only what changed. Copies
// share the same record.
class IdmlFiles {
 public:
  IdmlFiles();

  // A loader for EngineApplication::AddLoader: `.idml` paths as documents, folders holding
  // `.idml` files as books.
  indesign_engine::Loader MakeLoader() const;

  // Opens one file directly (as the loader does) and keeps its package.
  Result<layout::Document> Load(const std::string& path) const;

  // Writes `document` as a package at `path`. A document read from a package (by this record,
  // or else read again from its full_name) keeps every part but its changed stories and the
  // resource parts that gain a swatch or style; a document built in code gets a new package.
  // A document read from a package that cannot be read again is refused (kUnsupported). Only `path`
  // is written, atomically; the file the document came from is overwritten only when `path` names
  // it. Running out of memory is a kInternal failure.
  Status Save(const layout::Document& document, const std::string& path) const;

  // The package a loaded document came from; nullptr when this record did not load it.
  std::shared_ptr<const Package> PackageOf(const std::string& full_name) const;

 private:
  // Save without the guard that turns running out of memory into a Status.
  Status SaveOrThrow(const layout::Document& document, const std::string& path) const;

  struct State;
  std::shared_ptr<State> state_;
};

}  // namespace mirune::idml
