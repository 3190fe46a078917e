#pragma once
// Answers every modal dialog shown while it lives, without showing it, and keeps what each one
// said: message boxes arrive here as message dialogs and are answered with OK (or the button
// set by AnswerMessagesWith); other dialogs too, unless an answer is given that works the
// dialog and returns its result.

#include <wx/dialog.h>
#include <wx/modalhook.h>
#include <wx/msgdlg.h>

#include <functional>
#include <string>
#include <vector>

namespace app_test {

struct ShownDialog {
  std::string caption;
  std::string message;  // empty for anything but a message dialog
  long style = 0;
};

class DialogRecorder : public wxModalDialogHook {
 public:
  DialogRecorder() { Register(); }
  ~DialogRecorder() override { Unregister(); }

  const std::vector<ShownDialog>& shown() const { return shown_; }
  void AnswerWith(std::function<int(wxDialog&)> answer) { answer_ = std::move(answer); }
  // The button every later message box is answered with: wxID_OK, wxID_YES, wxID_NO, ...
  void AnswerMessagesWith(int id) { messageAnswer_ = id; }

 protected:
  int Enter(wxDialog* dialog) override {
    ShownDialog entry;
    entry.caption = dialog->GetTitle().utf8_string();
    if (const auto* box = dynamic_cast<wxMessageDialog*>(dialog)) {
      entry.message = box->GetMessage().utf8_string();
      entry.style = box->GetMessageDialogStyle();
    }
    shown_.push_back(entry);
    if (dynamic_cast<wxMessageDialog*>(dialog)) return messageAnswer_;
    return answer_ ? answer_(*dialog) : wxID_OK;
  }
  void Exit(wxDialog*) override {}

 private:
  std::vector<ShownDialog> shown_;
  std::function<int(wxDialog&)> answer_;
  int messageAnswer_ = wxID_OK;
};

}  // namespace app_test
