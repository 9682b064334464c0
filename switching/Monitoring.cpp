#include "switching/Monitoring.h"

#include "core/TimerPause.h"
#include "switching/SwitchTimer.h"

namespace tarnavel {

bool Monitoring::on() const {
  return cx_.ui.PushButton2.caption() == kTurnOff;
}

void Monitoring::PushButton2_Click() {
  Guard g(cx_.report, "Form1.PushButton2_Click");
  if (g.test(100, [&] { return on(); })) {
    turnOff(g);
  } else {
    turnOn(g);
  }
}

void Monitoring::turnOn(Guard& g) {
  auto& ui = cx_.ui;
  if (g.test(102, [&] { return ui.ListView2.count() == 0; })) {
    g.step(124, [&] { cx_.sys.dialogs.messageBox(kQueueEmpty, kMbOk, cx_.appTitle); });
    return;
  }
  g.step(104, [&] { SavedOnCaption = ui.PushButton2.caption(); });
  g.step(106, [&] { times_.CheckTimeBeforeCwitch(); });
  g.step(108, [&] { ui.Form.setState(WindowState::Minimized); });
  g.step(110, [&] { ui.PushButton2.setCaption(kTurnOff); });
  if (g.test(112, [&] { return ui.Option1.value() || ui.Option2.value(); })) {
    g.step(114, [&] { countdown_.rebase(SecondsToSwitchTime(cx_.sys.clock, ui.dtpWeekly)); });
  }
  g.step(116, [&] { countdown_.QueueIndex = 1; });
  g.step(118, [&] { ui.Timer1.setEnabled(true); });
  g.step(120, [&] { ui.Timer1.setInterval(kTickMilliseconds); });
  g.step(122, [&] { cx_.settings.write(kStartStopKey, "On"); });
}

void Monitoring::turnOff(Guard& g) {
  auto& ui = cx_.ui;
  g.step(126, [&] { ui.Timer1.setEnabled(false); });
  g.step(128, [&] { ui.Timer1.setInterval(0); });
  g.step(130, [&] { ui.Frame4.setCaption(kStatusOff); });
  g.step(130, [&] { ui.Form.setPointer(MousePointer::Default); });
  g.step(132, [&] { ui.ProgressBar1.setValue(0); });
  g.step(132, [&] { ui.ProgressBar1.setCaption(kProgressBarText); });
  g.step(134, [&] { ui.PushButton2.setCaption(SavedOnCaption); });
  g.step(136, [&] { cx_.settings.write(kStartStopKey, "Off"); });
}

}  // namespace tarnavel
