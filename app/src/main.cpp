#include "application.h"

wxIMPLEMENT_APP(app::Application);
