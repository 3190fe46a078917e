#include "frame/records.h"

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <new>

#include "stream/printer_names.h"
#include "trm.h"

namespace {

const char* Get(const OptionalText& text) {
  return text ? text->c_str() : nullptr;
}

int Set(OptionalText& field, const char* value) {
  if (value == nullptr) return 0;
  field = value;
  return 1;
}

// A directory path keeps exactly one trailing separator.
int SetDirectory(OptionalText& field, const char* value) {
  if (value == nullptr) return 0;
  std::string path = value;
  if (!path.empty()) path.push_back('/');
  std::string reduced;
  reduced.reserve(path.size());
  for (char c : path) {
    if (c == '/' && !reduced.empty() && reduced.back() == '/') continue;
    reduced.push_back(c);
  }
  field = std::move(reduced);
  return 1;
}

// Appends unless an entry already covers the name; 1 when appended.
int AddUncovered(OptionalList& list, trm::CoverIndex& index, const char* name) {
  if (!name || index.Covers(name)) return 0;
  if (!list) list.emplace();
  list->emplace_back(name);
  index.Add(name);
  return 1;
}

bool IsExistingFile(const char* path) {
  std::error_code error;
  return path != nullptr && *path != '\0' && std::filesystem::is_regular_file(path, error);
}

const char* ListItem(const OptionalList& list, int index) {
  if (!list || index < 0 || static_cast<std::size_t>(index) >= list->size()) return nullptr;
  return (*list)[static_cast<std::size_t>(index)].c_str();
}

template <typename Record>
Record* New() {
  return new (std::nothrow) Record();
}

template <typename Record>
int Free(Record* record) {
  std::unique_ptr<Record> owned(record);
  return 1;
}

}  // namespace

