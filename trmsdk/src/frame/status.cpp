#include "frame/status.h"

#include <array>
#include <mutex>
#include <utility>

#include "frame/library_state.h"
#include "trm.h"

namespace trm {
namespace {

constexpr std::array<std::pair<int, std::string_view>, 23> kStatusTexts{{
    {TRM_OK, "Task completes successfully."},
    {TRM_OUTPUT_EXISTS, "Flag not set to overwrite existing file."},
    {TRM_SOURCE_MISSING, "Cannot locate source file."},
    {TRM_ACCESS_PROBLEM, "Problem accessing the file."},
    {TRM_WRITE_PROBLEM, "Problem writing to the file."},
    {TRM_NOT_INITIALIZED, "TRMSDK library is not initialized."},
    {TRM_ALREADY_INITIALIZED, "TRMSDK library is already initialized."},
    {TRM_ALREADY_TERMINATED, "TRMSDK library is already terminated."},
    {TRM_PROJECT_NOT_FOUND, "Cannot locate the specified project."},
    {TRM_PROJECT_OPEN_PROBLEM, "Problem opening the specified project file."},
    {TRM_PARSE_PROBLEM, "Problem parsing the file."},
    {TRM_SOURCE_UNREADABLE, "Problem loading a source file."},
    {TRM_NO_RESOURCE_LOADED, "No resource file loaded."},
    {TRM_NO_LOCAL_KORA, "Cannot find local KORA installation file(s)."},
    {TRM_PRINT_FILE_MISSING, "Print file is not found."},
    {TRM_INVALID_MODE, "Invalid processing mode."},
    {TRM_INVALID_PARAMETER, "Invalid parameter."},
    {TRM_PATH_CONVERSION, "Cannot convert local KORA path to printer KORA path."},
    {TRM_NO_FONT_NAME, "Cannot obtain the font name from the font file."},
    {TRM_NOT_KORA_PROJECT, "The project must be of type KORA."},
    {TRM_LOADING_RESOURCE, "Loading resource file."},
    {TRM_PDF_SEGMENTS,
     "A printable container cannot be generated because this project contains PDF files as "
     "resources of type \"seg\"."},
    {TRM_SOURCE_SIZE,
     "Operation cannot be completed because a resource file is too large, or empty."},
}};

}  // namespace

std::string_view StatusText(int code) {
  for (const auto& [known, text] : kStatusTexts) {
    if (known == code) return text;
  }
  return {};
}

int SetStatus(int code, std::string_view operation, std::string_view detail) {
  LibraryState& state = State();
  std::lock_guard guard(state.statusLock);
  std::string message;
  if (!operation.empty()) {
    message.append("[").append(operation).append("] ");
  }
  message.append(StatusText(code));
  if (!detail.empty()) {
    message.append(" [").append(detail).append("]");
  }
  state.lastMessage = std::move(message);
  state.lastDetail.assign(detail);
  return code;
}

std::string LastMessage() {
  LibraryState& state = State();
  std::lock_guard guard(state.statusLock);
  return state.lastMessage;
}

std::string LastDetail() {
  LibraryState& state = State();
  std::lock_guard guard(state.statusLock);
  return state.lastDetail;
}

}  // namespace trm
