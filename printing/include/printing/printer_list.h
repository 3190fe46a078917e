#pragma once
// Which printers of the print server the program offers: those whose driver passes PostScript
// through, minus a few kinds of pseudo-printers.

#include <cstddef>
#include <string>
#include <vector>

namespace printing {

// At most this many printers are listed.
inline constexpr std::size_t MAX_PRINTERS = 1024;

// The reserved entry of an empty printer list. A front end that translates it sets the
// translated text once at start; it is never a real printer.
inline constexpr char kNoPrintersText[] = "[No Printers Available]";
void SetNoPrinterText(const std::string& translated);
const std::string& NoPrinterText();

// One printer as the print server enumerates it.
struct PrinterRecord {
  std::string name;          // queue name
  std::string makeAndModel;  // the driver name (printer-make-and-model)
  std::string deviceUri;     // the port name
  std::string info;          // the administrator's description (printer-info)
};

// The printers of the user's default print server, in its order. False (with a reason in
// *error when given) when the server cannot be reached or asked.
bool EnumeratePrinters(std::vector<PrinterRecord>& printers, std::string* error = nullptr);

// True when the queue passes PostScript through: it has a PPD without conversion filters;
// failing that, its driver name (the description for a queue without PPD) upper-cased holds
// " PS" or "POSTSCRIPT". A queue whose details cannot be had is not a PostScript printer; when
// that is because the server cannot be reached, *error (when given) says so.
bool IsPostScriptPrinter(const PrinterRecord& printer, std::string* error = nullptr);

// The name test alone, on an already upper-cased or mixed-case driver name.
bool HasPostScriptName(const std::string& driverName);

// Pseudo-printers never listed: driver name exactly "Adobe PDF Converter", port name exactly
// "KORAConvert" (letter case counts).
bool IsExcludedPrinter(const PrinterRecord& printer);

// The PostScript printers in enumeration order, at most MAX_PRINTERS; never empty: the single
// entry NoPrinterText() when there is none (or the server cannot be reached; *error then says
// why when given).
std::vector<std::string> ListPostScriptPrinters(std::string* error = nullptr);

// Why a name is not an entry of the printer list (letter case ignored): not installed, a
// pseudo-printer, not PostScript, beyond MAX_PRINTERS, or the server cannot be reached.
// Empty when it is an entry.
std::string NotListedReason(const std::string& name);

// True when the name equals an entry of the printer list, letter case ignored. The reserved
// no-printer entry counts, as it does in the list.
bool IsInstalledPrinter(const std::string& name);

}  // namespace printing
