#include "project/resource_definitions.h"

#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "encoding/ascii85.h"
#include "encoding/binary_test.h"
#include "encoding/dos_eps.h"
#include "encoding/hex.h"
#include "encoding/source_file.h"
#include "project/resource_selection.h"
#include "stream/ps_string.h"
#include "trm.h"

namespace trm {
namespace {

// Images and fonts become one string per block; binary files one line per block.
constexpr std::size_t kContainerBlockBytes = 49152;

enum class Block {
  kNone,
  kForm,        // bound by FBIND
  kProcedure,   // the file as the body of a procedure
  kStrings,     // an array of encoded strings
  kVmFile,      // raw bytes up to the end-of-data line
  kFilteredVm,  // EPS stripped; raw when text, through a decode filter when binary
};

Block BlockOf(const tpsdk::ProjectElement& element) {
  const std::string_view type = element.GetType();
  if (type == "frm") return Block::kForm;
  if (type == "seg") {
    const char* structure = element.GetAttribute("Structure");
    return structure && std::strcmp(structure, "PDF") == 0 ? Block::kFilteredVm : Block::kProcedure;
  }
  if (type == "jdt" || type == "xjt" || type == "dbm" || type == "enc") return Block::kProcedure;
  if (type == "img" || type == "fnt") return Block::kStrings;
  if (type == "dat") return Block::kVmFile;
  if (type == "mis" || type == "eps") return Block::kFilteredVm;
  return Block::kNone;
}

std::string_view AsText(const std::vector<unsigned char>& data) {
  return {reinterpret_cast<const char*>(data.data()), data.size()};
}

std::string Encoded(const std::vector<unsigned char>& data, bool hex, std::size_t blockBytes,
                    std::size_t lineBytes) {
  return hex ? EncodeHex(data, blockBytes, lineBytes) : EncodeAscii85(data, blockBytes, lineBytes);
}

// The three parts of a block, each flushed on its own.
int WriteParts(const JobContext& job, std::string_view opening, std::string_view body,
               std::string_view closing) {
  for (std::string_view part : {opening, body, closing}) {
    if (int code = job.Section(part); code != TRM_OK) return code;
  }
  return TRM_OK;
}

int WriteFilteredVm(const JobContext& job, const std::string& name, std::vector<unsigned char> data,
                    bool hex) {
  if (auto stripped = StripDosEps(data)) data = std::move(*stripped);
  if (!IsBinaryData(data)) {
    return WriteParts(job, PsString(name) + "\nMAKEVMFILE\n", AsText(data),
                      "\n%%EOD_MTB MTBRESDEF\n");
  }
  const std::string encoded = Encoded(data, hex, 0, kContainerBlockBytes);
  data = {};  // only one copy of a large resource at a time
  if (hex) {
    return WriteParts(job, PsString(name) + "\ncurrentfile /ASCIIHexDecode filter\nMAKEVMFILE\n",
                      encoded, "\n> MTBRESDEF\n");
  }
  return WriteParts(job, PsString(name) + "\ncurrentfile /ASCII85Decode filter\nMAKEVMFILE\n",
                    encoded, "\nMTBRESDEF\n");
}

int WriteDefinition(const JobContext& job, const tpsdk::ProjectElement& element, bool hex) {
  const std::string localPath = element.GetLocalPath();
  const Block block = BlockOf(element);
  if (block == Block::kNone) {
    // Nothing is sent, but the file must still be one that could be.
    SourceFile source;
    return source.Open(job, localPath);
  }
  std::vector<unsigned char> data;
  if (int code = ReadSourceFile(job, localPath, data); code != TRM_OK) return code;
  const std::string name = element.GetName();
  switch (block) {
    case Block::kForm:
      return WriteParts(job, PsString(name) + "\n", AsText(data), "\nFBIND MTBRESDEF\n");
    case Block::kProcedure:
      return WriteParts(job, PsString(name) + " {\n", AsText(data), "\n} MTBRESDEF\n");
    case Block::kStrings: {
      const std::string encoded = Encoded(data, hex, kContainerBlockBytes, 0);
      data = {};
      return WriteParts(job, PsString(name) + " [\n", encoded, "\n] MTBRESDEF\n");
    }
    case Block::kVmFile:
      return WriteParts(job, PsString(name) + " MAKEVMFILE\n", AsText(data),
                        "\n%%EOD_MTB MTBRESDEF\n");
    case Block::kFilteredVm:
      return WriteFilteredVm(job, name, std::move(data), hex);
    case Block::kNone:
      break;
  }
  return TRM_OK;
}

}  // namespace

int WriteResourceDefinitions(const JobContext& job, const tpsdk::Project& project,
                             std::uint32_t flags) {
  const bool hex = flags & TRM_FLAG_HEX;
  for (std::size_t i = 0; i < project.GetElementCount(); ++i) {
    const tpsdk::ProjectElement* element = project.GetElement(i);
    if (!element || IsFilteredOut(element->GetType(), element->GetScope(), flags)) continue;
    if (int code = WriteDefinition(job, *element, hex); code != TRM_OK) return code;
  }
  return TRM_OK;
}

}  // namespace trm
