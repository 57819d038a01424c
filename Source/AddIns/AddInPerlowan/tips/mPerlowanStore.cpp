#include "mPerlowanStore.h"

#include "Text.h"

std::string StoreKey(std::string_view ptId) {
    std::string key;
    key.reserve(ptId.size());
    for (std::size_t i = 0; i < ptId.size(); ++i) {
        switch (const char c = ptId[i]) {
            case '&':
                key += "&#38;";
                break;
            case '=':
                key += "&#61;";
                break;
            case '\r':
                key += "&#13;";
                break;
            case '\n':
                key += "&#10;";
                break;
            case '[':
                key += i == 0 ? "&#91;" : "[";
                break;
            default:
                key += c;
        }
    }
    return key;
}

std::string StatusPrefix(std::string_view ptStored) {
    if (ptStored.empty() || ptStored.front() < '0' || ptStored.front() > '9')
        return std::string(1, kTippNotRead);
    return std::string(1, ptStored.front());
}

bool IsKnownTipp(std::string_view ptKnown, std::string_view ptId) {
    const std::string known = ";" + std::string(ptKnown) + ";";
    const std::string id = ";" + std::string(ptId) + ";";
    return rt::InStr(known, id, rt::Compare::Text) != 0;
}

std::string WithKnownTipp(std::string ptKnown, std::string_view ptId) {
    if (!IsKnownTipp(ptKnown, ptId)) ptKnown.append(ptId).append(";");
    return ptKnown;
}
