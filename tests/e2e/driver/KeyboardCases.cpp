// The main window used from the keyboard alone, as in a dialog box: Tab in
// reading order, the arrow keys within an option group, Space on a check
// box, Enter on the focused button.
#include <windows.h>

#include "CaseSupport.h"
#include "Cases.h"

namespace e2e {
namespace {

std::string describe(HWND w) {
  if (w == nullptr) return "nothing";
  return utf8(className(w)) + " " + quoted(remoteText(w));
}

bool chosen(HWND option) {
  return sendWithTimeout(option, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

// Presses a key on the focused control and returns where the focus is then.
HWND press(Ctx& ctx, Session& s, WORD key) {
  pressKey(ctx, s, threadInfo(s).hwndFocus, key);
  return threadInfo(s).hwndFocus;
}

void keyboardCase(Ctx& ctx) {
  freshSettings(ctx);
  ctx.require(writeSetting(kStartStop, L"Off"), "could not write \"StartStopState\"");
  auto s = startProgram(ctx);
  toFront(ctx, *s);
  const auto edits = s->app->childrenOfClass(L"Edit");
  ctx.require(edits.size() == 3, "expected the three interval boxes");
  const auto [availableHelp, queueHelp] = helpButtons(ctx, *s);
  const HWND load = requireButton(ctx, *s, L"Load this software on Windows startup");
  const HWND minimized = requireButton(ctx, *s, L"Minimized to system tray");
  // Under the first start's "Switch every:" the picker and the weekday are
  // disabled; of each option group only the chosen option is a stop.
  const std::vector<HWND> order = {requireButton(ctx, *s, kTurnOn),
                                   requireButton(ctx, *s, kHelp),
                                   requireButton(ctx, *s, L"Switch every:"),
                                   edits[0],
                                   edits[1],
                                   edits[2],
                                   requireButton(ctx, *s, L"Do Nothing (Recommended)"),
                                   load,
                                   s->available->hwnd(),
                                   requireButton(ctx, *s, kAdd),
                                   requireButton(ctx, *s, kRefresh),
                                   availableHelp,
                                   s->queue->hwnd(),
                                   requireButton(ctx, *s, kDelete),
                                   requireButton(ctx, *s, kClearInvalid),
                                   requireButton(ctx, *s, kClearAll),
                                   requireButton(ctx, *s, kEditTime),
                                   queueHelp};
  ctx.require(waitUntil([&] { return threadInfo(*s).hwndFocus == order[0]; }, kChangeTimeoutMs),
              "the active window's focus is on " + describe(threadInfo(*s).hwndFocus) +
                  ", not on its first control");
  for (size_t i = 1; i <= order.size(); ++i) {
    const HWND want = order[i % order.size()];
    const HWND got = press(ctx, *s, VK_TAB);
    if (!ctx.check(got == want, "Tab number " + std::to_string(i) + " went to " + describe(got) +
                                    ", expected " + describe(want))) {
      return;
    }
  }

  // The arrows within "After Switching", in reading order and round; each
  // option reached is chosen, and Tab then stops at it.
  const HWND doNothing = order[6];
  const HWND normal = requireButton(ctx, *s, L"Show Normal");
  const HWND maximized = requireButton(ctx, *s, L"Show Maximized");
  for (int i = 0; i < 6; ++i)
    press(ctx, *s, VK_TAB);
  ctx.require(threadInfo(*s).hwndFocus == doNothing, "six Tabs did not reach \"Do Nothing\"");
  const struct {
    WORD key;
    HWND to;
  } arrows[] = {{VK_DOWN, normal}, {VK_UP, doNothing}, {VK_LEFT, maximized}};
  for (const auto& a : arrows) {
    const HWND got = press(ctx, *s, a.key);
    ctx.check(
        got == a.to && waitUntil([&] { return chosen(a.to); }, kChangeTimeoutMs),
        "an arrow key went to " + describe(got) + ", expected " + describe(a.to) + " and chosen");
  }
  ctx.check(!chosen(doNothing) && !chosen(normal), "the arrows left two options chosen");
  ctx.check(readSetting(L"Option5") == std::wstring(L"True"),
            "\"Option5\" is " + show(readSetting(L"Option5")) + " after the arrows");
  const HWND afterGroup = press(ctx, *s, VK_TAB);
  ctx.check(afterGroup == load, "Tab from the options went to " + describe(afterGroup));
  press(ctx, *s, VK_UP);  // no option group here: the focus stays
  ctx.check(threadInfo(*s).hwndFocus == load, "Up moved the focus off the check box");

  // Space on the check box, twice; Tab visits the box it shows.
  press(ctx, *s, VK_SPACE);
  ctx.check(waitUntil([&] { return sendWithTimeout(load, BM_GETCHECK, 0, 0) == BST_CHECKED; },
                      kChangeTimeoutMs),
            "Space did not check \"Load this software on Windows startup\"");
  ctx.check(press(ctx, *s, VK_TAB) == minimized,
            "Tab did not go to \"Minimized to system tray\" once it shows");
  clickInto(ctx, *s, edits[2]);  // then past the chosen "Show Maximized"
  press(ctx, *s, VK_TAB);
  press(ctx, *s, VK_TAB);
  ctx.require(threadInfo(*s).hwndFocus == load, "Tab from the seconds box missed the check box");
  press(ctx, *s, VK_SPACE);
  ctx.check(waitUntil([&] { return !IsWindowVisible(minimized); }, kChangeTimeoutMs),
            "Space again did not uncheck the box and hide \"Minimized to system tray\"");

  // Enter presses the focused button.
  for (size_t i = 0; i < order.size() && threadInfo(*s).hwndFocus != order[1]; ++i)
    press(ctx, *s, VK_TAB);
  ctx.require(threadInfo(*s).hwndFocus == order[1], "Tab did not come round to \"Help\"");
  pressKey(ctx, *s, order[1], VK_RETURN);
  expectBox(ctx, *s, kHelpText, "Enter on \"Help\"");
  expectNoBox(ctx, *s, "after the keyboard");
  closeProgram(ctx, *s, "after the keyboard");
}

}  // namespace

std::vector<Case> keyboardCases() {
  return {
      {"keyboard", "Tab in reading order, arrows in an option group, Space, Enter", keyboardCase}};
}

}  // namespace e2e
