#ifndef TRM_H
#define TRM_H
/* KORA resource job generator: C-style entry points and option records.
 * Entry points never throw, never keep a pointer the caller passed, and copy every text set on
 * a record. A job entry point returns a status code (TRM_OK on success), which
 * trmGetLastMessage and trmGetLastDetail then explain. */

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

/* Flag bits. On a trmVOS, TRM_FLAG_REPLACE lets a job replace an existing output file; on a
 * trmFOS it lets the printer replace its copy of a file, TRM_FLAG_STATUS_PAGE asks the printer
 * for a status page and TRM_FLAG_HEX writes file data as hexadecimal instead of ASCII85. */
#define TRM_FLAG_STATUS_PAGE 0x4000u
#define TRM_FLAG_REPLACE 0x8000u
#define TRM_FLAG_HEX 0x20000u

/* trmPPS flags of the project jobs and the printable container. */
#define TRM_PPS_EMBED_KORA 0x2u           /* container: carry the interpreter */
#define TRM_PPS_ERROR_HANDLER 0x4u        /* container: PostScript error handler */
#define TRM_PPS_USE_STUB 0x8u             /* stubPath and the built-in image, not KORAPath */
#define TRM_PPS_EXTERNAL_SUBMISSION 0x10u /* submissionFile is a path outside the project */
#define TRM_PPS_INCLUDE_RESOURCES 0x20u   /* container: resources inside the data stream */
#define TRM_PPS_DEPLOY_RESOURCES 0x40u    /* container: store resources before the data */
#define TRM_PPS_SKIP_IMAGES 0x80u
#define TRM_PPS_SKIP_MISC 0x100u /* "mis" and "eps" */
#define TRM_PPS_SKIP_FONTS 0x200u
#define TRM_PPS_WITH_OTHER 0x400u /* "oth" resources are left out unless this is set */
#define TRM_PPS_SKIP_FOLDER_SHARED 0x800u
#define TRM_PPS_SKIP_GLOBAL_SHARED 0x1000u
#define TRM_PPS_WITH_SUBMISSION 0x2000u /* "sub" resources are left out unless this is set */
#define TRM_PPS_PAGE_RANGE 0x10000u
#define TRM_PPS_RESIDENT 0x40000u
#define TRM_PPS_LUMEN 0x80000u

/* trmPPS processing modes: how the project is found. */
#define TRM_MODE_BY_NAMES 2001 /* folder and project names through the run file's SETPPATH */
#define TRM_MODE_PROJECT_FILE 2002
#define TRM_MODE_CONTAINER 2003

/* trmIOS flags of the interpreter jobs. */
#define TRM_IOS_ERROR_HANDLER 0x2u
#define TRM_IOS_BUILTIN 0x4u
#define TRM_IOS_AUTO_START 0x8u
#define TRM_IOS_REMOVE_INTERPRETER 0x10u /* every file under mtb/ */
#define TRM_IOS_REMOVE_CUSTOMER 0x20u    /* every file under mtbc/ */
#define TRM_IOS_RESIDENT 0x40000u
#define TRM_IOS_LUMEN 0x80000u

typedef struct trmPPS trmPPS; /* project options */
typedef struct trmVOS trmVOS; /* output options */
typedef struct trmFOS trmFOS; /* file and font options */
typedef struct trmIOS trmIOS; /* interpreter options */

/* Records: trmNew* returns a record with its defaults, or null when out of memory; the caller
 * owns it and ends it with the matching trmFree*, which accepts null and returns 1.
 * Setters return 1, or 0 (record unchanged) for a null record or text or a value out of range.
 * Text getters return null for a null record or an unset text, number getters 0 for a null
 * record; a returned text belongs to the record and stays valid until the record is next
 * changed or freed. */

/**** Library start and end ****/

/* Starts the library: TRM_OK, or TRM_ALREADY_INITIALIZED. The debug log is trmdebug.log in the
 * working directory of this call, written only when that file already exists. */
int trmInitialize(void);
/* Ends the library: TRM_OK, or TRM_ALREADY_TERMINATED; trmInitialize may start it again. */
int trmFinished(void);
/* "[operation] text [detail]" of the last call that set a status; null while not initialised.
 * Owned by the library, valid until the next call. */
const char* trmGetLastMessage(void);
/* The detail of that message alone (a path or a parameter name), "" when it has none. */
const char* trmGetLastDetail(void);
/* The library's name and version; a static text, valid at any time. */
const char* trmGetVersion(void);

/**** Project options ****/

