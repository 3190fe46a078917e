#include "gui_task_reporter.h"

#include <wx/frame.h>
#include <wx/intl.h>
#include <wx/msgdlg.h>
#include <wx/statusbr.h>

#include "library_text.h"
#include "printing/destinations.h"
#include "program_identity.h"
#include "status_message.h"

namespace app {

void GuiTaskReporter::WritingJob(const std::string& /*progressText*/) {
  busy_.emplace();
}

void GuiTaskReporter::JobWritten(const std::string& /*jobPath*/) {
  busy_.reset();
}

void GuiTaskReporter::Delivering(const std::string& documentName, const std::string& destination) {
  const std::string shown =
      printing::IsGroupDestination(destination) ? printing::GroupNameOf(destination) : destination;
  SetStatusLine(wxString::Format(_("Sending %s to %s..."), wxString::FromUTF8(documentName),
                                 wxString::FromUTF8(shown)));
  busy_.emplace();
}

void GuiTaskReporter::NoTemporaryFile(const std::string& /*reason*/) {
  ErrorBox(_("KORAManage cannot create the temporary file."));
}

void GuiTaskReporter::GeneratorFailed(int status, const std::string& detail) {
  SetStatusLine(wxString());
  ErrorBox(StatusMessage(status, detail.c_str()));
}

void GuiTaskReporter::Beep() {
  wxBell();
}

void GuiTaskReporter::SetStatusText(const std::string& text) {
  SetStatusLine(text.empty() ? wxString() : TranslatedLibraryText(text));
}

void GuiTaskReporter::ShowError(const std::string& message) {
  ErrorBox(TranslatedLibraryText(message));
}

void GuiTaskReporter::SetStatusLine(const wxString& text) {
  auto* frame = parent_ ? dynamic_cast<wxFrame*>(wxGetTopLevelParent(parent_)) : nullptr;
  wxStatusBar* bar = frame ? frame->GetStatusBar() : nullptr;
  if (!bar) return;
  bar->SetStatusText(text, 0);
  // The task holds the event loop: paint the line now.
  bar->Update();
}

void GuiTaskReporter::ErrorBox(const wxString& text) {
  busy_.reset();
  wxMessageBox(text, kShortName, wxOK | wxICON_ERROR, parent_);
}

}  // namespace app
