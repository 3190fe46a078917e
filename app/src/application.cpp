#include "application.h"

#include "program_identity.h"

namespace app {

bool Application::OnInit() {
  SetAppName(kShortName);
  SetAppDisplayName(kTitle);
  start_ = std::make_unique<ProgramStart>();
  outcome_ = start_->Run();
  return outcome_ != StartOutcome::kNoSettingsFile;
}

int Application::OnRun() {
  // A second instance, or a start without an interpreter, ends with code 0, which a failed
  // OnInit does not give; the loop would also wait for a window that never comes.
  if (outcome_ != StartOutcome::kRunning) return 0;
  return wxApp::OnRun();
}

int Application::OnExit() {
  start_.reset();
  return wxApp::OnExit();
}

}  // namespace app