trmPPS* trmNewPPS(void);
int trmFreePPS(trmPPS* pps);
/* Sets folder and project together; 0 unless both are given. */
int trmPPSSetProject(trmPPS* pps, const char* folder, const char* project);
const char* trmPPSGetFolderName(const trmPPS* pps);
const char* trmPPSGetProjectName(const trmPPS* pps);
int trmPPSSetProjectFile(trmPPS* pps, const char* path);
const char* trmPPSGetProjectFile(const trmPPS* pps);
int trmPPSSetContainerFile(trmPPS* pps, const char* path);
const char* trmPPSGetContainerFile(const trmPPS* pps);
/* Processing mode 2001 (the default) to 2003; any other is refused. */
int trmPPSSetMode(trmPPS* pps, int mode);
int trmPPSGetMode(const trmPPS* pps);
/* A folder, kept with exactly one trailing "/" and no doubled "/" ("" stays ""). */
int trmPPSSetKORAPath(trmPPS* pps, const char* path);
const char* trmPPSGetKORAPath(const trmPPS* pps);
int trmPPSSetStubPath(trmPPS* pps, const char* path);
const char* trmPPSGetStubPath(const trmPPS* pps);
int trmPPSSetSubmissionFile(trmPPS* pps, const char* path);
const char* trmPPSGetSubmissionFile(const trmPPS* pps);
/* Adds a resource name or pattern; 0 when an earlier entry already covers it (wildcards,
 * ASCII letters in either case). */
int trmPPSAddResource(trmPPS* pps, const char* name);
int trmPPSGetResourceCount(const trmPPS* pps);
/* The resource at index, null when out of range. */
const char* trmPPSGetResource(const trmPPS* pps, int index);
int trmPPSSetStatusLabel(trmPPS* pps, const char* label);
const char* trmPPSGetStatusLabel(const trmPPS* pps);
/* Mode 0 to 2 and pages 1 <= first <= last; defaults 2, 1 and 65535. */
int trmPPSSetPageRange(trmPPS* pps, int mode, int first, int last);
int trmPPSGetPageRangeMode(const trmPPS* pps);
int trmPPSGetFirstPage(const trmPPS* pps);
int trmPPSGetLastPage(const trmPPS* pps);

/**** Output options ****/

trmVOS* trmNewVOS(void);
int trmFreeVOS(trmVOS* vos);
/* The job file to write; a symbolic link is written through and stays a link. */
int trmVOSSetOutputPath(trmVOS* vos, const char* path);
const char* trmVOSGetOutputPath(const trmVOS* vos);
int trmVOSSetFlags(trmVOS* vos, unsigned int flags);
unsigned int trmVOSGetFlags(const trmVOS* vos);

/**** File and font options ****/

trmFOS* trmNewFOS(void);
int trmFreeFOS(trmFOS* fos);
/* The pattern a listing job asks for; unset, or made only of "*", ".", "/" and "\\", it
 * lists every file. */
int trmFOSSetListPattern(trmFOS* fos, const char* pattern);
const char* trmFOSGetListPattern(const trmFOS* fos);
/* Adds an existing regular file under a printer name (null or "": derived from the path);
 * the same file added again, by any name, keeps its place and takes the new printer name. */
int trmFOSAddLoadFile(trmFOS* fos, const char* localPath, const char* printerName);
int trmFOSGetLoadFileCount(const trmFOS* fos);
/* The local path and the printer name at index, null when out of range. */
const char* trmFOSGetLoadFile(const trmFOS* fos, int index);
const char* trmFOSGetPrinterFile(const trmFOS* fos, int index);
/* Adds a name or pattern to remove; 0 when an earlier entry already covers it. */
int trmFOSAddRemoveFile(trmFOS* fos, const char* name);
/* Adds an existing font file; 1 without a second entry when the path is already there. */
int trmFOSAddFont(trmFOS* fos, const char* localPath);
int trmFOSSetStatusLabel(trmFOS* fos, const char* label);
const char* trmFOSGetStatusLabel(const trmFOS* fos);

/**** Flags of trmPPS and trmFOS: the record type is told by the function's name ****/

/* Set replaces the flags, Add ors them in. */
int trmSetFlags(trmPPS* pps, unsigned int flags);
int trmAddFlags(trmPPS* pps, unsigned int flags);
unsigned int trmGetFlags(const trmPPS* pps);
int trmFOSSetFlags(trmFOS* fos, unsigned int flags);
int trmFOSAddFlags(trmFOS* fos, unsigned int flags);
unsigned int trmFOSGetFlags(const trmFOS* fos);

/**** Interpreter options ****/

