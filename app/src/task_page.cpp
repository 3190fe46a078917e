#include "task_page.h"

#include <wx/bmpbuttn.h>
#include <wx/intl.h>
#include <wx/panel.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

#include "app_art.h"
#include "task_panel.h"

namespace app {

wxWindow* CreateTaskPage(wxWindow* parent, int index) {
  const TaskInfo& task = Tasks().at(static_cast<std::size_t>(index));
  auto* page = new wxPanel(parent, wxID_ANY);
  page->Hide();

  auto* heading = new wxStaticText(page, wxID_ANY, wxGetTranslation(task.label));
  heading->SetFont(heading->GetFont().Bold().Larger());
  auto* help = new wxBitmapButton(page, kTaskHelpId, HelpBitmap());
  help->SetToolTip(wxGetTranslation(task.helpTip));

  auto* top = new wxBoxSizer(wxHORIZONTAL);
  top->Add(heading, 1, wxALIGN_CENTER_VERTICAL);
  top->Add(help, 0, wxALIGN_CENTER_VERTICAL | wxLEFT, 8);

  auto* column = new wxBoxSizer(wxVERTICAL);
  column->Add(top, 0, wxEXPAND | wxBOTTOM, 8);
  column->Add(new wxStaticText(page, wxID_ANY,
                               wxString::Format(_("The options of \"%s\" come here."),
                                                wxGetTranslation(task.label))),
              0, wxEXPAND);
  page->SetSizer(column);
  return page;
}

}  // namespace app
