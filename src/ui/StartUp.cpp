#include "ui/StartUp.h"

#include "app/Directories.h"
#include "app/Language.h"
#include "app/UserValues.h"
#include "platform/Platform.h"

namespace kastrell {

void PrepareStart() {
  UserValues& values = AppUserValues();
  values.SetPath(UserValues::DefaultPath(*CurrentPlatform().system));
  StartLanguage(values, ResolveInstallDirectory(values));
  AppDirectories() = ResolveDirectories(values);
}

}  // namespace kastrell