trmIOS* trmNewIOS(void);
int trmFreeIOS(trmIOS* ios);
int trmIOSSetFlags(trmIOS* ios, unsigned int flags);
int trmIOSAddFlags(trmIOS* ios, unsigned int flags);
unsigned int trmIOSGetFlags(const trmIOS* ios);
/* A folder, kept as trmPPSSetKORAPath keeps it. */
int trmIOSSetLocalKORADir(trmIOS* ios, const char* path);
const char* trmIOSGetLocalKORADir(const trmIOS* ios);
int trmIOSSetStatusLabel(trmIOS* ios, const char* label);
const char* trmIOSGetStatusLabel(const trmIOS* ios);

/**** Jobs on single files ****/

/* Each writes one job to the trmVOS output path and returns TRM_OK with that path as detail,
 * or: TRM_NOT_INITIALIZED (no message), TRM_INVALID_PARAMETER naming the missing field,
 * TRM_OUTPUT_EXISTS when the output exists and trmVOS lacks TRM_FLAG_REPLACE, TRM_WRITE_PROBLEM
 * or TRM_ACCESS_PROBLEM naming the output. A failed job leaves no partial file and keeps the
 * file it would have replaced. The records are only read. */

/* One record per load file: TRM_SOURCE_MISSING, TRM_SOURCE_SIZE (empty, or over 128 MiB less
 * one byte) or TRM_SOURCE_UNREADABLE name the file. A DOS EPS file goes without its preview. */
int trmCreateFileLoader(const trmFOS* fos, const trmVOS* vos);
/* One record per font, stored as fonts/<its FontName>: TRM_NO_FONT_NAME names a font without
 * one. A font already on the printer is never replaced. */
int trmCreatePSFontLoader(const trmFOS* fos, const trmVOS* vos);
/* Removes the trmFOS remove entries; an entry made only of "*", ".", "/" and "\\" removes
 * every file of both printer folders instead. */
int trmCreateFileRemover(const trmFOS* fos, const trmVOS* vos);
/* Lists the printer's files that match the trmFOS list pattern; fos may be null. */
int trmListPrinterFiles(const trmFOS* fos, const trmVOS* vos);

/**** Project jobs ****/

/* The project is found by trmPPS mode: TRM_PROJECT_NOT_FOUND, TRM_NOT_KORA_PROJECT or
 * TRM_PROJECT_OPEN_PROBLEM name it, TRM_ACCESS_PROBLEM names a run or stub file that does not
 * exist, TRM_INVALID_MODE gives the mode. A resource file that cannot be sent stops the job with
 * TRM_SOURCE_MISSING, TRM_SOURCE_SIZE or TRM_SOURCE_UNREADABLE naming it. */

/* Stores the selected resources under their scoped printer names; TRM_NO_RESOURCE_LOADED
 * (no file written) when the selection loads nothing. */
int trmCreateProjectResourceLoader(const trmPPS* pps, const trmVOS* vos);
/* Writes the local listing of the selected resources: one "type path" line each. */
int trmListProjectResources(const trmPPS* pps, const trmVOS* vos);
/* Removes a project's files from the printer; the skip-shared flags keep shared files. */
int trmCreateProjectRemover(const trmPPS* pps, const trmVOS* vos);
/* Prints the list of a project's files on the printer. */
int trmListPrinterProjectResources(const trmPPS* pps, const trmVOS* vos);
/* One self-contained print job: the submission file with, as the flags ask, the interpreter,
 * the resources and the settings to run it. TRM_PRINT_FILE_MISSING when there is no usable
 * submission file, TRM_PARSE_PROBLEM for a run file without run commands. */
int trmCreatePrintableContainer(const trmPPS* pps, const trmVOS* vos);

/**** Interpreter jobs ****/

/* Stores the interpreter from the built-in image or the local installation trmIOS names:
 * TRM_PARSE_PROBLEM names a run file without run commands, TRM_PATH_CONVERSION a listed file
 * outside the installation, the source codes a file that cannot be sent. */
int trmInstallKORA(const trmIOS* ios, const trmVOS* vos);
/* Removes the interpreter and/or the customer files, as the trmIOS flags ask. */
int trmUninstallKORA(const trmIOS* ios, const trmVOS* vos);
/* Starts the installed interpreter; with TRM_FLAG_STATUS_PAGE it prints its versions. */
int trmStartupKORA(const trmIOS* ios, const trmVOS* vos);
/* The version text of the built-in interpreter image; a static text. */
const char* trmGetBuiltinKORAVersion(void);

#ifdef __cplusplus
}
#endif
#endif /* TRM_H */
