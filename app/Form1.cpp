#include "app/Form1.h"

#include "app/Main.h"
#include "help/HelpMessage.h"
#include "windows/ListHelp.h"

namespace tarnavel {
namespace {

constexpr std::string_view kSkinFile = "x\\o.cjs";
constexpr std::string_view kHandCursorFile = "HAND-M.CUR";

// A file in the program's folder. A drive root already ends in a backslash.
std::string inFolder(std::string_view folder, std::string_view name) {
  std::string path(folder);
  if (path.empty() || path.back() != '\\') path += '\\';
  path += name;
  return path;
}

}  // namespace

Form1::Form1(Form1Controls& ui, Services& sys)
    : ui_(ui),
      sys_(sys),
      report_(sys.dialogs),
      settings_(sys.settings, sys.locale),
      queue_(report_, ui.ListView2, settings_, sys.locale) {}

template <class F>
void Form1::unguarded(std::string_view procedure, F&& handler) {
  try {
    std::forward<F>(handler)();
  } catch (...) {
    try {
      report_.show(describeFailure(std::current_exception()), procedure, 0);
    } catch (...) {
    }
  }
}

// --- start-up ---------------------------------------------------------------

void Form1::Form_Load() {
  Guard g(report_, "Form1.Form_Load");
  g.step(100, [&] { ApplySkin(); });
  g.step(102, [&] { loading_ = true; });
  g.step(106, [&] { ui_.Form.setCaption(kDisplayName); });
  g.step(106, [&] { ui_.Form.setAppIcon(); });
  g.step(106, [&] { SetAppTitle(); });
  const std::string hand = g.value(
      108, std::string(), [&] { return inFolder(sys_.files.programFolder(), kHandCursorFile); });
  if (g.test(108, [&] { return FileExists(sys_.files, hand); })) {
    g.step(110, [&] { ui_.Form.loadCustomPointer(hand); });
  }
  g.step(132, [&] { mainWindow_ = ui_.Form.handle(); });

  g.step(134, [&] {
    ui_.ListView1.addColumn("Available Applications (Double-click item to add to Queue below)",
                            1440);
  });
  g.step(136, [&] { ui_.ListView1.setColumnWidth(1, 7000); });
  g.step(138, [&] { ui_.ListView2.addColumn("Handle", 1440); });
  g.step(140, [&] { ui_.ListView2.addColumn("Queue (Double-click item to remove it)", 1440); });
  g.step(142, [&] { ui_.ListView2.addColumn("Status", 1440); });
  // The handle column is one twip wide: there, but out of sight.
  g.step(144, [&] { ui_.ListView2.setColumnWidth(1, 1); });
  g.step(146, [&] { ui_.ListView2.setColumnWidth(2, 5000); });
  g.step(148, [&] { ui_.ListView2.setColumnWidth(3, 2000); });
  g.step(150, [&] { ui_.ListView2.addColumn("Time Before Switch", 1440); });
  g.step(152, [&] { ui_.ListView2.setColumnWidth(4, 0); });
  g.step(156, [&] { loadWindows(); });

  g.step(158, [&] { LoadQueuedWindows(); });
  g.step(160, [&] { CheckHandle(); });
  g.step(248, [&] { loading_ = false; });
}

void Form1::ApplySkin() {
  const std::string skin = inFolder(sys_.files.programFolder(), kSkinFile);
  if (!sys_.files.isListedFile(skin)) return;
  ui_.Form.useButtonFaceColours();
  // There is no skin engine in this build: the colour change is all a skin
  // file brings.
}

void Form1::SetAppTitle() {
  appTitle_ = appTitleFor(kDisplayName);
}

// --- closing ----------------------------------------------------------------

void Form1::Form_QueryUnload() {
  Guard g(report_, "Form1.Form_QueryUnload");
  g.step(110, [&] { queue_.save(); });
  g.step(112, [&] { ui_.Timer1.setEnabled(false); });
  g.step(116, [&] { sys_.loop.doEvents(); });
  g.step(118, [&] { sys_.loop.doEvents(); });
  g.step(120, [&] { sys_.loop.endProgram(); });
}

// --- event routing ----------------------------------------------------------

void Form1::onClick(Ctl control) {
  switch (control) {
    case Ctl::PushButton1:
      PushButton1_Click();
      break;
    case Ctl::PushButton3:
      PushButton3_Click();
      break;
    case Ctl::PushButton4:
      PushButton4_Click();
      break;
    case Ctl::PushButton5:
      PushButton5_Click();
      break;
    case Ctl::PushButton6:
      PushButton6_Click();
      break;
    case Ctl::PushButton7:
      PushButton7_Click();
      break;
    case Ctl::PushButton8:
      PushButton8_Click();
      break;
    case Ctl::PushButton10:
      PushButton10_Click();
      break;
    default:
      break;
  }
}

void Form1::onDoubleClick(Ctl control) {
  if (control == Ctl::ListView1) ListView1_DblClick();
  if (control == Ctl::ListView2)
    unguarded("Form1.ListView2_DblClick", [&] { ListView2_DblClick(); });
}

void Form1::onChange(Ctl) {}
void Form1::onFocus(Ctl, bool) {}
void Form1::onMouseMove(Ctl) {}
void Form1::onTimer() {}

// --- window list and queue --------------------------------------------------

void Form1::loadWindows() {
  windowList_.load(report_, sys_.windows, ui_.ListView1, mainWindow_);
}

void Form1::LoadQueuedWindows() {
  queue_.load();
}

void Form1::CheckHandle() {
  queue_.checkHandle(ui_.ListView1, windowList_.handles());
}

void Form1::PushButton1_Click() {
  Guard g(report_, "Form1.PushButton1_Click");
  g.step(100, [&] { loadWindows(); });
  g.step(102, [&] { CheckHandle(); });
}

void Form1::PushButton3_Click() {
  queue_.addSelected(ui_.ListView1, windowList_.handles(), sys_.dialogs, appTitle_, {});
}

void Form1::ListView1_DblClick() {
  PushButton3_Click();
}

void Form1::ListView2_DblClick() {
  if (ui_.Form.pointer() == MousePointer::Hourglass) return;
  queue_.removeSelected();
}

void Form1::PushButton4_Click() {
  queue_.deleteSelected(ui_.Timer1);
}
void Form1::PushButton5_Click() {
  queue_.clearAll();
}
void Form1::PushButton8_Click() {
  queue_.clearInvalid();
}

// --- help -------------------------------------------------------------------

void Form1::PushButton6_Click() {
  Guard g(report_, "Form1.PushButton6_Click");
  g.step(100, [&] { sys_.dialogs.messageBox(kQueueHelp, kMbOk, appTitle_); });
}

void Form1::PushButton7_Click() {
  Guard g(report_, "Form1.PushButton7_Click");
  g.step(100, [&] { sys_.dialogs.messageBox(kAvailableListHelp, kMbOk, appTitle_); });
}

void Form1::PushButton10_Click() {
  Guard g(report_, "Form1.PushButton10_Click");
  g.step(100, [&] { sys_.dialogs.messageBox(kHelpMessage, kMbOk, appTitle_); });
}

}  // namespace tarnavel
