#include "app/indesign_host.h"

#include <cstdlib>

namespace mirune {

Result<InDesignHost> ParseInDesignHost(std::string_view text) {
  if (text.empty()) return InDesignHost::kAuto;
  if (text == "com") return InDesignHost::kCom;
  if (text == "embedded") return InDesignHost::kEmbedded;
  return Error{ErrorCode::kInvalidArgument,
               "--host には com か embedded を指定して下さい（指定: " + std::string(text) + "）"};
}

InDesignHost ResolveInDesignHost(InDesignHost asked, const std::string& path) {
  if (asked != InDesignHost::kAuto) return asked;
  std::string name = path;
  while (!name.empty() && (name.back() == '/' || name.back() == '\\')) name.pop_back();
  const bool native = name.size() >= 4 && (name.compare(name.size() - 4, 4, "indd") == 0 ||
                                           name.compare(name.size() - 4, 4, "indb") == 0);
  return native ? InDesignHost::kCom : InDesignHost::kEmbedded;
}

std::string InDesignProgId() {
  const char* forced = std::getenv("MIRUNE_INDESIGN_PROGID");
  if (forced != nullptr && *forced != '\0') return forced;
  return "InDesign.Application";
}

std::string ExcelProgId() {
  const char* forced = std::getenv("MIRUNE_EXCEL_PROGID");
  if (forced != nullptr && *forced != '\0') return forced;
  return "Excel.Application";
}

}  // namespace mirune
