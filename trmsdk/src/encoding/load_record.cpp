#include "encoding/load_record.h"

#include "encoding/ascii85.h"
#include "encoding/dos_eps.h"
#include "encoding/hex.h"
#include "stream/job_text.h"
#include "trm.h"

namespace trm {
namespace {

constexpr std::size_t kLoadRecordLineBytes = 512;

}  // namespace

int WriteDiskLoadRecord(const JobContext& context, std::span<const unsigned char> data,
                        std::string_view printerName, std::string_view parameters, bool hex) {
  auto stripped = StripDosEps(data);
  std::span<const unsigned char> payload =
      stripped ? std::span<const unsigned char>(*stripped) : data;
  long long count = hex ? static_cast<long long>(payload.size()) : 0;
  int code = context.Section(LoadFileCommand(count, printerName, parameters));
  if (code != TRM_OK) return code;
  std::string encoded = hex ? EncodeHex(payload, 0, kLoadRecordLineBytes)
                            : EncodeAscii85(payload, 0, kLoadRecordLineBytes);
  return context.Section(encoded);
}

}  // namespace trm
