#pragma once

// The host contract: what every implementation of automation/indesign.h must do, as
// GoogleTest value-parameterised tests (host_contract_test.cc) over a HostEnvironment.
// The engine instantiates them in engine_contract_test.cc; the COM client instantiates the
// same tests with a running InDesign and .indd files made to the descriptions below. The
// extraction runs its page marking on the same environments (extraction/testing/).

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "automation/indesign.h"
#include "automation/indesign_engine/layout_model.h"

namespace mirune::indesign_contract {

struct HostEnvironment {
  std::string name;  // for test names: letters, digits and '_' only
  // A fresh application with nothing open, reporting `version` when the host can be told
  // (the engine); an empty version means the host's own.
  std::function<std::unique_ptr<indesign::Application>(const std::string& version)>
      make_application;
  bool version_settable = false;
  std::string document_path;         // ContractSampleDocument
  std::string second_document_path;  // ContractSecondDocument
  std::string book_path;             // members: document_path, second_document_path
  std::string large_document_path;   // ContractLargeDocument
  std::string temp_folder;           // writable, for exports
};

// The contract sample. Pages "1", "2", "3", "iv". Story 1 "索引の用語です。\r次のページ\r" is
// threaded from the frame on page 1 (its first 9 characters) to the frame on page 2. Page 3
// holds two frames: story 2 "末尾" followed by a footnote reference (U+0004) and an auto page
// number (U+0018), and story 3, empty. Page "iv" holds story 4 "タブ\t". Story 5 "X" lies in a
// frame on the pasteboard. "用語" has the local fill colour RazozaMark1; "次" has the
// character style RazozaMark2.
layout::Document ContractSampleDocument(std::string full_name);
// One page "5" with one frame holding story 1 "第二章\r".
layout::Document ContractSecondDocument(std::string full_name);
// 40000 pages named "1".."40000" without frames, and one story of 70000 characters in a
// frame on page 1 (counts past the 16-bit range).
layout::Document ContractLargeDocument(std::string full_name);

// Where the hosts of the tests (the engine, the dispatch adapter, test-indesign-server.exe)
// register the documents above and a book of the first two.
inline constexpr char kContractDocumentPath[] = "C:\\Contract\\sample.indd";
inline constexpr char kContractSecondPath[] = "C:\\Contract\\second.indd";
inline constexpr char kContractBookPath[] = "C:\\Contract\\book.indb";
inline constexpr char kContractLargePath[] = "C:\\Contract\\large.indd";

// An environment of a host that holds the documents above at those paths and can be told
// its version; the caller gives it `make_application`.
HostEnvironment ContractPathsEnvironment(std::string name, std::string temp_folder);

// The document opened at `path`, or null after a failed expectation naming the cause.
std::unique_ptr<indesign::Document> OpenDocument(indesign::Application& app,
                                                 const std::string& path);

// The whole text of the story `story_index` (1-based) read character by character through
// the interface; a failure reads as "<its status>".
std::string StoryText(indesign::Document& document, int32_t story_index);

class HostContractTest : public ::testing::TestWithParam<HostEnvironment> {};

}  // namespace mirune::indesign_contract
