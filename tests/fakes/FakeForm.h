// A whole main window of fake controls with fake services, ready to build a
// Form1 on, with one failure plan over all of them.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "core/Calendar.h"
#include "form/Form1Controls.h"
#include "form/Form1Layout.h"
#include "form/FormEvents.h"
#include "tests/fakes/FakeControls.h"
#include "tests/fakes/FakeSystem.h"

namespace tarnavel::fake {

inline std::string designText(Ctl id) {
  return std::string(layoutOf(id).text);
}

struct FakeForm {
  FakeForm() {
    for (const auto day : kWeekdayNames)
      cboWeekly.addItem(day);
    watch(Form, "Form", PushButton1, "PushButton1", PushButton2, "PushButton2", PushButton3,
          "PushButton3", PushButton4, "PushButton4", PushButton5, "PushButton5", PushButton6,
          "PushButton6", PushButton7, "PushButton7", PushButton8, "PushButton8", PushButton9,
          "PushButton9", PushButton10, "PushButton10", Label1, "Label1", Label2, "Label2", Label3,
          "Label3", Label4, "Label4", Frame1, "Frame1", Frame2, "Frame2", Frame3, "Frame3", Frame4,
          "Frame4", ProgressBar1, "ProgressBar1", Option1, "Option1", Option2, "Option2", Option3,
          "Option3", Option4, "Option4", Option5, "Option5", Option6, "Option6", Option7, "Option7",
          Option8, "Option8", Text1, "Text1", Text2, "Text2", Text3, "Text3", dtpWeekly,
          "dtpWeekly", cboWeekly, "cboWeekly", Check4, "Check4", Check8, "Check8", ListView1,
          "ListView1", ListView2, "ListView2", Timer1, "Timer1", dialogs, "dialogs", windows,
          "windows", settings, "settings", files, "files", clock, "clock", locale, "locale", loop,
          "loop", hook, "hook", run, "run", tray, "tray");
  }
  FakeForm(const FakeForm&) = delete;
  FakeForm& operator=(const FakeForm&) = delete;

  FakeMainWindow Form;
  FakeControl PushButton1{designText(Ctl::PushButton1)};
  FakeControl PushButton2{designText(Ctl::PushButton2)};
  FakeControl PushButton3{designText(Ctl::PushButton3)};
  FakeControl PushButton4{designText(Ctl::PushButton4)};
  FakeControl PushButton5{designText(Ctl::PushButton5)};
  FakeControl PushButton6{designText(Ctl::PushButton6)};
  FakeControl PushButton7{designText(Ctl::PushButton7)};
  FakeControl PushButton8{designText(Ctl::PushButton8)};
  FakeControl PushButton9{designText(Ctl::PushButton9)};
  FakeControl PushButton10{designText(Ctl::PushButton10)};
  FakeControl Label1{designText(Ctl::Label1)};
  FakeControl Label2{designText(Ctl::Label2)};
  FakeControl Label3{designText(Ctl::Label3)};
  FakeControl Label4{designText(Ctl::Label4)};
  FakeControl Frame1{designText(Ctl::Frame1)};
  FakeControl Frame2{designText(Ctl::Frame2)};
  FakeControl Frame3{designText(Ctl::Frame3)};
  FakeControl Frame4{designText(Ctl::Frame4)};
  FakeProgressBar ProgressBar1{designText(Ctl::ProgressBar1)};
  FakeOptionButton Option1{designText(Ctl::Option1)};
  FakeOptionButton Option2{designText(Ctl::Option2)};
  FakeOptionButton Option3{designText(Ctl::Option3)};
  FakeOptionButton Option4{designText(Ctl::Option4)};
  FakeOptionButton Option5{designText(Ctl::Option5)};
  FakeOptionButton Option6{designText(Ctl::Option6)};
  FakeOptionButton Option7{designText(Ctl::Option7)};
  FakeOptionButton Option8{designText(Ctl::Option8)};
  FakeTextBox Text1;
  FakeTextBox Text2;
  FakeTextBox Text3;
  FakeTimePicker dtpWeekly;
  FakeComboBox cboWeekly;
  FakeCheckBox Check4{designText(Ctl::Check4)};
  FakeCheckBox Check8{designText(Ctl::Check8)};
  FakeListView ListView1;
  FakeListView ListView2;
  FakeTimer Timer1;
  // Outside the failure plan: they start and stop around the guarded steps
  // without being statements of their own.
  FakeTimer TrayTimer;
  FakeTimer HookTimer;

