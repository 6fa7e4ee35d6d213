// This build has no COM: InDesign is driven only on Windows.

#include "app/indesign_host.h"

namespace mirune {

namespace {

Status NoCom() {
  return Status(ErrorCode::kUnsupported,
                "InDesign を操作する（--host com）のは Windows 版だけです。この環境では IDML "
                "（--host embedded）を処理できます");
}

}  // namespace

Status ComHostAvailable() { return NoCom(); }

Result<std::shared_ptr<indesign::Application>> ConnectComInDesign() { return NoCom(); }

Status SaveComDocumentAs(indesign::Document&, const std::string&) { return NoCom(); }

}  // namespace mirune
