// The installation sequence: backups, data file patches, archive update.
#pragma once

#include <string>

#include "install_fields.h"

namespace wrenfield {

// What the window does while an installation runs. No window code lives here.
class InstallProgress {
 public:
  virtual ~InstallProgress() = default;
  virtual void ArchiveOpened() = 0;  // the archive is open: lock the review controls
  virtual void Installed() = 0;      // archive closed, all done: show the success
                                     // message; returns when it is closed
  virtual void Ended() = 0;          // unlock the review controls (success or failure)
  // An earlier installation or undo that was interrupted has been put right
  // before this one: tell the user, once.
  virtual void Recovered(const std::string& message) = 0;
};

// Installs the mod into the game folder: archive opened, interrupted
// installations recovered, every foreseeable failure checked, the install
// record written, backups, data file patches, model, texture and checked
// additional files put into the archive, the record marked complete, archive
// closed. A failure after the record was written puts back everything from
// it before Error is thrown (and says so in the message when that fails too).
// Calls ArchiveOpened() once the archive is open, then on success Installed()
// and Ended(); on a failure after the open, closes the archive and calls
// Ended() before Error is thrown. A failure before the open (no game folder,
// archive not opened) calls nothing.
void InstallVehicle(const std::string& gameDir, const TInstallFields& fields,
                    const std::string& replacedHandlingId, InstallProgress& progress);

// The same for a mod that came out of an archive: `origin` is what the player
// chose, as the history names it (the archive's path followed by the folder
// picked in it, code page 1251); the plain form names the model's folder.
void InstallVehicleFrom(const std::string& gameDir, const TInstallFields& fields,
                        const std::string& replacedHandlingId, InstallProgress& progress,
                        const std::string& origin);

}  // namespace wrenfield
