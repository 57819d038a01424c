#include "RuntimeError.h"

namespace rt {

std::string StandardDescription(int number) {
    switch (number) {
        case 3:
            return "Return without GoSub";
        case 5:
            return "Invalid procedure call or argument";
        case 6:
            return "Overflow";
        case 7:
            return "Out of memory";
        case 9:
            return "Subscript out of range";
        case 11:
            return "Division by zero";
        case 13:
            return "Type mismatch";
        case 48:
            return "Error in loading DLL";
        case 52:
            return "Bad file name or number";
        case 53:
            return "File not found";
        case 57:
            return "Device I/O error";
        case 61:
            return "Disk full";
        case 70:
            return "Permission denied";
        case 75:
            return "Path/File access error";
        case 76:
            return "Path not found";
        case 91:
            return "Object variable or With block variable not set";
        case 94:
            return "Invalid use of Null";
        case 340:
            return "Control array element doesn't exist";
        case 380:
            return "Invalid property value";
        case 424:
            return "Object required";
        case 429:
            return "ActiveX component can't create object";
        case 438:
            return "Object doesn't support this property or method";
        case 449:
            return "Argument not optional";
        case 453:
            return "Specified DLL function not found";
        case 457:
            return "This key is already associated with an element of this collection";
        default:
            return "Application-defined or object-defined error";
    }
}

RuntimeError::RuntimeError(std::int32_t number, std::string description, std::string source)
    : std::runtime_error(description),
      number_(number),
      description_(std::move(description)),
      source_(std::move(source)) {}

RuntimeError::~RuntimeError() = default;

void Raise(std::int32_t number, std::string source, std::string description) {
    if (description.empty()) description = StandardDescription(number);
    throw RuntimeError(number, std::move(description), std::move(source));
}

void RaiseControlArrayElementMissing(int index, std::string source) {
    Raise(err::ControlArrayElementMissing, std::move(source),
          "Control array element '" + std::to_string(index) + "' doesn't exist");
}

}  // namespace rt