extern "C" {

trmPPS* trmNewPPS(void) {
  return New<trmPPS>();
}
int trmFreePPS(trmPPS* pps) {
  return Free(pps);
}

int trmPPSSetProject(trmPPS* pps, const char* folder, const char* project) {
  if (!pps || !folder || !project) return 0;
  pps->folderName = folder;
  pps->projectName = project;
  return 1;
}
const char* trmPPSGetFolderName(const trmPPS* pps) {
  return pps ? Get(pps->folderName) : nullptr;
}
const char* trmPPSGetProjectName(const trmPPS* pps) {
  return pps ? Get(pps->projectName) : nullptr;
}
int trmPPSSetProjectFile(trmPPS* pps, const char* path) {
  return pps ? Set(pps->projectFile, path) : 0;
}
const char* trmPPSGetProjectFile(const trmPPS* pps) {
  return pps ? Get(pps->projectFile) : nullptr;
}
int trmPPSSetContainerFile(trmPPS* pps, const char* path) {
  return pps ? Set(pps->containerFile, path) : 0;
}
const char* trmPPSGetContainerFile(const trmPPS* pps) {
  return pps ? Get(pps->containerFile) : nullptr;
}
int trmPPSSetMode(trmPPS* pps, int mode) {
  if (!pps || mode < 2001 || mode > 2003) return 0;
  pps->processingMode = mode;
  return 1;
}
int trmPPSGetMode(const trmPPS* pps) {
  return pps ? pps->processingMode : 0;
}
int trmPPSSetKORAPath(trmPPS* pps, const char* path) {
  return pps ? SetDirectory(pps->KORAPath, path) : 0;
}
const char* trmPPSGetKORAPath(const trmPPS* pps) {
  return pps ? Get(pps->KORAPath) : nullptr;
}
int trmPPSSetStubPath(trmPPS* pps, const char* path) {
  return pps ? Set(pps->stubPath, path) : 0;
}
const char* trmPPSGetStubPath(const trmPPS* pps) {
  return pps ? Get(pps->stubPath) : nullptr;
}
int trmPPSSetSubmissionFile(trmPPS* pps, const char* path) {
  return pps ? Set(pps->submissionFile, path) : 0;
}
const char* trmPPSGetSubmissionFile(const trmPPS* pps) {
  return pps ? Get(pps->submissionFile) : nullptr;
}
int trmPPSAddResource(trmPPS* pps, const char* name) {
  return pps ? AddUncovered(pps->selectedResources, pps->selectedIndex, name) : 0;
}
int trmPPSGetResourceCount(const trmPPS* pps) {
  return pps && pps->selectedResources ? static_cast<int>(pps->selectedResources->size()) : 0;
}
const char* trmPPSGetResource(const trmPPS* pps, int index) {
  return pps ? ListItem(pps->selectedResources, index) : nullptr;
}
int trmPPSSetStatusLabel(trmPPS* pps, const char* label) {
  return pps ? Set(pps->statusLabel, label) : 0;
}
const char* trmPPSGetStatusLabel(const trmPPS* pps) {
  return pps ? Get(pps->statusLabel) : nullptr;
}
int trmPPSSetPageRange(trmPPS* pps, int mode, int first, int last) {
  if (!pps || mode < 0 || mode > 2 || first <= 0 || last <= 0 || first > last) return 0;
  pps->pageRangeMode = mode;
  pps->firstPage = first;
  pps->lastPage = last;
  return 1;
}
int trmPPSGetPageRangeMode(const trmPPS* pps) {
  return pps ? pps->pageRangeMode : 0;
}
int trmPPSGetFirstPage(const trmPPS* pps) {
  return pps ? pps->firstPage : 0;
}
int trmPPSGetLastPage(const trmPPS* pps) {
  return pps ? pps->lastPage : 0;
}

trmVOS* trmNewVOS(void) {
  return New<trmVOS>();
}
int trmFreeVOS(trmVOS* vos) {
  return Free(vos);
}
int trmVOSSetOutputPath(trmVOS* vos, const char* path) {
  return vos ? Set(vos->outputPath, path) : 0;
}
const char* trmVOSGetOutputPath(const trmVOS* vos) {
  return vos ? Get(vos->outputPath) : nullptr;
}
int trmVOSSetFlags(trmVOS* vos, unsigned int flags) {
  if (!vos) return 0;
  vos->flags = flags;
  return 1;
}
unsigned int trmVOSGetFlags(const trmVOS* vos) {
  return vos ? vos->flags : 0;
}

trmFOS* trmNewFOS(void) {
  return New<trmFOS>();
}
int trmFreeFOS(trmFOS* fos) {
  return Free(fos);
}
int trmFOSSetListPattern(trmFOS* fos, const char* pattern) {
  return fos ? Set(fos->listPattern, pattern) : 0;
}
const char* trmFOSGetListPattern(const trmFOS* fos) {
  return fos ? Get(fos->listPattern) : nullptr;
}
int trmFOSAddLoadFile(trmFOS* fos, const char* localPath, const char* printerName) {
  struct stat info {};
  if (!fos || !localPath || *localPath == '\0' || stat(localPath, &info) != 0 ||
      !S_ISREG(info.st_mode)) {
    return 0;
  }
  std::string printer =
      printerName && *printerName ? std::string(printerName) : trm::LocalToPrinterName(localPath);
  if (printer.empty()) return 0;
  if (!fos->loadFilesList) fos->loadFilesList.emplace();
  if (!fos->printerFilesList) fos->printerFilesList.emplace();
  auto& locals = *fos->loadFilesList;
  auto& printers = *fos->printerFilesList;
  const std::string local = localPath;
  if (auto at = fos->loadIndex.Find(local, info)) {
    printers[*at] = std::move(printer);
    return 1;
  }
  locals.push_back(local);
  printers.push_back(std::move(printer));
  fos->loadIndex.Add(local, info, locals.size() - 1);
  return 1;
}
int trmFOSGetLoadFileCount(const trmFOS* fos) {
  return fos && fos->loadFilesList ? static_cast<int>(fos->loadFilesList->size()) : 0;
}
const char* trmFOSGetLoadFile(const trmFOS* fos, int index) {
  return fos ? ListItem(fos->loadFilesList, index) : nullptr;
}
const char* trmFOSGetPrinterFile(const trmFOS* fos, int index) {
  return fos ? ListItem(fos->printerFilesList, index) : nullptr;
}
int trmFOSAddRemoveFile(trmFOS* fos, const char* name) {
  return fos ? AddUncovered(fos->removeFilesList, fos->removeIndex, name) : 0;
}
int trmFOSAddFont(trmFOS* fos, const char* localPath) {
  if (!fos || !IsExistingFile(localPath)) return 0;
  if (!fos->loadFontsList) fos->loadFontsList.emplace();
  auto& fonts = *fos->loadFontsList;
  if (std::find(fonts.begin(), fonts.end(), localPath) == fonts.end())
    fonts.emplace_back(localPath);
  return 1;
}
int trmFOSSetStatusLabel(trmFOS* fos, const char* label) {
  return fos ? Set(fos->statusLabel, label) : 0;
}
const char* trmFOSGetStatusLabel(const trmFOS* fos) {
  return fos ? Get(fos->statusLabel) : nullptr;
}

int trmSetFlags(trmPPS* pps, unsigned int flags) {
  if (!pps) return 0;
  pps->flags = flags;
  return 1;
}
int trmAddFlags(trmPPS* pps, unsigned int flags) {
  if (!pps) return 0;
  pps->flags |= flags;
  return 1;
}
unsigned int trmGetFlags(const trmPPS* pps) {
  return pps ? pps->flags : 0;
}
int trmFOSSetFlags(trmFOS* fos, unsigned int flags) {
  if (!fos) return 0;
  fos->flags = flags;
  return 1;
}
int trmFOSAddFlags(trmFOS* fos, unsigned int flags) {
  if (!fos) return 0;
  fos->flags |= flags;
  return 1;
}
unsigned int trmFOSGetFlags(const trmFOS* fos) {
  return fos ? fos->flags : 0;
}

trmIOS* trmNewIOS(void) {
  return New<trmIOS>();
}
int trmFreeIOS(trmIOS* ios) {
  return Free(ios);
}
int trmIOSSetFlags(trmIOS* ios, unsigned int flags) {
  if (!ios) return 0;
  ios->flags = flags;
  return 1;
}
int trmIOSAddFlags(trmIOS* ios, unsigned int flags) {
  if (!ios) return 0;
  ios->flags |= flags;
  return 1;
}
unsigned int trmIOSGetFlags(const trmIOS* ios) {
  return ios ? ios->flags : 0;
}
int trmIOSSetLocalKORADir(trmIOS* ios, const char* path) {
  return ios ? SetDirectory(ios->localKORADir, path) : 0;
}
const char* trmIOSGetLocalKORADir(const trmIOS* ios) {
  return ios ? Get(ios->localKORADir) : nullptr;
}
int trmIOSSetStatusLabel(trmIOS* ios, const char* label) {
  return ios ? Set(ios->statusLabel, label) : 0;
}
const char* trmIOSGetStatusLabel(const trmIOS* ios) {
  return ios ? Get(ios->statusLabel) : nullptr;
}

}  // extern "C"
