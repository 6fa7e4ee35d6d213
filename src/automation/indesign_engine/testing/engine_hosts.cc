#include "automation/indesign_engine/testing/engine_hosts.h"

#include <memory>
#include <utility>

#include "automation/indesign_engine/builder.h"
#include "automation/indesign_engine/engine_application.h"
#include "base/file.h"
#include "base/path.h"

namespace mirune::indesign_contract {
namespace {

std::unique_ptr<indesign::Application> MakeEngine(const std::string& version) {
  auto app = std::make_unique<indesign_engine::EngineApplication>();
  if (!version.empty()) app->SetVersion(version);
  app->RegisterDocument(ContractSampleDocument(kContractDocumentPath));
  app->RegisterDocument(ContractSecondDocument(kContractSecondPath));
  app->RegisterDocument(ContractLargeDocument(kContractLargePath));
  app->RegisterBook(
      layout::MakeBook(kContractBookPath, {kContractDocumentPath, kContractSecondPath}));
  return app;
}

}  // namespace

HostEnvironment EngineEnvironment(const std::string& name, const std::string& version,
                                  const std::string& temp_folder) {
  HostEnvironment env = ContractPathsEnvironment(name, temp_folder);
  env.make_application = [version](const std::string& asked) {
    return MakeEngine(asked.empty() ? version : asked);
  };
  return env;
}

HostEnvironment FileBackedEnvironment(const std::string& folder) {
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

}  // namespace mirune::indesign_contract
