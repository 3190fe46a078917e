#pragma once
// Builders and views of the project model for its tests, header only: only the test programs
// that link the model include it.

#include <functional>
#include <memory>
#include <string>
#include <vector>

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

// An element whose local file, holding bytes, exists in the tree's folder of its scope.
inline std::unique_ptr<tpsdk::ProjectElement> NewElement(const ProjectTree& tree, const char* name,
                                                         const char* type,
                                                         int scope = tpsdk::kScopeLocal,
                                                         std::string_view bytes = "data") {
  auto element = std::make_unique<tpsdk::ProjectElement>();
  element->SetName(name);
  element->SetType(type);
  element->SetScope(scope);
  element->SetLocalPath(tree.Resource(scope, name, bytes).c_str());
  return element;
}

// A resource of a project that WriteProject writes, with the bytes of its file and whatever else
// the element needs (attributes, submission order).
struct ProjectResource {
  std::string name;
  std::string type;
  int scope;
  std::string bytes = "data";
  std::function<void(tpsdk::ProjectElement&)> setUp = {};
};

// Project "P" of folder "F" as P.tpf in the tree's local scope folder, each resource's file in
// its scope's folder. Empty, or the project's messages when it could not be written.
inline std::string WriteProject(const ProjectTree& tree,
                                const std::vector<ProjectResource>& resources) {
  auto project = tpsdk::TpsdkCreateProject(tree.stubPath().c_str());
  if (!project) return "no stub file";
  project->SetFolderProjectNames("F", "P");
  for (const ProjectResource& r : resources) {
    auto element = NewElement(tree, r.name.c_str(), r.type.c_str(), r.scope, r.bytes);
    if (r.setUp) r.setUp(*element);
    if (project->AddElement(element) & 8) return project->GetMessages();
  }
  const auto file = tree.ScopeFolder(tpsdk::kScopeLocal) / "P.tpf";
  return project->WriteProjectFile(file.c_str()) & 8 ? project->GetMessages() : "";
}

}  // namespace km_test
