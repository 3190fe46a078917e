#pragma once
// The program's pictures: application icon, task icons, and the small button bitmaps.

#include <wx/bitmap.h>
#include <wx/icon.h>
#include <wx/imaglist.h>

#include <memory>

namespace app {

// The window icon ("IDI_APP").
wxIcon ProgramIcon();
// The eight task list icons in their fixed order (install, load, print, remove, list, legacy,
// font, smiley).
std::unique_ptr<wxImageList> TaskImages();
// The information button of every page, and the add and delete buttons of the groups dialog.
wxBitmap HelpBitmap();
wxBitmap AddBitmap();
wxBitmap DeleteBitmap();

}  // namespace app
