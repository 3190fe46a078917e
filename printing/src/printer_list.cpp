#include "printing/printer_list.h"

#include <algorithm>

#include "driver_kind.h"
#include "platform/ascii_case.h"
#include "print_server.h"
#include "printer_list_on_connection.h"

namespace printing {

namespace {

std::string& NoPrinterStorage() {
  static std::string text = kNoPrintersText;
  return text;
}

std::string Text(ipp_attribute_t* attr) {
  const char* value = ippGetString(attr, 0, nullptr);
  return value ? value : "";
}

}  // namespace

void SetNoPrinterText(const std::string& translated) {
  NoPrinterStorage() = translated;
}
const std::string& NoPrinterText() {
  return NoPrinterStorage();
}

bool EnumeratePrinters(PrintServerConnection& server, std::vector<PrinterRecord>& printers,
                       std::string* error) {
  printers.clear();
  static const char* const kAttributes[] = {"printer-name", "printer-make-and-model", "device-uri",
                                            "printer-info"};
  ipp_t* request = ippNewRequest(IPP_OP_CUPS_GET_PRINTERS);
  ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes",
                static_cast<int>(std::size(kAttributes)), nullptr, kAttributes);
  IppPtr response(cupsDoRequest(server.get(), request, "/"));  // frees the request
  if (server.timedOut()) {
    SetError(error, PrintServerConnection::NoAnswerMessage());
    return false;
  }
  const ipp_status_t status = cupsLastError();
  if (status == IPP_STATUS_ERROR_NOT_FOUND) return true;  // a server without printers
  if (!response || status > IPP_STATUS_OK_CONFLICTING) {
    SetError(error, std::string("cannot list the printers: ") + cupsLastErrorString());
    return false;
  }
  ipp_attribute_t* attr = ippFirstAttribute(response.get());
  while (attr) {
    while (attr && ippGetGroupTag(attr) != IPP_TAG_PRINTER) attr = ippNextAttribute(response.get());
    if (!attr) break;
    PrinterRecord record;
    for (; attr && ippGetGroupTag(attr) == IPP_TAG_PRINTER;
         attr = ippNextAttribute(response.get())) {
      const char* name = ippGetName(attr);
      if (!name) continue;
      const std::string key = name;
      if (key == "printer-name") {
        record.name = Text(attr);
      } else if (key == "printer-make-and-model") {
        record.makeAndModel = Text(attr);
      } else if (key == "device-uri") {
        record.deviceUri = Text(attr);
      } else if (key == "printer-info") {
        record.info = Text(attr);
      }
    }
    if (!record.name.empty()) printers.push_back(std::move(record));
  }
  return true;
}

bool EnumeratePrinters(std::vector<PrinterRecord>& printers, std::string* error) {
  PrintServerConnection server;
  if (!server.Open(error)) {
    printers.clear();
    return false;
  }
  return EnumeratePrinters(server, printers, error);
}

bool HasPostScriptName(const std::string& driverName) {
  const std::string upper = platform::AsciiUpper(driverName);
  return upper.find(" PS") != std::string::npos || upper.find("POSTSCRIPT") != std::string::npos;
}

bool IsPostScriptPrinter(PrintServerConnection& server, const PrinterRecord& printer) {
  switch (FetchDriverKind(server, printer.name)) {
    case DriverKind::kUnavailable:
      return false;
    case DriverKind::kPassThrough:
      return true;
    case DriverKind::kNoDriver:
      // A raw queue: only the administrator's description can say what sits behind it.
      return HasPostScriptName(printer.info);
    case DriverKind::kConverting:
      break;
  }
  return HasPostScriptName(printer.makeAndModel);
}

bool IsPostScriptPrinter(const PrinterRecord& printer, std::string* error) {
  PrintServerConnection server;
  if (!server.Open(error)) return false;
  const bool postscript = IsPostScriptPrinter(server, printer);
  if (server.timedOut()) SetError(error, PrintServerConnection::NoAnswerMessage());
  return postscript;
}

bool IsExcludedPrinter(const PrinterRecord& printer) {
  return printer.makeAndModel == "Adobe PDF Converter" || printer.deviceUri == "KORAConvert";
}

namespace {

// The accepted printers among the records, in order, at most `limit`; false when the server
// stopped answering on the way.
bool AcceptPrinters(PrintServerConnection& server, const std::vector<PrinterRecord>& printers,
                    std::size_t limit, std::vector<std::string>& names, std::string* error) {
  for (const PrinterRecord& printer : printers) {
    if (names.size() >= limit) break;
    // Both must hold; the cheap exclusion first spares a driver lookup.
    if (IsExcludedPrinter(printer)) continue;
    const bool postscript = IsPostScriptPrinter(server, printer);
    if (server.timedOut()) {
      // A partial list would pass for the whole one.
      names.clear();
      SetError(error, PrintServerConnection::NoAnswerMessage());
      return false;
    }
    if (postscript) names.push_back(printer.name);
  }
  return true;
}

}  // namespace

std::vector<std::string> ListPostScriptPrinters(std::string* error) {
  std::vector<std::string> names;
  PrintServerConnection server;
  std::vector<PrinterRecord> printers;
  if (server.Open(error) && EnumeratePrinters(server, printers, error)) {
    AcceptPrinters(server, printers, MAX_PRINTERS, names, error);
  }
  if (names.empty()) names.push_back(NoPrinterText());
  return names;
}

std::string NotListedReason(const std::string& name) {
  std::string error;
  PrintServerConnection server;
  std::vector<PrinterRecord> printers;
  if (!server.Open(&error) || !EnumeratePrinters(server, printers, &error)) return error;
  const auto found = std::find_if(printers.begin(), printers.end(), [&](const PrinterRecord& p) {
    return platform::EqualsIgnoringAsciiCase(p.name, name);
  });
  if (found == printers.end()) return "not an installed printer";
  if (IsExcludedPrinter(*found)) return "a converter pseudo-printer, never offered as a printer";
  const bool postscript = IsPostScriptPrinter(server, *found);
  if (server.timedOut()) return PrintServerConnection::NoAnswerMessage();
  if (!postscript) return "not a PostScript printer: its driver does not pass PostScript through";
  // Only the first MAX_PRINTERS PostScript printers are offered; fewer printers come before
  // this one in most cases, which spares asking about each of them.
  const auto position = static_cast<std::size_t>(found - printers.begin());
  if (position < MAX_PRINTERS) return {};
  std::vector<std::string> earlier;
  if (!AcceptPrinters(server, {printers.begin(), found}, MAX_PRINTERS, earlier, &error)) {
    return error;
  }
  if (earlier.size() >= MAX_PRINTERS) {
    return "beyond the first " + std::to_string(MAX_PRINTERS) +
           " PostScript printers, which are all that are offered";
  }
  return {};
}

bool IsInstalledPrinter(const std::string& name) {
  const std::vector<std::string> printers = ListPostScriptPrinters();
  return std::any_of(printers.begin(), printers.end(), [&](const std::string& p) {
    return platform::EqualsIgnoringAsciiCase(p, name);
  });
}

}  // namespace printing
