#include <utility>

#include "app/indesign_host.h"
#include "automation/com/indesign_client_win.h"
#include "automation/com/message_filter_win.h"

namespace mirune {

namespace {

// The apartment outlives the client: members are destroyed in reverse order. The message
// filter retries the calls InDesign rejects while it shows a dialog, then gives up.
struct ComInDesign {
  com::ComApartment apartment;
  com::MessageFilterScope busy_filter{com::BusyRetryPolicy{}};
  std::unique_ptr<indesign::Application> application;
};

}  // namespace

Status ComHostAvailable() { return Status::Ok(); }

Result<std::shared_ptr<indesign::Application>> ConnectComInDesign() {
  auto holder = std::make_shared<ComInDesign>();
  MIRUNE_RETURN_IF_ERROR(holder->apartment.status());
  MIRUNE_RETURN_IF_ERROR(holder->busy_filter.status());
  MIRUNE_ASSIGN_OR_RETURN(holder->application, com::ConnectInDesign(InDesignProgId()));
  indesign::Application* application = holder->application.get();
  return std::shared_ptr<indesign::Application>(std::move(holder), application);
}

Status SaveComDocumentAs(indesign::Document& document, const std::string& path) {
  return com::SaveDocumentAs(document, path);
}

}  // namespace mirune
