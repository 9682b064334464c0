#include "SelfTest.h"

#include <windows.h>

#include <commctrl.h>

#include <algorithm>

#include "AppUnderTest.h"
#include "Registry.h"
#include "RemoteList.h"
#include "Targets.h"
#include "Text.h"

namespace e2e {

namespace {

// --- the fixture ------------------------------------------------------------

constexpr int kIdShowBox = 101;
constexpr int kIdShowIconBox = 102;
constexpr int kIdHelpTop = 103;
constexpr int kIdHelpBottom = 104;
constexpr int kIdWriteSetting = 105;
constexpr int kIdItems = 201;
constexpr int kIdQueue = 202;

const wchar_t kBoxText[] = L"First line.\r\n\r\nSecond line.\r\rLast line.";

HWND gItems = nullptr;
HWND gQueue = nullptr;

void addRow(HWND list, const std::vector<std::wstring>& cells) {
  LVITEMW it{};
  it.mask = LVIF_TEXT;
  it.iItem = ListView_GetItemCount(list);
  it.pszText = const_cast<LPWSTR>(cells[0].c_str());
  int row = static_cast<int>(SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&it)));
  for (size_t c = 1; c < cells.size(); ++c) {
    LVITEMW sub{};
    sub.iSubItem = static_cast<int>(c);
    sub.pszText = const_cast<LPWSTR>(cells[c].c_str());
    SendMessageW(list, LVM_SETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&sub));
  }
}

void addColumn(HWND list, int index, const wchar_t* text, int width) {
  LVCOLUMNW col{};
  col.mask = LVCF_TEXT | LVCF_WIDTH;
  col.pszText = const_cast<LPWSTR>(text);
  col.cx = width;
  SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&col));
}

int selectedRow(HWND list) {
  return static_cast<int>(
      SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), MAKELPARAM(LVNI_SELECTED, 0)));
}

LRESULT CALLBACK fixtureProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND:
      if (HIWORD(wp) == BN_CLICKED) {
        switch (LOWORD(wp)) {
          case kIdShowBox: MessageBoxW(hwnd, kBoxText, kFixtureTitle, MB_OK); break;
          case kIdShowIconBox:
            MessageBoxW(hwnd, L"Warning.", kFixtureTitle, MB_OK | MB_ICONWARNING);
            break;
          case kIdHelpTop: MessageBoxW(hwnd, L"top", kFixtureTitle, MB_OK); break;
          case kIdHelpBottom: MessageBoxW(hwnd, L"bottom", kFixtureTitle, MB_OK); break;
          case kIdWriteSetting: writeSetting(L"Fixture", L"written"); break;
        }
      }
      return 0;
    case WM_NOTIFY: {
      auto* nm = reinterpret_cast<NMHDR*>(lp);
      if (nm->code == NM_DBLCLK) {
        // Acts on the selected row, whatever row the pointer was on.
        if (nm->hwndFrom == gItems) {
          int row = selectedRow(gItems);
          if (row >= 0) {
            wchar_t buf[512] = {};
            LVITEMW it{};
            it.pszText = buf;
            it.cchTextMax = 512;
            SendMessageW(gItems, LVM_GETITEMTEXTW, static_cast<WPARAM>(row),
                         reinterpret_cast<LPARAM>(&it));
            addRow(gQueue, {std::to_wstring(row), buf, L"Valid", L""});
          }
        } else if (nm->hwndFrom == gQueue) {
          int row = selectedRow(gQueue);
          if (row >= 0) SendMessageW(gQueue, LVM_DELETEITEM, static_cast<WPARAM>(row), 0);
        }
      }
      return 0;
    }
    case WM_CLOSE: DestroyWindow(hwnd); return 0;
    case WM_DESTROY: PostQuitMessage(0); return 0;
    default: return DefWindowProcW(hwnd, msg, wp, lp);
  }
}

HWND makeButton(HWND parent, const wchar_t* text, int id, int x, int y) {
  return CreateWindowExW(0, L"Button", text, WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, x, y, 140, 28,
                         parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                         GetModuleHandleW(nullptr), nullptr);
}

HWND makeList(HWND parent, int id, int x, int y) {
  HWND list =
      CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
                      WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS, x, y,
                      420, 160, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                      GetModuleHandleW(nullptr), nullptr);
  return list;
}

