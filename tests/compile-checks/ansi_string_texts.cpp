// Never linked: CTest compiles it once per CHECK, each a way of handing text to the library.
// CHECK 0 holds every accepted way and must compile; each other CHECK must fail to compile, for
// the reason its test names.
#include <string>

#include "morvanta/platform/core/Params.h"
#include "morvanta/platform/core/Text.h"
#include "morvanta/platform/framework/DataSet.h"

using namespace morvanta;

void HandTextOver([[maybe_unused]] TField& field, [[maybe_unused]] TParam& param,
                  [[maybe_unused]] const std::string& systemText) {
#if CHECK == 0
  AnsiString text = "Açúcar"_a;   // the source's UTF-8, converted by the literal operator
  AnsiString named(u8"Açúcar");   // a UTF-8 literal, converted
  text = FromSystem(systemText);  // the system's text, converted
  text = AnsiString::FromUtf8(systemText);
  AnsiString bytes(systemText);  // bytes stated to be code page 1252 already
  AnsiString ascii("sugar");     // plain ASCII means the same in both
  text = "sugar";
  text += "!";
  field.SetAsString("sugar");
  field.SetAsString(named);
  param.SetAsString("sugar");
  param.SetAsString(bytes + ascii);
#elif CHECK == 1
  AnsiString text;
  text = "Açúcar";
#elif CHECK == 2
  AnsiString text("Açúcar");
#elif CHECK == 3
  field.SetAsString("Açúcar");
#elif CHECK == 4
  param.SetAsString("Açúcar");
#elif CHECK == 5
  AnsiString text = systemText;
#elif CHECK == 6
  field.SetAsString(systemText);
#elif CHECK == 7
  AnsiString text = "A" + systemText;
  field.SetAsString(text);
#endif
}
