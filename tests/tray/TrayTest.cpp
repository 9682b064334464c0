#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "FormFixture.h"
#include "tray/SysTray.h"

namespace tarnavel::testing {
namespace {

using Sent = fake::FakeNotifyArea::Sent;
constexpr IconHandle kIcon = fake::FakeNotifyArea::kAppIcon;

TrayRecord added(std::string_view tip) {
  TrayRecord r;
  r.flags = kNifIcon | kNifMessage | (tip.empty() ? 0 : kNifTip);
  r.callbackMessage = 1125;
  r.icon = kIcon;
  r.tip = tip;
  return r;
}

TrayRecord balloon(std::string_view text, std::string_view title, std::uint32_t timeoutMs) {
  TrayRecord r;
  r.flags = kNifInfo;
  r.info = text;
  r.infoTitle = title;
  r.timeoutMs = timeoutMs;
  return r;
}

class Tray : public ::testing::Test {
 protected:
  fake::FakeNotifyArea shell;
  fake::FakeMessageLoop loop;
  std::vector<std::string> heard;
  cSysTray tray{shell, loop, [this] {
                  TrayEvents e;
                  e.MouseMove = [this](std::int32_t id) {
                    heard.push_back("move " + std::to_string(id));
                  };
                  const auto named = [this](std::string what) {
                    return [this, what](int button, std::int32_t id) {
                      heard.push_back(what + std::to_string(button) + " " + std::to_string(id));
                    };
                  };
                  e.MouseDown = named("down");
                  e.MouseUp = named("up");
                  e.MouseDblClick = named("dbl");
                  return e;
                }()};
};

TEST_F(Tray, TheIconIsAddedOnceKeptUpToDateAndRemoved) {
  tray.setInTray(false);  // never added: only stored
  EXPECT_TRUE(shell.sent.empty());
  tray.setTrayTip("before");  // not in the tray: only stored
  tray.setInTray(true);
  tray.setInTray(true);
  tray.setTrayTip("Tarnavel");
  tray.setTrayIcon(0);  // no icon: nothing
  tray.setTrayIcon(0x77);
  tray.setInTray(false);
  TrayRecord tip, icon;
  tip.flags = kNifTip;
  tip.tip = "Tarnavel";
  icon.flags = kNifIcon;
  icon.icon = 0x77;
  EXPECT_EQ(shell.sent, (std::vector<Sent>{{TrayCommand::Add, added("before")},
                                           {TrayCommand::Modify, tip},
                                           {TrayCommand::Modify, icon},
                                           {TrayCommand::Delete, {}}}));
  EXPECT_EQ(tray.TrayTip(), "Tarnavel");
  EXPECT_EQ(tray.TrayIcon(), 0x77u);
}

TEST_F(Tray, AnEmptyTipIsLeftOutAndTheDefaultsAreTheControlsOwn) {
  EXPECT_EQ(tray.TrayTip(), "Vudedi Redivu");
  EXPECT_EQ(tray.TrayIcon(), kIcon);
  tray.setTrayTip("");
  tray.setInTray(true);
  EXPECT_EQ(shell.sent, (std::vector<Sent>{{TrayCommand::Add, added("")}}));
}

// What the program wants is kept apart from what the shell shows: a refused
// icon is put up again when the taskbar (re)starts, a removed one is not.
TEST_F(Tray, ARestartedTaskbarGetsTheIconBackIfItIsWanted) {
  shell.accepts = false;
  tray.setInTray(true);
  EXPECT_TRUE(tray.InTray());
  EXPECT_FALSE(tray.iconShown());
  tray.setTrayTip("Tarnavel");  // the shell has no icon to change
  shell.accepts = true;
  tray.TaskbarCreated();
  EXPECT_TRUE(shell.shown);
  tray.TaskbarCreated();  // a second restart: the shell forgot it again
  EXPECT_EQ(shell.sent, (std::vector<Sent>{{TrayCommand::Add, added("Vudedi Redivu")},
                                           {TrayCommand::Add, added("Tarnavel")},
                                           {TrayCommand::Add, added("Tarnavel")}}));
  tray.setInTray(false);
  shell.sent.clear();
  tray.TaskbarCreated();
  EXPECT_TRUE(shell.sent.empty());
}

TEST_F(Tray, EachNotificationRaisesAtMostOneEvent) {
  const std::pair<std::uint32_t, const char*> table[] = {
      {512, "move 0"}, {513, "down1 0"}, {514, "up1 0"}, {515, "dbl1 0"}, {516, "down2 0"},
      {517, "up2 0"},  {518, "dbl2 0"},  {519, nullptr}, {520, nullptr},  {1026, nullptr},
  };
  for (const auto& [notification, event] : table) {
    heard.clear();
    tray.DispatchTrayMessage(notification, 0);
    EXPECT_EQ(heard, event ? std::vector<std::string>{event} : std::vector<std::string>{})
        << notification;
  }
  tray.DispatchTrayMessage(514, 7);
  EXPECT_EQ(heard.back(), "up1 7");
}

// Each row: how the balloon is asked for, what the shell says meanwhile,
// and what follows: the balloon, the wait, the record that hides it.
TEST_F(Tray, ABalloonShowsWaitsAndIsTakenDownIfStillUp) {
  const TrayRecord hide = balloon("", "", 0);
  const struct {
    const char* name;
    int seconds;
    bool once;
    int shownBefore;               // "once" balloons already shown
    std::uint32_t shellMeanwhile;  // 0: nothing
    bool shown, waits, hidden;
  } cases[] = {
      {"first once", 5, true, 0, 0, true, true, true},
      {"second once", 5, true, 1, 0, false, false, false},
      {"not once, again", 5, false, 1, 0, true, true, true},
      {"no time-out", 0, true, 0, 0, true, false, false},
      {"clicked", 5, true, 0, kNinBalloonUserClick, true, true, false},
      {"timed out", 5, true, 0, kNinBalloonTimeout, true, true, false},
      {"closed", 5, true, 0, kNinBalloonHide, true, true, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    fake::FakeNotifyArea s;
    fake::FakeMessageLoop l;
    cSysTray t(s, l, {});
    t.setInTray(true);
    for (int i = 0; i < c.shownBefore; ++i)
      t.ShowBalloon("earlier", "T", 1, true);
    s.sent.clear();
    l.waits.clear();
    if (c.shellMeanwhile) l.whileWaiting = [&] { t.DispatchTrayMessage(c.shellMeanwhile, 0); };
    t.ShowBalloon("text", "Tarnavel", c.seconds, c.once);
    std::vector<Sent> want;
    if (c.shown) {
      want.push_back({TrayCommand::Modify,
                      balloon("text", "Tarnavel", static_cast<std::uint32_t>(c.seconds) * 1000)});
    }
    if (c.hidden) want.push_back({TrayCommand::Modify, hide});
    EXPECT_EQ(s.sent, want);
    EXPECT_EQ(l.waits, c.waits ? std::vector<int>{c.seconds * 1000} : std::vector<int>{});
  }
}

TEST_F(Tray, ABalloonWithoutAnIconStillCountsAndWaitsAndTooLongAWaitIsAnOverflow) {
  tray.ShowBalloon("text", "Tarnavel", 5, true);  // never put in the tray
  EXPECT_EQ(loop.waitedInFull, std::vector<bool>{true});
  EXPECT_EQ(shell.sent.size(), 2u);
  tray.ShowBalloon("text", "Tarnavel", 5, true);
  EXPECT_EQ(shell.sent.size(), 2u);
  shell.sent.clear();
  EXPECT_THROW(tray.ShowBalloon("text", "Tarnavel", 2147484, false), AppError);
  EXPECT_TRUE(shell.sent.empty());
}

// A shell still starting at log-on refuses the icon and never says when it
// is ready: the icon is asked for again on the retry timer, for the first
// minutes after the refusal; a restarted taskbar starts them afresh.
TEST(TrayRetries, ARefusedIconIsAskedForAgainUntilTheShellTakesItOrTheMinutesAreUp) {
  fake::FakeNotifyArea shell;
  fake::FakeMessageLoop loop;
  fake::FakeTimer retry;
  std::vector<bool> changes;
  TrayEvents events;
  events.IconChanged = [&](bool shown) { changes.push_back(shown); };
  cSysTray tray(shell, loop, events, &retry);
  const auto adds = [&] {
    return std::ranges::count(shell.sent, TrayCommand::Add, &Sent::command);
  };

  shell.startingFor = 3;
  tray.setInTray(true);
  EXPECT_TRUE(retry.running());
  EXPECT_EQ(retry.interval(), cSysTray::kRetryMs);
  tray.RetryTimer();
  tray.RetryTimer();
  EXPECT_TRUE(changes.empty());
  tray.RetryTimer();  // the fourth add: taken
  EXPECT_TRUE(tray.iconShown());
  EXPECT_FALSE(retry.running());
  EXPECT_EQ(changes, std::vector<bool>{true});
  tray.RetryTimer();  // a tick already on its way
  EXPECT_EQ(adds(), 4);

  // A shell that never takes it: the retries end after the first minutes.
  shell.accepts = false;
  shell.sent.clear();
  changes.clear();
  tray.TaskbarCreated();
  EXPECT_EQ(changes, std::vector<bool>{false});
  for (int i = 0; i < cSysTray::kRetries + 5; ++i)
    tray.RetryTimer();
  EXPECT_EQ(adds(), 1 + cSysTray::kRetries);
  EXPECT_FALSE(retry.running());
  // "TaskbarCreated" always asks again, with minutes of retries of its own.
  tray.TaskbarCreated();
  EXPECT_TRUE(retry.running());
  EXPECT_EQ(adds(), 2 + cSysTray::kRetries);
  // Not wanted any more: no more retries.
  tray.setInTray(false);
  EXPECT_FALSE(retry.running());
  tray.RetryTimer();
  EXPECT_EQ(adds(), 2 + cSysTray::kRetries);
}

// --- the main window's side -------------------------------------------------

class TrayForm : public FormTest {
 protected:
  // Minimises the window, and runs what that posts (the balloon).
  void minimise() {
    f.Form.setState(WindowState::Minimized);
    form->onResize();
    f.loop.runPosted();
  }
  void release(std::uint32_t button) { form->onTrayMessage(button, 0); }
};

TEST_F(TrayForm, TheIconIsUpFromStartUpWithTheProductsName) {
  load();
  EXPECT_EQ(f.tray.sent, (std::vector<Sent>{{TrayCommand::Add, added("Tarnavel")}}));
  EXPECT_TRUE(f.hook.installed);
  form->showAfterLoad();
  EXPECT_TRUE(f.Form.visible());
}

TEST_F(TrayForm, MinimisingHidesIntoTheTrayAndAReleaseOnTheIconBringsItBack) {
  f.windows.open("Alpha");
  load();
  form->showAfterLoad();
  addToQueue("Alpha");
  f.tray.sent.clear();
  form->onClick(Ctl::PushButton2);  // monitoring on minimises the window: to the tray
  // Turning on is complete before the balloon starts its wait.
  EXPECT_EQ(f.PushButton2.caption(), "Turn Off");
  EXPECT_TRUE(f.Timer1.enabled());
  EXPECT_TRUE(f.loop.waits.empty());
  f.loop.runPosted();
  EXPECT_FALSE(f.Form.visible());
  EXPECT_EQ(f.Form.state(), WindowState::Normal);
  EXPECT_TRUE(form->hiddenInTray());
  EXPECT_EQ(f.tray.sent, (std::vector<Sent>{
                             {TrayCommand::Modify,
                              balloon("has been minimized to the system tray.\r\nClick on the "
                                      "blue 'K' icon (K for Kestrine) to bring the software back.",
                                      "Tarnavel", 5000)},
                             {TrayCommand::Modify, balloon("", "", 0)}}));
  release(kNinBalloonUserClick);  // a click on the balloon restores nothing
  EXPECT_FALSE(f.Form.visible());
  release(517);  // the right button as the left
  EXPECT_TRUE(f.Form.visible());
  EXPECT_FALSE(form->hiddenInTray());
  EXPECT_EQ(f.Form.activateCount, 1);
  EXPECT_EQ(f.PushButton2.caption(), "Turn Off");
  EXPECT_TRUE(f.Timer1.enabled());

  f.tray.sent.clear();
  minimise();  // the second time: no balloon
  EXPECT_FALSE(f.Form.visible());
  EXPECT_TRUE(f.tray.sent.empty());
  release(514);
  release(514);  // already shown: only activated
  EXPECT_TRUE(f.Form.visible());
  EXPECT_EQ(f.Form.activateCount, 3);

  // Hidden, turned off and on again by the hotkey: it still comes back
  // normal, not as a taskbar button.
  minimise();
  for (const bool down : {true, false, true, false})
    form->onKeyT({down, true, true});
  ASSERT_EQ(f.PushButton2.caption(), "Turn Off");
  release(514);
  EXPECT_TRUE(f.Form.visible());
  EXPECT_EQ(f.Form.state(), WindowState::Normal);
}

TEST_F(TrayForm, AReleaseDuringTheBalloonsWaitRestoresAtOnce) {
  load();
  form->showAfterLoad();
  bool visibleInWait = false;
  f.loop.whileWaiting = [&] {
    release(514);
    visibleInWait = f.Form.visible();
  };
  minimise();
  EXPECT_TRUE(visibleInWait);
  EXPECT_TRUE(f.Form.visible());
  EXPECT_FALSE(form->hiddenInTray());
}

TEST_F(TrayForm, StartingMinimisedTheWindowIsNeverShown) {
  f.settings.values["Windows Startup"] = "On";
  f.settings.values["Minimized"] = "On";
  load();
  form->showAfterLoad();
  f.loop.runPosted();
  EXPECT_EQ(f.Form.showCount, 0);
  EXPECT_TRUE(form->hiddenInTray());
  // The icon went up before the balloon, so the balloon shows on it.
  ASSERT_EQ(f.tray.sent.size(), 3u);
  EXPECT_EQ(f.tray.sent[0].command, TrayCommand::Add);
  EXPECT_EQ(f.tray.sent[1].record.flags, kNifInfo);
  release(514);
  EXPECT_EQ(f.Form.showCount, 1);
}

// Whatever sends the window to the tray, with no icon shown it stays
// minimised on the taskbar, where it can be reached; once the shell takes
// the icon, a window still minimised goes to the tray as it was sent.
TEST(TrayWaiting, WithNoIconShownTheWindowWaitsOnTheTaskbarUntilTheShellTakesIt) {
  using Send = std::function<void(fake::FakeForm&, Form1&)>;
  const Send minimise = [](fake::FakeForm& f, Form1& form) {
    f.Form.setState(WindowState::Minimized);
    form.onResize();
  };
  const struct {
    const char* name;
    bool startMinimised;
    Send send;
    bool restoredMeanwhile;
  } cases[] = {
      {"started minimised", true, [](fake::FakeForm&, Form1&) {}, false},
      {"turned on", false, [](fake::FakeForm&, Form1& form) { form.onClick(Ctl::PushButton2); },
       false},
      {"minimised", false, minimise, false},
      {"minimised, then restored", false, minimise, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    fake::FakeForm f;
    f.windows.open("Alpha");
    f.settings.values["StartStopState"] = "Off";
    if (c.startMinimised) {
      f.settings.values["Windows Startup"] = "On";
      f.settings.values["Minimized"] = "On";
    }
    f.tray.startingFor = 1000;  // still starting at log-on
    Form1 form(f.controls, f.services);
    form.Form_Load();
    form.showAfterLoad();
    f.ListView1.select(1);  // "Alpha", the one window listed
    form.onClick(Ctl::PushButton3);
    c.send(f, form);
    f.loop.runPosted();
    EXPECT_TRUE(f.Form.visible());
    EXPECT_EQ(f.Form.state(), WindowState::Minimized);
    EXPECT_FALSE(form.hiddenInTray());
    EXPECT_TRUE(f.TrayTimer.running());
    if (c.restoredMeanwhile) {
      f.Form.setState(WindowState::Normal);
      form.onResize();
    }
    f.tray.startingFor = 0;
    form.onTrayTimer();
    f.loop.runPosted();
    EXPECT_TRUE(f.tray.shown);
    EXPECT_FALSE(f.TrayTimer.running());
    EXPECT_EQ(form.hiddenInTray(), !c.restoredMeanwhile);
    EXPECT_EQ(f.Form.visible(), c.restoredMeanwhile);
    // The balloon came once the icon was there to point at.
    const bool balloon = std::ranges::any_of(
        f.tray.sent, [](const Sent& sent) { return sent.record.flags == kNifInfo; });
    EXPECT_EQ(balloon, !c.restoredMeanwhile);
  }
}

// A restarted taskbar that refuses the icon leaves the window in the tray
// with no way back: it comes back as a taskbar button until the icon is up.
TEST_F(TrayForm, AWindowInTheTrayComesBackToTheTaskbarWhenARestartedTaskbarRefusesTheIcon) {
  load();
  form->showAfterLoad();
  minimise();
  ASSERT_TRUE(form->hiddenInTray());
  f.tray.accepts = false;
  form->onTaskbarCreated();
  EXPECT_TRUE(f.Form.visible());
  EXPECT_EQ(f.Form.state(), WindowState::Minimized);
  EXPECT_FALSE(form->hiddenInTray());
  EXPECT_TRUE(f.TrayTimer.running());
  f.tray.accepts = true;
  form->onTaskbarCreated();
  f.loop.runPosted();
  EXPECT_TRUE(form->hiddenInTray());
  EXPECT_FALSE(f.Form.visible());
  EXPECT_FALSE(f.TrayTimer.running());
}

// Closing from any state takes the icon out after the queue is stored and
// ends the program; closed during the balloon's wait, nothing follows.
TEST_F(TrayForm, ClosingWhileHiddenOrDuringTheBalloonStoresTheQueueAndRemovesTheIcon) {
  f.windows.open("Alpha");
  load();
  form->showAfterLoad();
  addToQueue("Alpha");
  f.settings.values.erase("Queued Windows");
  f.loop.whileWaiting = [&] { form->onCloseRequest(); };
  minimise();
  EXPECT_TRUE(f.loop.ended);
  EXPECT_NE(stored(), "<absent>");
  EXPECT_EQ(f.tray.sent.back().command, TrayCommand::Delete);
  EXPECT_FALSE(f.hook.installed);
}

}  // namespace
}  // namespace tarnavel::testing