// --- helpers of the cases ------------------------------------------------

std::unique_ptr<AppUnderTest> startFixture(Ctx& ctx) {
  std::string error;
  auto app = AppUnderTest::start(ctx.options().selfPath, L"--fixture", kFixtureTitle, 15000, error);
  ctx.require(app != nullptr, "fixture: " + error);
  return app;
}

void closeFixture(Ctx& ctx, AppUnderTest& app) {
  std::string error;
  bool closed = app.close(5000, error);
  ctx.check(closed, error);
}

std::string join(const std::vector<std::wstring>& items) {
  std::string s = "[";
  for (size_t i = 0; i < items.size(); ++i)
    s += (i ? ", " : "") + quoted(items[i]);
  return s + "]";
}

std::string join(const std::vector<HWND>& items) {
  std::string s = "[";
  for (size_t i = 0; i < items.size(); ++i)
    s += (i ? ", " : "") + hex(items[i]);
  return s + "]";
}

// --- the cases --------------------------------------------------------------

void targetsCase(Ctx& ctx) {
  TargetHost host;
  ctx.require(host.ok(), "the target thread did not start");
  HWND a = host.create(L"E2E self A");
  HWND b = host.create(L"E2E self B");
  HWND c = host.create(L"E2E self C");
  HWND hidden = host.create(L"E2E self hidden", TargetKind::Hidden);
  HWND nomax = host.create(L"E2E self nomax", TargetKind::NoMaximize);
  HWND untitled = host.create(L"");
  HWND mini = host.create(L"E2E self mini", TargetKind::Minimized);
  ctx.require(a && b && c && hidden && nomax && untitled && mini, "could not create the targets");
  ctx.check(windowTitle(a) == L"E2E self A", "title of A");
  ctx.check(qualifiesForList(a, nullptr), "A qualifies");
  ctx.check(!qualifiesForList(hidden, nullptr), "hidden does not qualify");
  ctx.check(!qualifiesForList(nomax, nullptr), "no-maximize does not qualify");
  ctx.check(!qualifiesForList(untitled, nullptr), "untitled does not qualify");
  ctx.check(qualifiesForList(mini, nullptr), "minimized qualifies");
  ctx.check(IsIconic(mini) != FALSE, "minimized target is iconic");
  ctx.check(!qualifiesForList(a, a), "the program's own window never qualifies");

  auto order = [&] {
    std::vector<HWND> mine;
    for (HWND w : topLevelWindowsInZOrder()) {
      if (w == a || w == b || w == c) mine.push_back(w);
    }
    return mine;
  };
  Sleep(300);
  auto before = order();
  ctx.note("Z order after creation " + join(before) + " for A=" + hex(a) + " B=" + hex(b) +
           " C=" + hex(c));
  ctx.check(host.raise(a), "raise A");
  auto after = order();
  ctx.check(!after.empty() && after[0] == a,
            "A is on top of B and C after raising it: " + join(after));
  ctx.check(host.destroy(b) && !IsWindow(b), "B destroyed");
  ctx.check(host.windows().size() == 6, "six windows left");
}

void controlsCase(Ctx& ctx) {
  auto app = startFixture(ctx);
  ctx.check(app->button(L"Show Box") != nullptr, "button by caption");
  auto helps = app->buttons(L"?");
  ctx.check(helps.size() == 2, "two '?' buttons, found " + std::to_string(helps.size()));
  ctx.check(app->button(L"No Such") == nullptr, "no button for an unknown caption");
  HWND items = app->listViewWithHeader(L"Items");
  HWND queue = app->listViewWithHeader(L"Handle");
  ctx.require(items && queue, "list views by header");
  RemoteListView q(queue);
  auto headers = q.headers();
  ctx.check(headers && *headers == std::vector<std::wstring>{L"Handle", L"Queue (Double-click)",
                                                             L"Status", L"Time"},
            "queue headers: " + (headers ? join(*headers) : std::string("unreadable")));
  closeFixture(ctx, *app);
}

