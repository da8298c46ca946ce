// Answers every file chooser from a script instead of the platform's common
// dialogs and records what each chooser asked, for as long as the object
// lives. The choosers' own work (splitting the name, the filter's extension,
// the overwrite question, CurrentPath) runs as with the real dialogs.
//
//   ChooserScript choosers;
//   choosers.Choose("C:\\bilder\\mond.png");          // the next chooser confirms this path
//   choosers.Choose("C:\\bilder\\mond", 3);           // typed without extension, filter pair 3
//   choosers.Choose("C:\\serie\\clip.avi").Frame(7);  // picture-open: frame 7 chosen in the preview
//   choosers.ChooseDirectory("D:\\Serie");            // directory chooser
//   choosers.ChooseFiles("C:\\serie", {"a.bmp", "b.bmp"});
//   choosers.Cancel();
//   ... code under test ...
//   ASSERT_EQ(1u, choosers.Count());
//   EXPECT_EQ("Bild in Puffer A laden ...", choosers.Chooser(0).title);
//   EXPECT_EQ("Bildformate", choosers.Chooser(0).filter[0]);
//
// A chooser without a scripted answer is cancelled. Answers too long for the
// chooser's buffer fail as the platform's do ("Dateiname zu lang !").
#pragma once

#include <windows.h>

#include <deque>
#include <string>
#include <vector>

#include "shell/choosers/file_choosers.h"

struct RecordedChooser {
  ChooserKind kind;
  HWND owner;
  std::string title;
  std::vector<std::string> filter;   // description, pattern, description, pattern ...
  std::string initialDirectory;
  std::string proposal;              // the name in the dialog when it opened
  DWORD flags;
  int okMode;                        // ChooserOkMode while it was open
  int frame;                         // picture-open: the video frame chosen, else -1
  bool confirmed;
};

class ChooserScript {
 public:
  ChooserScript();
  ~ChooserScript();
  ChooserScript(const ChooserScript&) = delete;
  ChooserScript& operator=(const ChooserScript&) = delete;

  // The user confirms `path` (a full path, as typed: with or without an
  // extension) with filter pair filterIndex (from 1) selected.
  ChooserScript& Choose(const std::string& path, unsigned filterIndex = 1);
  // The directory chooser: the user went to `directory` and confirmed.
  ChooserScript& ChooseDirectory(const std::string& directory);
  // The multi-select chooser: these names of one directory.
  ChooserScript& ChooseFiles(const std::string& directory, const std::vector<std::string>& names);
  // The frame chosen in the picture-open preview with the last answer (0 by
  // default, as the preview starts there).
  ChooserScript& Frame(int frame);
  ChooserScript& Cancel();
  // The dialog fails with this CommDlgExtendedError code.
  ChooserScript& Fail(DWORD error);

  size_t Count() const { return choosers_.size(); }
  RecordedChooser Chooser(size_t index) const;
  bool Done() const { return answers_.empty(); }

 private:
  enum class Reply { Path, Directory, Files, Cancel, Fail };
  struct Answer {
    Reply reply;
    std::string path;                // Path, Directory, Files: the directory
    std::vector<std::string> names;  // Files
    unsigned filterIndex;
    int frame;
    DWORD error;
  };
  static BOOL Handle(void* context, ChooserKind kind, OPENFILENAMEA* request, DWORD* error);
  BOOL Respond(ChooserKind kind, OPENFILENAMEA* request, DWORD* error, RecordedChooser* record);

  std::deque<Answer> answers_;
  std::vector<RecordedChooser> choosers_;
};
