#pragma once
// The numbered texts of every message the project model logs. A record names its message by
// its number, so neither the order nor the wording (typos included) may change.

#include <array>
#include <string_view>

namespace tpsdk {

inline constexpr std::array<std::string_view, 110> kMessageCatalogue = {
    "(pos. %d) %s",
    "Print-and-Forget path not specified in SETPPATH",
    "Print-and-Forget path must be first in SETPPATH definition",
    "Could not open file '%s'",
    "'%s' not an XML file",
    "Nested <MODIFICATIONS> sections not allowed",
    "Unexpected </MODIFICATIONS> tag encountered",
    "Nested <MODIFICATION> sections not allowed",
    "Unexpected </MODIFICATION> tag encountered",
    "Nested <ACTIONS> sections not allowed",
    "<DATE> missing or improperly specfied within <MODIFICATION> section",
    "<USER> missing or improperly specfied within <MODIFICATION> section",
    "Unexpected </ACTIONS> tag encountered",
    "Nested <RESOURCES> sections not allowed",
    "Unexpected </RESOURCES> tag encountered",
    "<RESOURCE ... /> tag, malformed or missing field(s): %s",
    "<RESOURCE> tag encountered before <FOLDER_NAME> or <PROJECT_NAME>",
    "<PRIVATE Identifier='...'> tag, malformed or missing fields(s)",
    "Could not create temporary directory '%s'",
    "Could not find a file with .tpf extension in archive '%s'",
    "Could not create directory: '%s'",
    "XML header not present",
    "TPF version not specified",
    "Copyright not specified",
    "Folder name not specified",
    "Project name not specified",
    "Project version not specified",
    "Project title not specified",
    "Project description not specified",
    "Project author not specified",
    "Project keywords not specified",
    "Project generator not specified",
    "Project creation date not specified",
    "Project current date not specified",
    "Project current user not specified",
    "Premature end of file (no </MODIFICATIONS> tag?)",
    "Premature end of file (no </MODIFICATION> tag?)",
    "Premature end of file (no </ACTIONS> tag?)",
    "Premature end of file (no </RESOURCES> tag?)",
    "Premature end of file (no </TPF> tag?)",
    "Could not create file '%s' (%s)",
    "Could not export (Project not yet initialized - did you call 'SetFolderProjectNames'?).",
    "The Project already contains an element named '%s'",
    "Could not find the element '%s'",
    "Could not find the resource '%s'",
    "Local scope '%s' hides Folder scope '%s'",
    "Local scope '%s' hides Global scope '%s'",
    "Folder scope '%s' hides Global scope '%s'",
    "Removal only a valid operation for archives extracted as 'Print-and-Forget'",
    "Resource '%s' was not at local scope, but should have been - removal operation halted",
    "The file '%s' could not be removed - removal operation halted",
    "The directory '%s' could not be removed",
    "The directory '%s' could not be located for removal",
    "Could not add submission file '%s' - submission order '%d' already exists",
    "ERROR (Minizip): Could not create directory %s",
    "ERROR (Minizip): Error# %d in unzGetCurrentFileInfo",
    "ERROR (Minizip): Error# %d in unzOpenCurrentFile",
    "ERROR (Minizip): Could not open file %s",
    "ERROR (Minizip): Error# %d in unzReadCurrentFile",
    "ERROR (Minizip): Unexpected problem writing file (disk full?)",
    "ERROR (Minizip): Error# %d in unzCloseCurrentFile",
    "ERROR (Minizip): Error# %d in unzGetGlobalInfo",
    "ERROR (Minizip): Error# %d unzGoToNextFile",
    "ERROR (Minizip): Could not allocate memory",
    "ERROR (Minizip): File %s not found in archive",
    "ERROR (Minizip): Cannot open %s or %s.tpc",
    "ERROR (Minizip): Cannot create archive %s",
    "ERROR (Minizip): Could not open %s in archive",
    "ERROR (Minizip): Could not read %s in archive",
    "ERROR (Minizip) Unexpected problem writing %s (disk full?)",
    "ERROR (Minizip): Could not close %s in archive",
    "ERROR (Minizip): Could not close archive %s",
    "ERROR (Minizip): No .tpf file found in archive %s",
    "ERROR (Minizip): Index %d invalid in archive %s",
    "Project type 'KORA' not allowed here",
    "This operation is restricted to projects of type 'KORA'",
    "Invalid project type: '%d'",
    "Invalid project type: '%s'",
    "Project paths may not be specified for projects of type 'KORA'",
    "If a project path of one scope is specified, project paths for all scopes must be specified",
    "'Local' project path not specified",
    "'Folder shared' project path not specified",
    "'Glogal shared' project path not specified",
    "Invalid or missing scope for project path '%s'",
    "Invalid Project Path Mismatch Action: '%d'",
    "Stubfile premature EOF at line: %d",
    "Stubfile contains invalid project type: '%s'",
    "Stubfile syntax error: TESSEL_PROJECT_PDLTYPE '%s' missing '%s' in '%s'",
    "Stubfile and TPF project path mismatch for local scope: '%s' vs '%s'",
    "Stubfile and TPF project path mismatch for folder shared scope: '%s' vs '%s'",
    "Stubfile and TPF project path mismatch for global shared scope: '%s' vs '%s'",
    "Stubfile is missing path information for project type: '%s'",
    "Could not add job ticket file '%s' - job ticket order '%d' already exists",
    "TPF has at least one job ticket, but job ticket count does not equal submission file count: "
    "'%d' vs '%d'",
    "Job ticket element has no mime type, order: '%d'",
    "Submission file order out of sync with job ticket order: '%d' vs '%d'",
    "The resource path context could not be determined (possible cause: use of non-KORA stubfile "
    "for a Tessel Project of type KORA, or a KORA mtbdos|unix.run file for a non-KORA Tessel "
    "Project)",
    "Could not add job ticket file '%s' - job ticket ID '%d' already exists",
    "Job ticket specifications contain a mix of JobTicketOrder and JobTicketID",
    "Submission file of order '%d' specifies a job ticket with ID '%d', but no job ticket with "
    "that ID is present",
    "ERROR (Minizip): Internal - tag: %d, file: %s, reason: %s",
    "Archive volume size must be greater than zero",
    "Could not find archive file '%s'",
    "Could not open archive file '%s' - reason '%s'",
    "Compressed archives cannot be split into volumes",
    "Error reading archive volume '%s' - reason '%s'",
    "Error writing archive volume '%s' - reason '%s'",
    "Archive volume name '%s' is malformed",
    "Operation cancelled",
    "Volume size must be greater than zero",
};

// Number of a format in the catalogue; -1 when it is none of its texts.
int CatalogueNumber(std::string_view format);

// The catalogue's texts by name, for the code that logs them.
namespace msg {
inline constexpr std::string_view kPosition = kMessageCatalogue[0];
inline constexpr std::string_view kPafNotSpecified = kMessageCatalogue[1];
inline constexpr std::string_view kPafMustBeFirst = kMessageCatalogue[2];
inline constexpr std::string_view kCouldNotOpenFile = kMessageCatalogue[3];
inline constexpr std::string_view kNotAnXmlFile = kMessageCatalogue[4];
inline constexpr std::string_view kNestedModifications = kMessageCatalogue[5];
inline constexpr std::string_view kUnexpectedModificationsEnd = kMessageCatalogue[6];
inline constexpr std::string_view kNestedModification = kMessageCatalogue[7];
inline constexpr std::string_view kUnexpectedModificationEnd = kMessageCatalogue[8];
inline constexpr std::string_view kNestedActions = kMessageCatalogue[9];
inline constexpr std::string_view kDateMissing = kMessageCatalogue[10];
inline constexpr std::string_view kUserMissing = kMessageCatalogue[11];
inline constexpr std::string_view kUnexpectedActionsEnd = kMessageCatalogue[12];
inline constexpr std::string_view kNestedResources = kMessageCatalogue[13];
inline constexpr std::string_view kUnexpectedResourcesEnd = kMessageCatalogue[14];
inline constexpr std::string_view kMalformedResource = kMessageCatalogue[15];
inline constexpr std::string_view kResourceBeforeNames = kMessageCatalogue[16];
inline constexpr std::string_view kMalformedPrivate = kMessageCatalogue[17];
inline constexpr std::string_view kCouldNotCreateTempDir = kMessageCatalogue[18];
inline constexpr std::string_view kNoTpfInArchive = kMessageCatalogue[19];
inline constexpr std::string_view kCouldNotCreateDir = kMessageCatalogue[20];
inline constexpr std::string_view kXmlHeaderMissing = kMessageCatalogue[21];
inline constexpr std::string_view kTpfVersionMissing = kMessageCatalogue[22];
inline constexpr std::string_view kCopyrightMissing = kMessageCatalogue[23];
inline constexpr std::string_view kFolderNameMissing = kMessageCatalogue[24];
inline constexpr std::string_view kProjectNameMissing = kMessageCatalogue[25];
inline constexpr std::string_view kProjectVersionMissing = kMessageCatalogue[26];
inline constexpr std::string_view kProjectTitleMissing = kMessageCatalogue[27];
inline constexpr std::string_view kDescriptionMissing = kMessageCatalogue[28];
inline constexpr std::string_view kAuthorMissing = kMessageCatalogue[29];
inline constexpr std::string_view kKeywordsMissing = kMessageCatalogue[30];
inline constexpr std::string_view kGeneratorMissing = kMessageCatalogue[31];
inline constexpr std::string_view kCreationDateMissing = kMessageCatalogue[32];
inline constexpr std::string_view kCurrentDateMissing = kMessageCatalogue[33];
inline constexpr std::string_view kCurrentUserMissing = kMessageCatalogue[34];
inline constexpr std::string_view kEofInModifications = kMessageCatalogue[35];
inline constexpr std::string_view kEofInModification = kMessageCatalogue[36];
inline constexpr std::string_view kEofInActions = kMessageCatalogue[37];
inline constexpr std::string_view kEofInResources = kMessageCatalogue[38];
inline constexpr std::string_view kEofBeforeTpfEnd = kMessageCatalogue[39];
inline constexpr std::string_view kCouldNotCreateFile = kMessageCatalogue[40];
inline constexpr std::string_view kProjectNotInitialised = kMessageCatalogue[41];
inline constexpr std::string_view kDuplicateElement = kMessageCatalogue[42];
inline constexpr std::string_view kElementNotFound = kMessageCatalogue[43];
inline constexpr std::string_view kResourceNotFound = kMessageCatalogue[44];
inline constexpr std::string_view kLocalHidesFolder = kMessageCatalogue[45];
inline constexpr std::string_view kLocalHidesGlobal = kMessageCatalogue[46];
inline constexpr std::string_view kFolderHidesGlobal = kMessageCatalogue[47];
inline constexpr std::string_view kRemovalOnlyPaf = kMessageCatalogue[48];
inline constexpr std::string_view kNotLocalScope = kMessageCatalogue[49];
inline constexpr std::string_view kFileNotRemoved = kMessageCatalogue[50];
inline constexpr std::string_view kDirNotRemoved = kMessageCatalogue[51];
inline constexpr std::string_view kDirNotLocated = kMessageCatalogue[52];
inline constexpr std::string_view kDuplicateSubmissionOrder = kMessageCatalogue[53];
inline constexpr std::string_view kZipCreateDir = kMessageCatalogue[54];
inline constexpr std::string_view kZipGetFileInfo = kMessageCatalogue[55];
inline constexpr std::string_view kZipOpenCurrent = kMessageCatalogue[56];
inline constexpr std::string_view kZipOpenFile = kMessageCatalogue[57];
inline constexpr std::string_view kZipReadCurrent = kMessageCatalogue[58];
inline constexpr std::string_view kZipWriteFailed = kMessageCatalogue[59];
inline constexpr std::string_view kZipCloseCurrent = kMessageCatalogue[60];
inline constexpr std::string_view kZipGetGlobalInfo = kMessageCatalogue[61];
inline constexpr std::string_view kZipGoToNext = kMessageCatalogue[62];
inline constexpr std::string_view kZipNoMemory = kMessageCatalogue[63];
inline constexpr std::string_view kZipFileNotFound = kMessageCatalogue[64];
inline constexpr std::string_view kZipCannotOpen = kMessageCatalogue[65];
inline constexpr std::string_view kZipCannotCreate = kMessageCatalogue[66];
inline constexpr std::string_view kZipCouldNotOpenEntry = kMessageCatalogue[67];
inline constexpr std::string_view kZipCouldNotReadEntry = kMessageCatalogue[68];
inline constexpr std::string_view kZipWriteEntryFailed = kMessageCatalogue[69];
inline constexpr std::string_view kZipCouldNotCloseEntry = kMessageCatalogue[70];
inline constexpr std::string_view kZipCouldNotCloseArchive = kMessageCatalogue[71];
inline constexpr std::string_view kZipNoTpf = kMessageCatalogue[72];
inline constexpr std::string_view kZipBadIndex = kMessageCatalogue[73];
inline constexpr std::string_view kKoraNotAllowed = kMessageCatalogue[74];
inline constexpr std::string_view kOnlyForKora = kMessageCatalogue[75];
inline constexpr std::string_view kInvalidTypeCode = kMessageCatalogue[76];
inline constexpr std::string_view kInvalidTypeName = kMessageCatalogue[77];
inline constexpr std::string_view kKoraProjectPaths = kMessageCatalogue[78];
inline constexpr std::string_view kAllProjectPathsNeeded = kMessageCatalogue[79];
inline constexpr std::string_view kLocalPathMissing = kMessageCatalogue[80];
inline constexpr std::string_view kFolderPathMissing = kMessageCatalogue[81];
inline constexpr std::string_view kGlobalPathMissing = kMessageCatalogue[82];
inline constexpr std::string_view kInvalidProjectPathScope = kMessageCatalogue[83];
inline constexpr std::string_view kInvalidMismatchAction = kMessageCatalogue[84];
inline constexpr std::string_view kStubPrematureEof = kMessageCatalogue[85];
inline constexpr std::string_view kStubInvalidType = kMessageCatalogue[86];
inline constexpr std::string_view kStubSyntaxError = kMessageCatalogue[87];
inline constexpr std::string_view kLocalPathMismatch = kMessageCatalogue[88];
inline constexpr std::string_view kFolderPathMismatch = kMessageCatalogue[89];
inline constexpr std::string_view kGlobalPathMismatch = kMessageCatalogue[90];
inline constexpr std::string_view kStubMissingTypePaths = kMessageCatalogue[91];
inline constexpr std::string_view kDuplicateJobTicketOrder = kMessageCatalogue[92];
inline constexpr std::string_view kJobTicketCountMismatch = kMessageCatalogue[93];
inline constexpr std::string_view kJobTicketNoMime = kMessageCatalogue[94];
inline constexpr std::string_view kSubmissionOrderOutOfSync = kMessageCatalogue[95];
inline constexpr std::string_view kNoPathContext = kMessageCatalogue[96];
inline constexpr std::string_view kDuplicateJobTicketId = kMessageCatalogue[97];
inline constexpr std::string_view kJobTicketMix = kMessageCatalogue[98];
inline constexpr std::string_view kMissingJobTicketId = kMessageCatalogue[99];
inline constexpr std::string_view kZipInternal = kMessageCatalogue[100];
inline constexpr std::string_view kVolumeSizeZero = kMessageCatalogue[101];
inline constexpr std::string_view kArchiveNotFound = kMessageCatalogue[102];
inline constexpr std::string_view kArchiveNotOpened = kMessageCatalogue[103];
inline constexpr std::string_view kCompressedNoVolumes = kMessageCatalogue[104];
inline constexpr std::string_view kVolumeReadError = kMessageCatalogue[105];
inline constexpr std::string_view kVolumeWriteError = kMessageCatalogue[106];
inline constexpr std::string_view kVolumeNameMalformed = kMessageCatalogue[107];
inline constexpr std::string_view kOperationCancelled = kMessageCatalogue[108];
inline constexpr std::string_view kVolumeSizeMustBePositive = kMessageCatalogue[109];
}  // namespace msg

}  // namespace tpsdk
