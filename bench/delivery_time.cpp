// Times one delivery through the printing library, for bench/delivery_vs_lp.sh.
//   delivery_time send FILE PRINTER        one raw job; prints the seconds taken
//   delivery_time deliver FILE DEST [SETTINGS]   DeliverJob to a printer or group item

#include <wx/init.h>

#include <chrono>
#include <cstdio>
#include <iostream>
#include <string>

#include "printing/console_delivery_reporter.h"
#include "printing/job_delivery.h"

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: %s send FILE PRINTER | deliver FILE DEST [SETTINGS]\n", argv[0]);
    return 2;
  }
  wxInitializer wx;
  const std::string mode = argv[1];
  const auto start = std::chrono::steady_clock::now();
  bool ok = false;
  if (mode == "send") {
    std::string error;
    ok = printing::SendFileToPrinter("[Benchmark]", argv[2], argv[3], &error);
    if (!ok) std::fprintf(stderr, "%s\n", error.c_str());
  } else {
    printing::ConsoleDeliveryReporter reporter(std::cerr, std::cerr);
    const auto outcome =
        printing::DeliverJob("[Benchmark]", argv[2], argv[3], reporter, argc > 4 ? argv[4] : "");
    ok = outcome.result == printing::DeliveryOutcome::Result::kDelivered;
  }
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
  std::printf("%.6f\n", took.count());
  return ok ? 0 : 1;
}
