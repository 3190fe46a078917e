#pragma once
// Saves what a shown window looks like as a PNG in the build's screenshot folder, so a
// reviewer can look at every window the tests open.

#include <wx/app.h>
#include <wx/bitmap.h>
#include <wx/dcclient.h>
#include <wx/dcmemory.h>
#include <wx/image.h>
#include <wx/window.h>

#include <filesystem>
#include <string>

namespace app_test {

// The window is shown and painted first; true when the file was written.
inline bool SaveScreenshot(wxWindow& window, const std::string& name) {
  if (!wxImage::FindHandler(wxBITMAP_TYPE_PNG)) wxImage::AddHandler(new wxPNGHandler);
  window.Show();
  window.Raise();
  window.Update();
  for (int i = 0; i < 20; ++i) wxTheApp->Yield(true);
  const wxSize size = window.GetClientSize();
  if (size.x <= 0 || size.y <= 0) return false;
  wxBitmap bitmap(size);
  {
    wxClientDC screen(&window);
    wxMemoryDC memory(bitmap);
    memory.Blit(0, 0, size.x, size.y, &screen, 0, 0);
  }
  std::error_code error;
  std::filesystem::create_directories(KM_SCREENSHOT_DIR, error);
  const std::string path = std::string(KM_SCREENSHOT_DIR) + "/" + name + ".png";
  return bitmap.ConvertToImage().SaveFile(wxString::FromUTF8(path), wxBITMAP_TYPE_PNG);
}

}  // namespace app_test
