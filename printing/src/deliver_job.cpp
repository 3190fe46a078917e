#include <algorithm>

#include "platform/ascii_case.h"
#include "printing/destinations.h"
#include "printing/job_delivery.h"
#include "printing/printer_list.h"
#include "settings/printer_group_store.h"

namespace printing {

namespace {

std::string Join(const std::vector<std::string>& parts, const char* separator) {
  std::string text;
  for (const std::string& part : parts) {
    if (!text.empty()) text += separator;
    text += part;
  }
  return text;
}

std::string NotListedReasonOrDefault(const std::string& printer) {
  const std::string reason = NotListedReason(printer);
  return reason.empty() ? "not an installed PostScript printer" : reason;
}

}  // namespace

std::string SuccessText(const std::string& documentName) {
  return documentName + " completed successfully";
}

std::string EmptyGroupMessage(const std::string& groupName) {
  return "The printer group contains no printer.\n\n" + groupName;
}

std::string FailedPrintersMessage(const std::string& failureList) {
  return "KORAManage cannot send the job to the printer(s).\n\n" + failureList;
}

DeliveryOutcome DeliverJob(const std::string& documentName, const std::string& jobPath,
                           const std::string& destination, DeliveryReporter& reporter,
                           const std::string& settingsFile) {
  DeliveryOutcome outcome;
  if (destination == NoPrinterText()) return outcome;

  auto fail = [&](const std::string& printer, const std::string& reason) {
    outcome.failedPrinters.push_back(printer);
    reporter.PrinterFailed(printer, reason);
  };

  if (IsGroupDestination(destination)) {
    const std::string group = GroupNameOf(destination);
    const settings::GroupNameResult name = settings::CheckGroupNameSyntax(group);
    if (name.check != settings::GroupNameCheck::kAccepted &&
        name.check != settings::GroupNameCheck::kEmpty) {
      reporter.SetStatusText({});
      reporter.ShowError(settings::GroupNameMessage(name) + "\n\n" + group);
      outcome.result = DeliveryOutcome::Result::kBadGroupName;
      return outcome;
    }
    // A printer named twice, in any letter case, gets the job once.
    const std::vector<std::string> members =
        settings::WithoutRepeats(ReadPrinterGroup(group, settingsFile));
    if (members.empty()) {
      reporter.SetStatusText({});
      reporter.ShowError(EmptyGroupMessage(group));
      outcome.result = DeliveryOutcome::Result::kEmptyGroup;
      return outcome;
    }
    std::string listError;
    const std::vector<std::string> printers = ListPostScriptPrinters(&listError);
    for (const std::string& member : members) {
      const bool listed = std::any_of(printers.begin(), printers.end(), [&](const std::string& p) {
        return platform::EqualsIgnoringAsciiCase(p, member);
      });
      if (!listed) {
        fail(member, listError.empty() ? NotListedReasonOrDefault(member) : listError);
        continue;
      }
      std::string reason;
      if (!SendFileToPrinter(documentName, jobPath, member, &reason)) fail(member, reason);
    }
  } else if (const std::string notListed = NotListedReason(destination); !notListed.empty()) {
    // Only what the printer list offers is a destination, as for the members of a group.
    fail(destination, notListed);
  } else {
    std::string reason;
    if (!SendFileToPrinter(documentName, jobPath, destination, &reason)) {
      fail(destination, reason);
    }
  }

  if (outcome.failedPrinters.empty()) {
    reporter.Beep();
    reporter.SetStatusText(SuccessText(documentName));
    outcome.result = DeliveryOutcome::Result::kDelivered;
  } else {
    reporter.SetStatusText({});
    reporter.ShowError(FailedPrintersMessage(Join(outcome.failedPrinters, "\n")));
    outcome.result = DeliveryOutcome::Result::kFailed;
  }
  return outcome;
}

}  // namespace printing
