#include "stream/job_text.h"

#include <ctime>

#include "frame/version.h"
#include "stream/job_prolog.h"
#include "stream/ps_string.h"

namespace trm {
namespace {

std::string CreationDate() {
  std::time_t now = std::time(nullptr);
  char text[64];
  // ctime's own layout, ending in its newline.
  return ctime_r(&now, text) ? std::string(text) : std::string("\n");
}

std::string DateLineTime() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char text[128];
  return std::string(text, std::strftime(text, sizeof text, "%x %X", &local));
}

}  // namespace

std::string JobHeader(std::string_view title, std::string_view extraLine) {
  std::string header = "%!\n%%Title: ";
  header += CommentField(title);
  header += "\n%%Creator: ";
  header += kVersionText;
  header += "\n%%CreationDate: ";
  header += CreationDate();
  header += "%%";
  header += CommentField(kJobNotice);
  header += "\n";
  header += extraLine;
  header += "%%EndComments\n\n";
  return header;
}

std::string PrologAndDate() {
  std::string text(JobProlog());
  text += "\n/DATE (";
  text += EscapePsString(DateLineTime());
  text += ") def\n";
  return text;
}

std::string LoadParameters(std::string_view label, bool status, bool replace) {
  return PsString(label) + " " + Word(status) + " " + Word(replace);
}

std::string LoadFileCommand(long long count, std::string_view printerName,
                            std::string_view parameters) {
  std::string command = "\n\n" + std::to_string(count) + " " + PsString(printerName) + " ";
  command.append(parameters);
  command += " load_file\n";
  return command;
}

std::string ListRemoveCommand(std::string_view pattern, std::string_view label, bool status,
                              bool remove) {
  return PsString(pattern) + " " + PsString(label) + " " + Word(status) + " " + Word(remove) +
         " list&remove";
}

std::string AutoStartCommand(std::string_view label, bool status, char mode) {
  return "\n" + PsString(label) + " " + Word(status) + " " + std::string(1, mode) + " auto_start";
}

}  // namespace trm
