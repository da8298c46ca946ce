// The two test seams: message boxes recorded and answered from a script, and
// modal dialogs driven from inside their modal loop.
#include <windows.h>

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <string>

#include "shell/message_box.h"
#include "shell/program_state.h"
#include "shell/workers.h"
#include "tests/shell/testkit/dialog_driver.h"
#include "tests/shell/testkit/dialog_template.h"
#include "tests/shell/testkit/message_script.h"

namespace {

TEST(MessageBoxScript, RecordsEveryBoxAndAnswersFromTheScript) {
  MessageBoxScript boxes;
  boxes.Answer(IDNO).Answer(IDCANCEL);
  const HWND owner = reinterpret_cast<HWND>(0x77);
  EXPECT_EQ(IDNO, ShowMessageBox(owner, "Soll der Puffer überladen werden ?", kTitleQuestion,
                                 MB_YESNO | MB_ICONQUESTION));
  EXPECT_EQ(IDCANCEL, ShowMessageBoxF(nullptr, kTitleNote, MB_OKCANCEL, "Nanu Nanu ! Der %s ist leer.", "Puffer B"));
  // Unscripted boxes get their first button.
  const struct {
    UINT type;
    int answer;
  } unscripted[] = {{MB_OK, IDOK},       {MB_YESNO, IDYES},          {MB_YESNOCANCEL, IDYES},
                    {MB_OKCANCEL, IDOK}, {MB_RETRYCANCEL, IDRETRY}, {MB_ABORTRETRYIGNORE, IDABORT}};
  for (const auto& u : unscripted) EXPECT_EQ(u.answer, ShowMessageBox(nullptr, "t", "T", u.type));

  ASSERT_EQ(2u + std::size(unscripted), boxes.Count());
  const RecordedBox first = boxes.Box(0);
  EXPECT_EQ(owner, first.owner);
  EXPECT_EQ("Programmfrage", first.title);
  EXPECT_EQ("Soll der Puffer \xFC" "berladen werden ?", first.text) << "texts are code page 1252";
  EXPECT_EQ(UINT(MB_ICONQUESTION), first.Icon());
  EXPECT_EQ(UINT(MB_YESNO), first.Buttons());
  EXPECT_EQ("Programmhinweis", boxes.Box(1).title);
  EXPECT_EQ("Nanu Nanu ! Der Puffer B ist leer.", boxes.Box(1).text);
}

TEST(MessageBoxScript, RecordsBoxesOfWorkerThreads) {
  MessageBoxScript boxes;
  HANDLE threads[4];
  for (HANDLE& t : threads)
    t = CreateThread(
        nullptr, 0,
        [](void*) -> DWORD {
          for (int i = 0; i < 25; ++i) ShowMessageBox(nullptr, "Fehler im Thread", kTitleError, MB_ICONSTOP);
          return 0;
        },
        nullptr, 0, nullptr);
  WaitForMultipleObjects(4, threads, TRUE, 10000);
  for (HANDLE t : threads) CloseHandle(t);
  EXPECT_EQ(100u, boxes.Count());
  EXPECT_EQ("Fehler im Thread", boxes.Box(99).text);
}

TEST(MessageBoxScript, NullTextsArriveEmpty) {
  MessageBoxScript boxes;
  ShowMessageBox(nullptr, nullptr, nullptr, MB_OK);
  EXPECT_EQ("", boxes.Box(0).text);
  EXPECT_EQ("", boxes.Box(0).title);
}

// --- dialogs under test

constexpr int kValueEdit = 101;
constexpr int kNestedButton = 102;
constexpr int kRunButton = 103;
constexpr int kAbortButton = 104;
constexpr int kStatusText = 105;

struct DialogResult {
  std::string value;
  int nestedResult = 0;
  int runSteps = 0;
};

INT_PTR CALLBACK ValueDialog(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam);

// A template with an edit field, OK and cancel, and the buttons the tests use.
DialogTemplate MakeTemplate(const char* title) {
  DialogTemplate t(title, 200, 100);
  t.Edit(kValueEdit, "", 10, 10)
      .Add(DialogTemplate::kStatic, kStatusText, "bereit", 10, 30, 100, 10, WS_CHILD | WS_VISIBLE)
      .Button(IDOK, "OK", 10, 70)
      .Button(IDCANCEL, "Abbruch", 70, 70)
      .Button(kNestedButton, "Innen ...", 130, 10)
      .Button(kRunButton, "Start", 130, 30)
      .Button(kAbortButton, "Stopp", 130, 50);
  return t;
}

INT_PTR ShowValueDialog(HWND owner, const char* title, DialogResult* result) {
  DialogTemplate t = MakeTemplate(title);
  return DialogBoxIndirectParamA(GetModuleHandleA(nullptr), t.Get(), owner, ValueDialog,
                                 reinterpret_cast<LPARAM>(result));
}

// Long work on the dialog's own thread, kept alive by pumping messages.
void RunUntilAborted(HWND dlg, DialogResult* result) {
  gProgramState.AbortRequested = 0;
  SetDlgItemTextA(dlg, kStatusText, "läuft");
  while (!gProgramState.AbortRequested && result->runSteps < 100000) {
    ++result->runSteps;
    Sleep(1);
    PumpPendingMessages();
  }
  SetDlgItemTextA(dlg, kStatusText, "abgebrochen");
}

INT_PTR CALLBACK ValueDialog(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* result = reinterpret_cast<DialogResult*>(GetWindowLongPtrA(dlg, DWLP_USER));
  switch (msg) {
    case WM_INITDIALOG:
      SetWindowLongPtrA(dlg, DWLP_USER, lParam);
      SetDlgItemTextA(dlg, kValueEdit, "7");
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK: {
          if (ShowMessageBox(dlg, "Werte übernehmen ?", kTitleQuestion, MB_YESNO | MB_ICONQUESTION) != IDYES)
            return TRUE;
          char text[64];
          GetDlgItemTextA(dlg, kValueEdit, text, sizeof text);
          result->value = text;
          EndDialog(dlg, IDOK);
          return TRUE;
        }
        case IDCANCEL:
          EndDialog(dlg, IDCANCEL);
          return TRUE;
        case kNestedButton: {
          DialogResult inner;
          result->nestedResult = int(ShowValueDialog(dlg, "Innen", &inner));
          SetDlgItemTextA(dlg, kValueEdit, inner.value.c_str());
          return TRUE;
        }
        case kRunButton:
          RunUntilAborted(dlg, result);
          return TRUE;
        case kAbortButton:
          gProgramState.AbortRequested = 1;
          return TRUE;
      }
      break;
  }
  return FALSE;
}

