// Placeholder until the dates unit lands.
#include "DateTime.h"
#include "RuntimeError.h"
namespace rt {
std::string ShortDateText(Date) { Raise(err::InvalidProcedureCall); }
Date DateFromText(std::string_view) { Raise(err::TypeMismatch); }
}  // namespace rt
