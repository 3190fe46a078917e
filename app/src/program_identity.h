#pragma once
// The program's fixed names and texts.

#include <wx/string.h>

namespace app {

inline constexpr char kShortName[] = "KORAManage";
inline constexpr char kTitle[] = "Tidewell KORAManage";
inline constexpr char kVersion[] = "12.1 SP2";
inline constexpr char kInstanceMutexName[] = "KM_INSTANCE_MUTEX";
// The notice line of the About box.
inline constexpr char kNotice[] = "Copyright (C) Tidewell. All rights reserved.";

// Looks up the translated "[No Printers Available]" once; later catalogue changes do not
// alter the text destinations are compared with during a run.
void KeepNoPrintersText();
// The kept text (untranslated before KeepNoPrintersText).
const wxString& NoPrintersText();

}  // namespace app
