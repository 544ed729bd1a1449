// The values the mod folder reader produces, the user reviews in the window
// and the installer consumes. All text is single-byte code page 1251.
#pragma once

#include <string>
#include <vector>

namespace wrenfield {

struct TAdvItem {
  std::string path;  // full path of an additional .dff or .txd file
  bool checked = false;
};

struct TInstallFields {
  std::string handling;  // one line for data/handling.cfg; empty leaves the file alone
  std::string vehicles;  // one line for data/vehicles.ide
  std::string carcols;   // one line for data/carcols.dat
  std::string carmods;   // one line for data/carmods.dat
  std::string DFF;       // full path of the model, or the reader's not-found notice
  std::string TXD;       // full path of the texture dictionary, or the not-found notice
  std::vector<TAdvItem> Adv;
  // Set by the reader when it put its not-found notice into DFF or TXD, so that
  // the window shows the notice as text rather than as a path.
  bool DFFNotFound = false;
  bool TXDNotFound = false;
};

}  // namespace wrenfield
