#include "app/StartUp.h"

#include <string>

namespace tarnavel {
namespace {

std::string fileNameOf(std::string_view path) {
  const auto slash = path.find_last_of("\\/");
  return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

}  // namespace

void StartUp::Check4_Click() {
  // Restoring the box at start-up changes neither the entry nor a setting.
  if (cx_.loading) return;
  const bool on = cx_.ui.Check4.checked();
  // The Run entry first: when Windows refuses the change, the box goes back
  // and "Minimized to system tray" and both stored settings stay as they
  // were; the failure is shown.
  try {
    on ? EnableStartup() : DisableStartup();
  } catch (...) {
    cx_.ui.Check4.setChecked(!on);
    throw;
  }
  if (on) {
    cx_.ui.Check8.setVisible(true);
    cx_.settings.write("Windows Startup", "On");
  } else {
    setCheck8(false);
    cx_.ui.Check8.setVisible(false);
    cx_.settings.write("Windows Startup", "Off");
  }
}

void StartUp::Check8_Click() {
  cx_.settings.write("Minimized", cx_.ui.Check8.checked() ? "On" : "Off");
}

void StartUp::setCheck4(bool on) {
  if (cx_.ui.Check4.checked() == on) return;
  cx_.ui.Check4.setChecked(on);
  Check4_Click();
}

void StartUp::setCheck8(bool on) {
  if (cx_.ui.Check8.checked() == on) return;
  cx_.ui.Check8.setChecked(on);
  Check8_Click();
}

// The entry names the running program, not whatever executable a listing
// of its folder happens to return first: Windows must start this program.
void StartUp::EnableStartup() {
  const std::string path = cx_.sys.run.programPath();
  if (path.empty()) return;
  cx_.sys.run.add(fileNameOf(path), "\"" + path + "\"");
}

void StartUp::DisableStartup() {
  const std::string path = cx_.sys.run.programPath();
  if (path.empty()) return;
  cx_.sys.run.remove(fileNameOf(path));
}

}  // namespace tarnavel
