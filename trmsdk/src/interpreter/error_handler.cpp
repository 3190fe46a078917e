#include "interpreter/interpreter_texts.h"

namespace trm {

// Shows on the page what went wrong and where, since a printer's own messages are rarely seen
// by whoever sent the job. Every value is converted through a bounded text, so one long name
// or string cannot make the handler itself fail.
std::string_view ErrorHandlerText() {
  static constexpr std::string_view kText =
      "%!PS\n"
      "%%Title: PostScript error handler\n"
      "%%Version: 1.0\n"
      "%%EndComment\n"
      "/ERRBUF 50 string def\n"
      "/ERRTXT { dup type /stringtype eq { dup length 50 gt { 0 50 getinterval } if }\n"
      "  { mark exch { ERRBUF cvs } stopped { cleartomark (?) } { exch pop } ifelse } ifelse\n"
      "} bind def\n"
      "errordict /handleerror {\n"
      "  erasepage initgraphics\n"
      "  /Courier findfont 14 scalefont setfont\n"
      "  $error begin\n"
      "  30 740 moveto (Error: ) show errorname ERRTXT show\n"
      "  ( in ) show /command load ERRTXT show\n"
      "  /ostack where { pop ostack type /arraytype eq } { false } ifelse {\n"
      "    30 710 moveto (Operand stack:) show\n"
      "    /ERRY 710 def\n"
      "    ostack {\n"
      "      /ERRY ERRY 20 sub def\n"
      "      30 ERRY moveto dup type ERRTXT show\n"
      "      200 ERRY moveto ERRTXT show\n"
      "    } forall\n"
      "  } if\n"
      "  showpage\n"
      "  /newerror false def\n"
      "  end\n"
      "  flush clear\n"
      "} bind put\n";
  return kText;
}

}  // namespace trm
