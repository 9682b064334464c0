// Starting with Windows ("Load this software on Windows startup", Check4) and
// starting hidden in the tray ("Minimized to system tray", Check8). The choice
// is kept in the settings "Windows Startup" and "Minimized"; Check4 also adds
// or removes the program's per-user Run entry.
#pragma once

#include "form/Context.h"

namespace tarnavel {

class StartUp {
 public:
  explicit StartUp(Context& cx) : cx_(cx) {}

  // The handlers run when the box's value has changed, by the user or by
  // the program.
  void Check4_Click();
  void Check8_Click();
  // Sets a box and, when its value changes, runs its handling.
  void setCheck4(bool on);
  void setCheck8(bool on);

  // The Run entry of the running program: its file name, holding its full
  // path in quotes (a path with blanks in it is read right).
  void EnableStartup();
  void DisableStartup();

 private:
  Context& cx_;
};

}  // namespace tarnavel
