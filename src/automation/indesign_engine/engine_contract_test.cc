// The host contract run against the embedded engine.

#include "automation/indesign_engine/builder.h"
#include "automation/indesign_engine/engine_application.h"
#include "automation/indesign_engine/testing/host_contract.h"
#include "base/file.h"

namespace mirune::indesign_contract {
namespace {

constexpr char kDocument[] = "C:\\Contract\\sample.indd";
constexpr char kSecond[] = "C:\\Contract\\second.indd";
constexpr char kBook[] = "C:\\Contract\\book.indb";
constexpr char kLarge[] = "C:\\Contract\\large.indd";

std::unique_ptr<indesign::Application> MakeEngine(const std::string& version) {
  auto app = std::make_unique<indesign_engine::EngineApplication>();
  if (!version.empty()) app->SetVersion(version);
  app->RegisterDocument(ContractSampleDocument(kDocument));
  app->RegisterDocument(ContractSecondDocument(kSecond));
  app->RegisterDocument(ContractLargeDocument(kLarge));
  app->RegisterBook(layout::MakeBook(kBook, {kDocument, kSecond}));
  return app;
}

HostEnvironment EngineEnvironment(const std::string& name, const std::string& version) {
  HostEnvironment env;
  env.name = name;
  env.make_application = [version](const std::string& asked) {
    return MakeEngine(asked.empty() ? version : asked);
  };
  env.version_settable = true;
  env.document_path = kDocument;
  env.second_document_path = kSecond;
  env.book_path = kBook;
  env.large_document_path = kLarge;
  env.temp_folder = MIRUNE_BINARY_DIR;
  return env;
}

// Documents read from files on disk by a loader, so that closing without saving can be seen
// to leave the files alone.
HostEnvironment FileBackedEnvironment() {
  const std::string folder = JoinPath(MIRUNE_BINARY_DIR, "engine_contract_files");
  CreateFolder(folder).ok();
  HostEnvironment env;
  env.name = "file_backed";
  env.document_path = JoinPath(folder, "sample.indd");
  env.second_document_path = JoinPath(folder, "second.indd");
  env.book_path = JoinPath(folder, "book.indb");
  env.temp_folder = folder;
  for (const std::string& path : {env.document_path, env.second_document_path, env.book_path}) {
    WriteFileAtomic(path, "stand-in file: " + path).ok();
  }
  env.make_application = [env](const std::string& version) {
    auto app = std::make_unique<indesign_engine::EngineApplication>();
    if (!version.empty()) app->SetVersion(version);
    app->AddLoader(
        {"files", [](const std::string& path) { return FileExists(path); },
         [env](const std::string& path) -> Result<indesign_engine::LoadedItem> {
           MIRUNE_RETURN_IF_ERROR(ReadFileBytes(path).status());
           indesign_engine::LoadedItem item;
           if (path == env.document_path) item.document = ContractSampleDocument(path);
           if (path == env.second_document_path) item.document = ContractSecondDocument(path);
           if (path == env.book_path) {
             item.book = layout::MakeBook(path, {env.document_path, env.second_document_path});
           }
           return item;
         }});
    return std::unique_ptr<indesign::Application>(std::move(app));
  };
  env.version_settable = true;
  return env;
}

INSTANTIATE_TEST_SUITE_P(Engine, HostContractTest,
                         ::testing::Values(EngineEnvironment("current", ""),
                                           EngineEnvironment("version2", "2.0"),
                                           FileBackedEnvironment()),
                         [](const ::testing::TestParamInfo<HostEnvironment>& info) {
                           return info.param.name;
                         });

}  // namespace
}  // namespace mirune::indesign_contract
