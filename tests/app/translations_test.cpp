#include <gtest/gtest.h>
#include <wx/intl.h>
#include <wx/translation.h>

#include <filesystem>

#include "env_override.h"
#include "library_text.h"
#include "process.h"
#include "program_start.h"
#include "scratch_folder.h"

namespace app_test {
namespace {

// This machine has no German system locale: the catalogue must work without one.
TEST(TranslationsTest, TheCatalogueOfAnInstallationIsUsedWithoutASystemLocale) {
  const km_test::ScratchFolder install("km_translations");
  const std::filesystem::path po = install.File(
      "de.po",
      "msgid \"Initialization Failure\"\nmsgstr \"Initialisierungsfehler\"\n"
      "msgid \"The printer group contains no printer.\"\nmsgstr \"Die Gruppe ist leer.\"\n");
  const std::filesystem::path mo = install / "share/locale/de/LC_MESSAGES/koramanage.mo";
  std::filesystem::create_directories(mo.parent_path());
  km_test::RunTool("msgfmt", {"-o", mo.string(), po.string()});
  const km_test::EnvOverride language("LANGUAGE", "de");
  const km_test::EnvOverride all("LC_ALL", std::nullopt);

  wxTranslations::Set(nullptr);
  app::ProgramStart::SetUpTranslations((install / "bin" / "koramanage").string());
  EXPECT_EQ(_("Initialization Failure").utf8_string(), "Initialisierungsfehler");
  EXPECT_EQ(_("Printer Groups...").utf8_string(), "Printer Groups...");  // not in the catalogue
  // A library's message: its fixed text translated, the names after it kept.
  EXPECT_EQ(app::TranslatedLibraryText("The printer group contains no printer.\n\nnight"),
            "Die Gruppe ist leer.\n\nnight");
  wxTranslations::Set(nullptr);
}

}  // namespace
}  // namespace app_test
