#include <string>
#include <string_view>
#include <vector>

#include "interpreter/interpreter_texts.h"
#include "stream/job_text.h"

namespace trm {
namespace {

struct PathFolder {
  std::string_view folder;
  std::string_view comment;
};

struct PathSetting {
  std::string_view directive;
  std::vector<PathFolder> folders;
};

// Comments start at this column (tab stops every 8) so the lists read as a table.
constexpr std::size_t kCommentColumn = 48;

std::string Tabs(std::size_t width) {
  std::string tabs = "\t";
  for (std::size_t column = (width / 8 + 1) * 8; column < kCommentColumn; column += 8) {
    tabs.push_back('\t');
  }
  return tabs;
}

const std::vector<PathSetting>& PathSettings() {
  static const std::vector<PathSetting> settings = {
      {"SETFPATH",
       {{"mtbc/formlib/", "customer path for forms & segments"},
        {"mtb/formlib/", "demo path for forms & segments"},
        {"mtb/gshared/", "demo path for globally shared forms & segments"}}},
      {"SETIPATH",
       {{"mtbc/imglib/", "customer path for images"},
        {"mtb/imglib/", "demo path for images"},
        {"mtbc/decomp/", "customer path for decomp images"}}},
      {"SETJPATH",
       {{"mtbc/jdtlib/", "customer path for jdt"},
        {"mtb/jdtlib/", "demo path for jdt"},
        {"mtb/gshared/", "demo path for globally shared jdt files"}}},
      {"SETEPATH",
       {{"mtbc/encoding/", "customer path for encoding files"},
        {"mtb/encoding/", "demo path for encoding files"}}},
      {"SETMPATH",
       {{"mtbc/mislib/", "customer path for miscell. files"},
        {"mtbc/fontlib/", "customer path to font lib"},
        {"mtb/demo/", "demo path for demo files"},
        {"mtbc/formlib/", "customer path for forms & segments"},
        {"mtb/formlib/", "demo path for forms & segments"},
        {"mtb/encoding/", "demo path for encoding files"},
        {"", "null path for full names"}}},
      {"SETPPATH",
       {{"mtbc/$$FOLDER./$$PROJECT./", "project local paths"},
        {"mtbc/$$FOLDER./fshared/", "project folder shared paths"},
        {"mtbc/gshared/", "project global shared paths"},
        {"mtbc/fontlib/", "project access to font lib"},
        {"mtb/encoding/", "project access to standard encoding"},
        {"mtb/gshared/", "project global shared path"}}},
  };
  return settings;
}

std::string CommentedLine(std::string_view statement, std::string_view comment) {
  std::string line(statement);
  line += Tabs(statement.size());
  line += "% ";
  line += comment;
  line += '\n';
  return line;
}

std::string_view BaseName(std::string_view path) {
  const std::size_t slash = path.find_last_of("/\\");
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

}  // namespace

std::string PathSettingsText() {
  std::string text;
  for (const PathSetting& setting : PathSettings()) {
    bool first = true;
    for (const PathFolder& folder : setting.folders) {
      std::string statement = first ? "[ (" : "  (";
      statement += folder.folder;
      statement += ')';
      text += CommentedLine(statement, folder.comment);
      first = false;
    }
    text += "] ";
    text += setting.directive;
    text += "\n\n";
  }
  return text;
}

const std::vector<InterpreterModule>& BuiltinModules() {
  static const std::vector<InterpreterModule> modules = {
      {"mtb.gep", "predefined colour keys and GEP keys"},
      {"scoat.cck", "solid coated colour keys"},
      {"sucoat.cck", "solid uncoated colour keys"},
      {"mtb.ddg", "data driven graphics"},
      {"mtb.417", "PDF417 barcode"},
      {"mtb.max", "MaxiCode barcode"},
      {"mtb.dmx", "Datamatrix barcode"},
      {"mtb.qrc", "QR Code barcode"},
      {"mtb.4cb", "USPS4CB barcode"},
      {"cjk.def", "cjk default setting"},
      {"arb.def", "arb default setting"},
      {"mtb.def", "mtb default setting"},
      {"mtb.pcc", "PCC definitions"},
      {"mtb.mup", "multi-up definitions"},
      {"mtb.bat", "predefined BAT keys"},
  };
  return modules;
}

std::string RunFileText(const std::vector<std::string>* modules, bool lumen) {
  std::string text = JobHeader("KORA link file for DEP printer (mtbdep.run)");
  text += "(mtb/src/mtb.eeh) run\t% run mtb prolog\n";
  text += "(mtb/src/kora.vsm) run\t% run Tessel Interpreter Services Module\n\n";
  text += "% Note: The customer may edit the following statements\n";
  text += "%       to reflect their local configuration.\n\n";
  text += CommentedLine("MTBdict begin", "push MTBdict on stack");
  text += '\n';
  text += PathSettingsText();
  text += "% Warning!!  The following statements must not be moved or edited by the customer.\n";
  text += "%            To do so may cause unpredictable results.\n\n";
  text += "(mtb/mtbspool) SPOOLNAME\t% MTB spoolfile full name\n\n";
  if (modules) {
    for (const std::string& module : *modules) {
      const std::string_view name = BaseName(module);
      if (name == "mtb.eeh") continue;
      text += "(mtb/src/";
      text += name;
      text += ") run\n";
    }
  } else {
    auto moduleLine = [&text](const InterpreterModule& module) {
      text += "(mtb/src/";
      text += module.file;
      text += ") run\t% run ";
      text += module.description;
      text += '\n';
    };
    for (const InterpreterModule& module : BuiltinModules()) moduleLine(module);
    if (lumen) moduleLine(kLumenModule);
  }
  text += CommentedLine("end", "mandatory (remove MTBdict from dict stack)");
  return text;
}

}  // namespace trm
