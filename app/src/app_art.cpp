#include "app_art.h"

#include <wx/dcmemory.h>
#include <wx/font.h>
#include <wx/pen.h>

#include <array>

namespace app {
namespace {

// The pictures are drawn rather than shipped: a coloured tile with a short mark, the same on
// every theme, and nothing to lose at installation.
struct Tile {
  wxColour fill;
  const char* mark;
};

wxBitmap DrawTile(const Tile& tile, int side) {
  wxBitmap bitmap(side, side, 32);
  bitmap.UseAlpha();
  wxMemoryDC dc(bitmap);
  dc.SetBackground(*wxWHITE_BRUSH);
  dc.Clear();
  dc.SetPen(wxPen(tile.fill.ChangeLightness(70), 1));
  dc.SetBrush(wxBrush(tile.fill));
  dc.DrawRoundedRectangle(1, 1, side - 2, side - 2, side / 6.0);
  wxFont font(wxFontInfo(side * 9 / 20).Bold().Family(wxFONTFAMILY_SWISS));
  dc.SetFont(font);
  dc.SetTextForeground(*wxWHITE);
  const wxString mark = wxString::FromUTF8(tile.mark);
  const wxSize extent = dc.GetTextExtent(mark);
  dc.DrawText(mark, (side - extent.x) / 2, (side - extent.y) / 2);
  dc.SelectObject(wxNullBitmap);
  return bitmap;
}

constexpr int kTaskIconSide = 32;
constexpr int kButtonSide = 16;

}  // namespace

wxIcon ProgramIcon() {
  wxIcon icon;
  icon.CopyFromBitmap(DrawTile({wxColour(32, 96, 160), "K"}, 48));
  return icon;
}

std::unique_ptr<wxImageList> TaskImages() {
  // install, load, print, remove, list, legacy, font, smiley
  static const std::array<Tile, 8> tiles = {{
      {wxColour(40, 120, 200), "\xe2\x86\x93"},  // down arrow
      {wxColour(30, 150, 90), "+"},
      {wxColour(110, 80, 170), "P"},
      {wxColour(200, 60, 50), "\xc3\x97"},       // multiplication sign
      {wxColour(90, 100, 110), "\xe2\x89\xa1"},  // identical to: a list
      {wxColour(170, 120, 40), "L"},
      {wxColour(50, 110, 130), "A"},
      {wxColour(230, 180, 30), ":)"},
  }};
  auto images = std::make_unique<wxImageList>(kTaskIconSide, kTaskIconSide, true,
                                              static_cast<int>(tiles.size()));
  for (const Tile& tile : tiles) images->Add(DrawTile(tile, kTaskIconSide));
  return images;
}

wxBitmap HelpBitmap() {
  return DrawTile({wxColour(40, 120, 200), "i"}, kButtonSide + 4);
}

wxBitmap AddBitmap() {
  return DrawTile({wxColour(30, 150, 90), "+"}, kButtonSide + 4);
}

wxBitmap DeleteBitmap() {
  return DrawTile({wxColour(200, 60, 50), "\xe2\x88\x92"}, kButtonSide + 4);  // minus sign
}

}  // namespace app
