// The host contract run against the embedded engine.

#include "automation/indesign_engine/builder.h"
#include "automation/indesign_engine/engine_application.h"
#include "automation/indesign_engine/host_contract.h"

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

INSTANTIATE_TEST_SUITE_P(Engine, HostContractTest,
                         ::testing::Values(EngineEnvironment("current", ""),
                                           EngineEnvironment("version2", "2.0")),
                         [](const ::testing::TestParamInfo<HostEnvironment>& info) {
                           return info.param.name;
                         });

}  // namespace
}  // namespace mirune::indesign_contract
