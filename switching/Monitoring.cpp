#include "switching/Monitoring.h"

#include "form/TimerPause.h"
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
  if (g.test(102, [&] { return cx_.ui.ListView2.count() == 0; })) {
    g.step(124, [&] { cx_.sys.dialogs.messageBox(kQueueEmpty, kMbOk, cx_.appTitle); });
    return;
  }
  start(g, {104, 106, 108, 110, 112, 114, 116, 118, 120}, std::nullopt);
  g.step(122, [&] { cx_.settings.write(kStartStopKey, "On"); });
}

void Monitoring::turnOff(Guard& g) {
  showOff(g, {126, 128, 130, 132, 134}, SavedOnCaption);
  g.step(136, [&] { cx_.settings.write(kStartStopKey, "Off"); });
}

void Monitoring::start(Guard& g, const OnLabels& l, std::optional<std::string_view> savedCaption) {
  auto& ui = cx_.ui;
  g.step(l.saveCaption, [&] {
    SavedOnCaption = savedCaption ? std::string(*savedCaption) : ui.PushButton2.caption();
  });
  g.step(l.check, [&] { times_.CheckTimeBeforeCwitch(); });
  if (l.minimise != 0) g.step(l.minimise, [&] { ui.Form.setState(WindowState::Minimized); });
  g.step(l.caption, [&] { ui.PushButton2.setCaption(kTurnOff); });
  if (g.test(l.rebaseTest, [&] { return ui.Option1.value() || ui.Option2.value(); })) {
    g.step(l.rebase, [&] { countdown_.rebase(SecondsToSwitchTime(cx_.sys.clock, ui.dtpWeekly)); });
  }
  g.step(l.index, [&] {
    countdown_.QueueIndex = 1;
    countdown_.displays.clear();
  });
  g.step(l.enable, [&] { ui.Timer1.setEnabled(true); });
  g.step(l.interval, [&] { ui.Timer1.setInterval(kTickMilliseconds); });
  if (changed) changed();
}

void Monitoring::showOff(Guard& g, const OffLabels& l, std::string_view buttonCaption) {
  auto& ui = cx_.ui;
  g.step(l.disable, [&] { ui.Timer1.setEnabled(false); });
  g.step(l.zero, [&] { ui.Timer1.setInterval(0); });
  g.step(l.status, [&] { ui.Frame4.setCaption(kStatusOff); });
  g.step(l.status, [&] { ui.Form.setPointer(MousePointer::Default); });
  g.step(l.bar, [&] { ui.ProgressBar1.setValue(0); });
  g.step(l.bar, [&] { ui.ProgressBar1.setCaption(kProgressBarText); });
  g.step(l.caption, [&] { ui.PushButton2.setCaption(buttonCaption); });
  if (changed) changed();
}

}  // namespace tarnavel
