#pragma once
// The help book in docs/, opened at the page of a keyword.

#include <wx/string.h>

#include <memory>

class wxHtmlHelpController;

namespace app {

class HelpViewer {
 public:
  explicit HelpViewer(wxString bookPath);
  ~HelpViewer();
  HelpViewer(const HelpViewer&) = delete;
  HelpViewer& operator=(const HelpViewer&) = delete;

  const wxString& bookPath() const { return bookPath_; }
  // The page of the keyword; the contents for an empty keyword; the index when the keyword
  // is unknown.
  void Show(const wxString& keyword);

 private:
  wxString bookPath_;
  std::unique_ptr<wxHtmlHelpController> controller_;
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