void listViewCase(Ctx& ctx) {
  auto app = startFixture(ctx);
  RemoteListView items(app->listViewWithHeader(L"Items"));
  RemoteListView queue(app->listViewWithHeader(L"Handle"));
  ctx.require(items.ok() && queue.ok(), "remote list views");
  auto rows = items.column(0);
  std::vector<std::wstring> expected = {L"alpha", L"\u03b2eta \u76e3\u8996", L"gamma"};
  ctx.check(rows && *rows == expected,
            "items read across processes: " + (rows ? join(*rows) : std::string("unreadable")));
  auto q = queue.rows(4);
  ctx.check(
      q && q->size() == 1 && (*q)[0] == std::vector<std::wstring>{L"-5", L"first", L"Valid", L"60"},
      "queue row with sub-items");
  ctx.check(items.select(2) && items.selection() == std::vector<int>{2}, "select row 2");
  ctx.check(items.select(1) && items.selection() == std::vector<int>{1}, "select row 1 instead");
  ctx.check(items.doubleClick(1), "double-click posted");
  bool added = waitUntil([&] { return queue.count() == 2; }, 3000);
  ctx.check(added, "double-click on an item reached the fixture");
  if (added) {
    auto t = queue.text(1, 1);
    ctx.check(t && *t == expected[1], "the double-clicked row was added: " + quoted(t ? *t : L""));
  }
  ctx.check(queue.clickPoint(0).has_value(), "a queue row (full-row select) can be clicked");
  ctx.check(queue.doubleClick(0), "double-click on the queue posted");
  bool removed = waitUntil([&] { return queue.count() == (added ? 1 : 0); }, 3000);
  ctx.check(removed, "double-click on a queue row (narrow first column) removed it");
  RemoteListView narrow(app->listViewWithHeader(L"Hidden"));
  ctx.check(narrow.ok() && !narrow.clickPoint(0).has_value(),
            "a row whose only clickable column is hidden has no click point");
  auto rect = items.itemRect(0);
  ctx.check(rect && rect->bottom > rect->top, "item rectangle");
  closeFixture(ctx, *app);
}

void messageBoxCase(Ctx& ctx) {
  auto app = startFixture(ctx);
  ctx.check(app->messageBoxes().empty(), "no box at first");
  ctx.require(app->press(app->button(L"Show Box")), "press Show Box");
  auto box = app->waitMessageBox(5000);
  ctx.require(box.has_value(), "the box appeared");
  ctx.check(box->caption == kFixtureTitle, "caption " + quoted(box->caption));
  ctx.check(box->owner == app->main(), "owned by the main window");
  ctx.check(box->visibleButtons == std::vector<int>{IDOK}, "OK only");
  ctx.check(!box->hasIcon, "no icon on an MB_OK box");
  ctx.note("MB_OK text read back as " + quoted(box->text) + ", shown with " + quoted(kBoxText));
  ctx.check(box->text == kBoxText, "text read back exactly: " + quoted(box->text));
  ctx.check(!IsWindowEnabled(app->main()), "the owner is disabled while the box is up");
  ctx.check(app->answerOk(*box), "OK closes the box");
  ctx.check(app->messageBoxes().empty(), "no box after OK");
  ctx.check(IsWindowEnabled(app->main()) != FALSE, "the owner is enabled again");

  ctx.require(app->press(app->button(L"Show Icon Box")), "press Show Icon Box");
  auto warn = app->waitMessageBox(5000);
  ctx.require(warn.has_value(), "the warning box appeared");
  ctx.check(warn->hasIcon, "the warning box has an icon");
  ctx.check(app->answerOk(*warn), "OK closes the warning box");

  auto helps = app->buttons(L"?");
  ctx.require(helps.size() == 2, "two '?' buttons");
  RECT r0{}, r1{};
  GetWindowRect(helps[0], &r0);
  GetWindowRect(helps[1], &r1);
  HWND top = r0.top < r1.top ? helps[0] : helps[1];
  ctx.require(app->press(top), "press the upper '?'");
  auto t = app->waitMessageBox(5000);
  ctx.check(t && t->text == L"top", "the upper '?' is found by its place");
  if (t) app->answerOk(*t);
  closeFixture(ctx, *app);
}

