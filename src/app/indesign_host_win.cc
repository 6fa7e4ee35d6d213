#include <optional>
#include <utility>

#include "app/indesign_host.h"
#include "automation/com/indesign_client_win.h"
#include "automation/com/message_filter_win.h"

namespace mirune {

namespace {

// The apartment outlives the client: members are destroyed in reverse order. The message
// filter retries the calls InDesign rejects while it shows a dialog, then gives up. While the
// job holds InDesign, InDesign shows no dialogs (a dialog on Open would hold the job for ever);
// the user's setting is put back when the job lets go, whichever way it ends.
struct ComInDesign {
  ComInDesign() = default;
  ComInDesign(const ComInDesign&) = delete;
  ComInDesign& operator=(const ComInDesign&) = delete;
  ~ComInDesign() {
    if (application && user_interaction) {
      com::RestoreInDesignDialogs(*application, *user_interaction).ok();
    }
  }

  com::ComApartment apartment;
  com::MessageFilterScope busy_filter{com::BusyRetryPolicy{}};
  std::unique_ptr<indesign::Application> application;
  std::optional<int32_t> user_interaction;
};

}  // namespace

Status ComHostAvailable() { return Status::Ok(); }

Result<std::shared_ptr<indesign::Application>> ConnectComInDesign() {
  auto holder = std::make_shared<ComInDesign>();
  MIRUNE_RETURN_IF_ERROR(holder->apartment.status());
  MIRUNE_RETURN_IF_ERROR(holder->busy_filter.status());
  MIRUNE_ASSIGN_OR_RETURN(holder->application, com::ConnectInDesign(InDesignProgId()));
  MIRUNE_ASSIGN_OR_RETURN(holder->user_interaction,
                          com::SuppressInDesignDialogs(*holder->application));
  indesign::Application* application = holder->application.get();
  return std::shared_ptr<indesign::Application>(std::move(holder), application);
}

Status SaveComDocumentAs(indesign::Document& document, const std::string& path) {
  return com::SaveDocumentAs(document, path);
}

}  // namespace mirune
