#pragma once
// How kmjob shows what the project model holds: texts from other machines made safe for a
// terminal, and the resources with the local file each resolves to.

#include <cstdio>
#include <string>
#include <string_view>

#include "tpsdk/project.h"

namespace kmjob {

// The text with every control byte shown as \xHH: names come from files of other machines.
std::string Printable(std::string_view text);
// Each line of a message text indented by two spaces; line breaks stay, other control bytes
// are shown as \xHH.
std::string PrintableLines(std::string_view text);
// "Resources: N" and one line per resource: type, scope, name -> local file, "(missing)" when
// that file does not exist.
void PrintResources(std::FILE* out, const tpsdk::Project& project);

}  // namespace kmjob
