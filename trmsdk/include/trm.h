#ifndef TRM_H
#define TRM_H
/* KORA resource job generator: C-style entry points and option records.
 * Every entry point returns a status code (TRM_OK on success); the last message and detail
 * explain it. Records belong to the caller; every text set on a record is copied. */

#ifdef __cplusplus
extern "C" {
#endif

enum {
  TRM_OK = 1001,
  TRM_OUTPUT_EXISTS = 1002,
  TRM_SOURCE_MISSING = 1003,
  TRM_ACCESS_PROBLEM = 1004,
  TRM_WRITE_PROBLEM = 1005,
  TRM_NOT_INITIALIZED = 1006,
  TRM_ALREADY_INITIALIZED = 1007,
  TRM_ALREADY_TERMINATED = 1008,
  TRM_PROJECT_NOT_FOUND = 1009,
  TRM_PROJECT_OPEN_PROBLEM = 1010,
  TRM_PARSE_PROBLEM = 1011,
  TRM_SOURCE_UNREADABLE = 1012,
  TRM_NO_RESOURCE_LOADED = 1013,
  TRM_NO_LOCAL_KORA = 1014,
  TRM_PRINT_FILE_MISSING = 1015,
  TRM_INVALID_MODE = 1016,
  TRM_INVALID_PARAMETER = 1017,
  TRM_PATH_CONVERSION = 1018,
  TRM_NO_FONT_NAME = 1019,
  TRM_NOT_KORA_PROJECT = 1020,
  TRM_LOADING_RESOURCE = 1021,
  TRM_PDF_SEGMENTS = 1022,
  TRM_SOURCE_SIZE = 1023
};

/* Flag bits (meaning depends on the record). */
#define TRM_FLAG_STATUS_PAGE 0x4000u
#define TRM_FLAG_REPLACE 0x8000u
#define TRM_FLAG_HEX 0x20000u

typedef struct trmPPS trmPPS;
typedef struct trmVOS trmVOS;
typedef struct trmFOS trmFOS;
typedef struct trmIOS trmIOS;

/* Library start and end. */
int trmInitialize(void);
int trmFinished(void);
const char* trmGetLastMessage(void); /* null while not initialised */
const char* trmGetLastDetail(void);
const char* trmGetVersion(void);

/* Project options. */
trmPPS* trmNewPPS(void);
int trmFreePPS(trmPPS* pps);
int trmPPSSetProject(trmPPS* pps, const char* folder, const char* project);
const char* trmPPSGetFolderName(const trmPPS* pps);
const char* trmPPSGetProjectName(const trmPPS* pps);
int trmPPSSetProjectFile(trmPPS* pps, const char* path);
const char* trmPPSGetProjectFile(const trmPPS* pps);
int trmPPSSetContainerFile(trmPPS* pps, const char* path);
const char* trmPPSGetContainerFile(const trmPPS* pps);
int trmPPSSetMode(trmPPS* pps, int mode);
int trmPPSGetMode(const trmPPS* pps);
int trmPPSSetKORAPath(trmPPS* pps, const char* path);
const char* trmPPSGetKORAPath(const trmPPS* pps);
int trmPPSSetStubPath(trmPPS* pps, const char* path);
const char* trmPPSGetStubPath(const trmPPS* pps);
int trmPPSSetSubmissionFile(trmPPS* pps, const char* path);
const char* trmPPSGetSubmissionFile(const trmPPS* pps);
int trmPPSAddResource(trmPPS* pps, const char* name);
int trmPPSGetResourceCount(const trmPPS* pps);
const char* trmPPSGetResource(const trmPPS* pps, int index);
int trmPPSSetStatusLabel(trmPPS* pps, const char* label);
const char* trmPPSGetStatusLabel(const trmPPS* pps);
int trmPPSSetPageRange(trmPPS* pps, int mode, int first, int last);
int trmPPSGetPageRangeMode(const trmPPS* pps);
int trmPPSGetFirstPage(const trmPPS* pps);
int trmPPSGetLastPage(const trmPPS* pps);

/* Output options. */
trmVOS* trmNewVOS(void);
int trmFreeVOS(trmVOS* vos);
int trmVOSSetOutputPath(trmVOS* vos, const char* path);
const char* trmVOSGetOutputPath(const trmVOS* vos);
int trmVOSSetFlags(trmVOS* vos, unsigned int flags);
unsigned int trmVOSGetFlags(const trmVOS* vos);

/* File and font options. */
trmFOS* trmNewFOS(void);
int trmFreeFOS(trmFOS* fos);
int trmFOSSetListPattern(trmFOS* fos, const char* pattern);
const char* trmFOSGetListPattern(const trmFOS* fos);
int trmFOSAddLoadFile(trmFOS* fos, const char* localPath, const char* printerName);
int trmFOSGetLoadFileCount(const trmFOS* fos);
const char* trmFOSGetLoadFile(const trmFOS* fos, int index);
const char* trmFOSGetPrinterFile(const trmFOS* fos, int index);
int trmFOSAddRemoveFile(trmFOS* fos, const char* name);
int trmFOSAddFont(trmFOS* fos, const char* localPath);
int trmFOSSetStatusLabel(trmFOS* fos, const char* label);
const char* trmFOSGetStatusLabel(const trmFOS* fos);

/* Flags of trmPPS and trmFOS: the record type is told by the function. */
int trmSetFlags(trmPPS* pps, unsigned int flags);
int trmAddFlags(trmPPS* pps, unsigned int flags);
unsigned int trmGetFlags(const trmPPS* pps);
int trmFOSSetFlags(trmFOS* fos, unsigned int flags);
int trmFOSAddFlags(trmFOS* fos, unsigned int flags);
unsigned int trmFOSGetFlags(const trmFOS* fos);

/* Interpreter options. */
trmIOS* trmNewIOS(void);
int trmFreeIOS(trmIOS* ios);
int trmIOSSetFlags(trmIOS* ios, unsigned int flags);
int trmIOSAddFlags(trmIOS* ios, unsigned int flags);
unsigned int trmIOSGetFlags(const trmIOS* ios);
int trmIOSSetLocalKORADir(trmIOS* ios, const char* path);
const char* trmIOSGetLocalKORADir(const trmIOS* ios);
int trmIOSSetStatusLabel(trmIOS* ios, const char* label);
const char* trmIOSGetStatusLabel(const trmIOS* ios);

/* Jobs on single files. */
int trmCreateFileLoader(const trmFOS* fos, const trmVOS* vos);
int trmCreatePSFontLoader(const trmFOS* fos, const trmVOS* vos);
int trmCreateFileRemover(const trmFOS* fos, const trmVOS* vos);
int trmListPrinterFiles(const trmFOS* fos, const trmVOS* vos);

#ifdef __cplusplus
}
#endif
#endif /* TRM_H */