  // The failure plan of every fake here.
  FaultPlan faults;

  FakeDialogs dialogs;
  FakeWindowSystem windows;
  FakeSettings settings;
  FakeFiles files;
  FakeClock clock;
  FakeLocale locale;
  FakeMessageLoop loop;
  FakeKeyboardHook hook;
  FakeRunEntry run;
  FakeProcesses processes;
  FakeNotifyArea tray;
  // Outside the failure plan: the program asks it only for choices that
  // are off unless a test turns them on.
  FakeUserInput input;
  FakeLogFiles logFiles;
  FakePowerRequest power;

  Form1Controls controls{
      .Form = Form,
      .PushButton1 = PushButton1,
      .PushButton2 = PushButton2,
      .PushButton3 = PushButton3,
      .PushButton4 = PushButton4,
      .PushButton5 = PushButton5,
      .PushButton6 = PushButton6,
      .PushButton7 = PushButton7,
      .PushButton8 = PushButton8,
      .PushButton9 = PushButton9,
      .PushButton10 = PushButton10,
      .Label1 = Label1,
      .Label2 = Label2,
      .Label3 = Label3,
      .Label4 = Label4,
      .Frame1 = Frame1,
      .Frame2 = Frame2,
      .Frame3 = Frame3,
      .Frame4 = Frame4,
      .ProgressBar1 = ProgressBar1,
      .Option1 = Option1,
      .Option2 = Option2,
      .Option3 = Option3,
      .Option4 = Option4,
      .Option5 = Option5,
      .Option6 = Option6,
      .Option7 = Option7,
      .Option8 = Option8,
      .Text1 = Text1,
      .Text2 = Text2,
      .Text3 = Text3,
      .dtpWeekly = dtpWeekly,
      .cboWeekly = cboWeekly,
      .Check4 = Check4,
      .Check8 = Check8,
      .ListView1 = ListView1,
      .ListView2 = ListView2,
      .Timer1 = Timer1,
      .TrayTimer = TrayTimer,
      .HookTimer = HookTimer,
  };
  Services services{.dialogs = dialogs,
                    .windows = windows,
                    .settings = settings,
                    .files = files,
                    .clock = clock,
                    .locale = locale,
                    .loop = loop,
                    .hook = hook,
                    .run = run,
                    .tray = tray,
                    .input = input,
                    .processes = processes,
                    .logFiles = logFiles,
                    .power = power};

  // A second start of the program hands the running copy a request, as the
  // system carries WM_COPYDATA: the bytes are the receiver's to read only
  // while it handles the message, and are gone once it returns.
  static std::optional<std::string> secondStart(FormEvents& running, std::uint64_t kind,
                                                std::string_view bytes) {
    std::string lent(bytes);
    auto answer = running.onRequest(kind, lent);
    lent.assign(lent.size(), '\xDD');
    return answer;
  }

 private:
  // Puts each fake, named as the program knows it, under the one plan.
  template <class... More>
  void watch(Watched& fake, std::string_view name, More&... more) {
    fake.watch(faults, name);
    if constexpr (sizeof...(more) > 0) watch(more...);
  }
};

// The end of the Windows session as Windows runs it: every program is asked
// whether the session may end; then the end comes to all that said yes, or,
// when one said no or another program cancelled it after the question (an
// installer, a document not saved), its cancellation does. True when the
// session ended.
// meanwhile runs between the question and the end.
inline bool endSession(FormEvents& program, bool cancelledElsewhere,
                       const std::function<void()>& meanwhile = {}) {
  const bool agreed = program.onQueryEndSession();
  if (meanwhile) meanwhile();
  if (!agreed) return false;
  const bool ending = !cancelledElsewhere;
  program.onEndSession(ending);
  return ending;
}

}  // namespace tarnavel::fake
