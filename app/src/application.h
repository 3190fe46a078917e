#pragma once
// The application object: runs the start-up and keeps the instance marker until the end.

#include <wx/app.h>

#include <memory>

#include "program_start.h"

namespace app {

class Application : public wxApp {
 public:
  bool OnInit() override;
  int OnRun() override;
  int OnExit() override;

 private:
  std::unique_ptr<ProgramStart> start_;
  StartOutcome outcome_ = StartOutcome::kRunning;
};

}  // namespace app
