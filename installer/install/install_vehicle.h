// The installation sequence: backups, data file patches, archive update.
#pragma once

#include <string>

#include "install_fields.h"

namespace wrenfield {

// What the window does while an installation runs. No window code lives here.
class InstallProgress {
 public:
  virtual ~InstallProgress() = default;
  virtual void ArchiveOpened() = 0;  // lock the review controls
  virtual void Installed() = 0;      // show the success message; returns when it is closed
  virtual void Ended() = 0;          // unlock the review controls (success or failure)
};

// Installs the mod into the game folder. On failure the archive is closed and
// Ended() has been called (when ArchiveOpened() was) before Error is thrown.
void InstallVehicle(const std::string& gameDir, const TInstallFields& fields,
                    const std::string& replacedHandlingId, InstallProgress& progress);

}  // namespace wrenfield