void registryCase(Ctx& ctx) {
  ctx.check(deleteSettings(), "settings key deleted");
  ctx.check(settingsSnapshot().empty(), "no values after deleting");
  ctx.check(!readSetting(L"Queued Windows").has_value(), "absent value reads as nothing");
  std::wstring text =
      L"12345||||||||123|||\u00dcberwachung \u2013 \u76e3\u8996||||||||123|||"
      L"||||||||234|||";
  ctx.check(writeSetting(L"Queued Windows", text), "write");
  DWORD type = 0;
  auto back = readSetting(L"Queued Windows", &type);
  ctx.check(back && *back == text && type == REG_SZ, "UTF-16 round trip");
  auto raw = readSettingRaw(L"Queued Windows");
  ctx.check(raw && raw->data.size() == (text.size() + 1) * sizeof(wchar_t), "raw size");
  auto snap = settingsSnapshot();
  ctx.check(snap.size() == 1, "one value in the snapshot");

  {
    SettingsWatch watch;
    ctx.require(watch.armed(), "watch armed");
    Sleep(200);
    ctx.check(!watch.changed(), "no change reported while nothing is written");
    auto app = startFixture(ctx);
    ctx.require(app->press(app->button(L"Write Setting")), "press Write Setting");
    ctx.check(waitUntil([&] { return watch.changed(); }, 3000),
              "a write by another process is seen");
    ctx.check(readSetting(L"Fixture") == std::optional<std::wstring>(L"written"),
              "and its value read");
    ctx.check(snapshotDiff(snap, settingsSnapshot()).find("Fixture") != std::string::npos,
              "snapshot difference names the new value");
    closeFixture(ctx, *app);
  }
  {
    // Wine's registry drops a write of the data already stored without
    // telling anyone, so only real changes can be seen there.
    SettingsWatch watch;
    writeSetting(L"Queued Windows", text);
    ctx.note(std::string("a rewrite of the same data ") +
             (waitUntil([&] { return watch.changed(); }, 1000) ? "is" : "is not") + " seen");
  }
  ctx.check(deleteSettings(), "settings key deleted at the end");
}

}  // namespace

int runFixture() {
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&icc);
  HINSTANCE inst = GetModuleHandleW(nullptr);
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = fixtureProc;
  wc.hInstance = inst;
  wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = L"TarnavelE2eFixture";
  RegisterClassExW(&wc);
  HWND main = CreateWindowExW(0, wc.lpszClassName, kFixtureTitle, WS_OVERLAPPEDWINDOW, 100, 100,
                              900, 480, nullptr, nullptr, inst, nullptr);
  if (!main) return 1;
  makeButton(main, L"Show Box", kIdShowBox, 10, 10);
  makeButton(main, L"Show Icon Box", kIdShowIconBox, 160, 10);
  makeButton(main, L"Write Setting", kIdWriteSetting, 310, 10);
  makeButton(main, L"?", kIdHelpBottom, 460, 400);
  makeButton(main, L"?", kIdHelpTop, 460, 50);
  gItems = makeList(main, kIdItems, 10, 50);
  gQueue = makeList(main, kIdQueue, 10, 230);
  SendMessageW(gQueue, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
  addColumn(gItems, 0, L"Items", 300);
  addColumn(gQueue, 0, L"Handle", 0);
  addColumn(gQueue, 1, L"Queue (Double-click)", 200);
  addColumn(gQueue, 2, L"Status", 100);
  addColumn(gQueue, 3, L"Time", 0);
  for (const wchar_t* t : {L"alpha", L"\u03b2eta \u76e3\u8996", L"gamma"})
    addRow(gItems, {t});
  addRow(gQueue, {L"-5", L"first", L"Valid", L"60"});
  HWND narrow = makeList(main, 0, 450, 230);
  addColumn(narrow, 0, L"Hidden", 0);
  addColumn(narrow, 1, L"Shown", 200);
  addRow(narrow, {L"x", L"y"});
  ShowWindow(main, SW_SHOW);
  UpdateWindow(main);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return 0;
}

std::vector<Case> selfTestCases() {
  return {
      {"self_targets", "target windows: kinds, titles, Z order", targetsCase},
      {"self_controls", "controls found by caption and header", controlsCase},
      {"self_listview", "list views read, selected, double-clicked across processes", listViewCase},
      {"self_message_box", "message boxes found, read, answered", messageBoxCase},
      {"self_registry", "registry read, write, snapshot, change watch", registryCase},
  };
}

}  // namespace e2e
