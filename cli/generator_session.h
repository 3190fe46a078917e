#pragma once
// Owning handles for the generator's C records and its start and end.

#include <memory>
#include <string>

#include "trm.h"

namespace kmjob {

struct FosDeleter {
  void operator()(trmFOS* fos) const { trmFreeFOS(fos); }
};
struct VosDeleter {
  void operator()(trmVOS* vos) const { trmFreeVOS(vos); }
};
struct PpsDeleter {
  void operator()(trmPPS* pps) const { trmFreePPS(pps); }
};
struct IosDeleter {
  void operator()(trmIOS* ios) const { trmFreeIOS(ios); }
};
using FosHandle = std::unique_ptr<trmFOS, FosDeleter>;
using VosHandle = std::unique_ptr<trmVOS, VosDeleter>;
using PpsHandle = std::unique_ptr<trmPPS, PpsDeleter>;
using IosHandle = std::unique_ptr<trmIOS, IosDeleter>;

class GeneratorSession {
 public:
  GeneratorSession() : status_(trmInitialize()) {}
  ~GeneratorSession() {
    if (status_ == TRM_OK) trmFinished();
  }
  GeneratorSession(const GeneratorSession&) = delete;
  GeneratorSession& operator=(const GeneratorSession&) = delete;
  int status() const { return status_; }

 private:
  int status_;
};

// The generator's last message, or a fallback when it has none.
inline std::string LastGeneratorMessage() {
  const char* message = trmGetLastMessage();
  return message && *message ? message : "the job generator reported no message";
}

}  // namespace kmjob
