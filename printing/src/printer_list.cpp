#include "printing/printer_list.h"

#include <algorithm>
#include <cctype>

#include "print_server.h"
#include "printer_details.h"

namespace printing {

namespace {

std::string& NoPrinterStorage() {
  static std::string text = kNoPrintersText;
  return text;
}

std::string Upper(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return text;
}

bool EqualIgnoringCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() && Upper(a) == Upper(b);
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
  const std::string upper = Upper(driverName);
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

bool IsPostScriptPrinter(const PrinterRecord& printer) {
  PrintServerConnection server;
  return server.Open(nullptr) && IsPostScriptPrinter(server, printer);
}

bool IsExcludedPrinter(const PrinterRecord& printer) {
  return printer.makeAndModel == "Adobe PDF Converter" || printer.deviceUri == "KORAConvert";
}

std::vector<std::string> ListPostScriptPrinters(std::string* error) {
  std::vector<std::string> names;
  PrintServerConnection server;
  std::vector<PrinterRecord> printers;
  if (server.Open(error) && EnumeratePrinters(server, printers, error)) {
    for (const PrinterRecord& printer : printers) {
      if (names.size() >= MAX_PRINTERS) break;
      // Both must hold; the cheap exclusion first spares a driver lookup.
      if (IsExcludedPrinter(printer) || !IsPostScriptPrinter(server, printer)) continue;
      names.push_back(printer.name);
    }
  }
  if (names.empty()) names.push_back(NoPrinterText());
  return names;
}

bool IsInstalledPrinter(const std::string& name) {
  const std::vector<std::string> printers = ListPostScriptPrinters();
  return std::any_of(printers.begin(), printers.end(),
                     [&](const std::string& p) { return EqualIgnoringCase(p, name); });
}

}  // namespace printing
