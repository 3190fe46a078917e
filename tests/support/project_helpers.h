#pragma once
// Builders and views of the project model for its tests, header only: only the test programs
// that link the model include it.

#include <memory>
#include <string>

#include "project_tree.h"
#include "tpsdk/tpsdk.h"

namespace km_test {

// The scope directories as "local;folder;global", the entries of each joined by ",".
inline std::string ScopeDirs(const tpsdk::Project& project) {
  std::string out;
  for (const auto* dirs :
       {&project.GetLocalDirs(), &project.GetFolderDirs(), &project.GetGlobalDirs()}) {
    for (std::size_t i = 0; i < dirs->size(); ++i) out += (i ? "," : "") + (*dirs)[i];
    out += ';';
  }
  out.pop_back();
  return out;
}

// An element whose local file exists in the tree's folder of its scope.
inline std::unique_ptr<tpsdk::ProjectElement> NewElement(const ProjectTree& tree, const char* name,
                                                         const char* type,
                                                         int scope = tpsdk::kScopeLocal) {
  auto element = std::make_unique<tpsdk::ProjectElement>();
  element->SetName(name);
  element->SetType(type);
  element->SetScope(scope);
  element->SetLocalPath(tree.Resource(scope, name).c_str());
  return element;
}

}  // namespace km_test
