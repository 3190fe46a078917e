#pragma once
// The help book in docs/, opened at the page of a keyword.

#include <wx/string.h>

#include <memory>

class wxFrame;
class wxHtmlHelpController;

namespace app {

class HelpViewer {
 public:
  // Reads the book; loaded() tells whether it could be read.
  explicit HelpViewer(wxString bookPath);
  ~HelpViewer();
  HelpViewer(const HelpViewer&) = delete;
  HelpViewer& operator=(const HelpViewer&) = delete;

  const wxString& bookPath() const { return bookPath_; }
  bool loaded() const { return loaded_; }
  // The page of the keyword (an exact index entry); the contents for an empty keyword; the
  // index when the keyword is unknown. Nothing when the book could not be read.
  void Show(const wxString& keyword);

  // The help window while it is open, null otherwise.
  wxFrame* window() const;
  // Where the page shown in the help window comes from; empty while no window is open.
  wxString shownPage() const;

 private:
  wxString bookPath_;
  std::unique_ptr<wxHtmlHelpController> controller_;
  bool loaded_ = false;
};

// The help book below a root folder (kmRootDir): ROOT/docs/kmhelp.htb.
wxString HelpBookPath(const wxString& rootDir);

// The program's help object: made at start-up when kmRootDir names a folder holding the help
// book; null otherwise (help then does nothing).
HelpViewer* ProgramHelp();
void SetProgramHelp(std::unique_ptr<HelpViewer> help);
// Shows the program's help with the keyword when there is a help object.
void ShowHelp(const wxString& keyword);

}  // namespace app
