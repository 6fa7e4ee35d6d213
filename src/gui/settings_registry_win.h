#pragma once

// The per-user store of the stored settings: string values under
// HKEY_CURRENT_USER\Software\VB and VBA Program Settings\Tovas_App\Mirune_Razoza, where
// settings of this kind have always been kept, so existing users' settings carry over.

#include <string>
#include <string_view>

#include "gui/stored_settings.h"

namespace mirune {

// The key under HKEY_CURRENT_USER.
std::wstring SettingsRegistryKey();

class RegistrySettingsStore : public SettingsStore {
 public:
  Result<std::string> Get(std::string_view key) override;
  Status Set(std::string_view key, std::string_view value) override;
  Result<bool> HasAnyValue() override;
};

}  // namespace mirune