TEST(DialogDriver, ReadsAndSetsControlsAndPressesButtons) {
  MessageBoxScript boxes;
  boxes.Answer(IDNO).Answer(IDYES);   // the first OK is refused, the second taken
  DialogResult result;
  std::string initial;
  DialogDriver driver;
  driver.Then("Außen", [&](HWND dlg) {
    initial = DialogDriver::ItemText(dlg, kValueEdit);
    DialogDriver::SetItemText(dlg, kValueEdit, "42");
    DialogDriver::Click(dlg, IDOK);
  });
  driver.Then("Außen", [](HWND dlg) { DialogDriver::Click(dlg, IDOK); });
  EXPECT_EQ(IDOK, ShowValueDialog(nullptr, "Außen", &result));
  EXPECT_TRUE(driver.Done());
  EXPECT_EQ("7", initial);
  EXPECT_EQ("42", result.value);
  ASSERT_EQ(2u, boxes.Count());
  EXPECT_EQ("Werte \xFC" "bernehmen ?", boxes.Box(0).text);
}

TEST(DialogDriver, DrivesADialogOpenedFromAnother) {
  MessageBoxScript boxes;
  DialogResult result;
  DialogDriver driver;
  driver.Then("Außen", [](HWND dlg) { DialogDriver::Click(dlg, kNestedButton); })
      .Then("Innen", [](HWND dlg) {
        DialogDriver::SetItemText(dlg, kValueEdit, "von innen");
        DialogDriver::Click(dlg, IDOK);
      })
      .Then("Außen", [](HWND dlg) { DialogDriver::Click(dlg, IDCANCEL); });
  EXPECT_EQ(IDCANCEL, ShowValueDialog(nullptr, "Außen", &result));
  EXPECT_TRUE(driver.Done());
  EXPECT_EQ(IDOK, result.nestedResult);
  EXPECT_EQ(2u, driver.DialogsSeen());
  EXPECT_EQ("", result.value) << "the outer dialog was cancelled";
}

TEST(DialogDriver, PressesAbortWhileTheDialogWorks) {
  DialogResult result;
  std::string status;
  DialogDriver driver;
  driver.Then("Lauf", [](HWND dlg) { DialogDriver::Click(dlg, kRunButton); })
      .Until("Lauf",
             [&result](HWND dlg) {
               if (result.runSteps < 20 || DialogDriver::ItemText(dlg, kStatusText) != "läuft") return false;
               DialogDriver::Click(dlg, kAbortButton);
               return true;
             })
      .Until("Lauf", [&status](HWND dlg) {
        status = DialogDriver::ItemText(dlg, kStatusText);
        if (status != "abgebrochen") return false;
        DialogDriver::Click(dlg, IDCANCEL);
        return true;
      });
  EXPECT_EQ(IDCANCEL, ShowValueDialog(nullptr, "Lauf", &result));
  EXPECT_TRUE(driver.Done());
  EXPECT_EQ("abgebrochen", status);
  EXPECT_GE(result.runSteps, 20);
  EXPECT_LT(result.runSteps, 100000) << "the run stopped on the abort, not at its end";
}

DialogResult gStuckResult;
INT_PTR gStuckReturn;

TEST(DialogDriver, EndsADialogLeftOpenAndReportsIt) {
  EXPECT_NONFATAL_FAILURE(
      {
        DialogDriver driver(300);
        driver.Then("Nie", [](HWND) {});
        gStuckReturn = ShowValueDialog(nullptr, "Offen", &gStuckResult);
      },
      "still open at the time limit");
  EXPECT_EQ(IDCANCEL, gStuckReturn);
}

}  // namespace
