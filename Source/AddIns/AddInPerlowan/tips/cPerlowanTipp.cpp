#include "cPerlowanTipp.h"

#include <vector>

#include "CodePage.h"
#include "RuntimeError.h"
#include "mGlobSub.h"

namespace {

constexpr std::size_t kMaxSplitChars = 32767;

}  // namespace

std::string cPerlowanTipp::ToStorage() const {
    std::string storage;
    for (const Member member : kStorageOrder) {
        std::string value = Replace(this->*member, "|", "&#124;");
        value = Replace(value, "\r\n", "<br>");
        value = Replace(value, "\r", "<br>");
        value = Replace(value, "\n", "<br>");
        storage.append(value).append("|");
    }
    return storage;
}

void cPerlowanTipp::FromStorage(std::string_view ptSerialized) {
    if (ptSerialized.size() > kMaxSplitChars && rt::CharCount(ptSerialized) > kMaxSplitChars)
        rt::Raise(rt::err::SubscriptOutOfRange, "cPerlowanTipp");
    std::vector<std::string> parts;
    Split(ptSerialized, "|", parts);
    parts.resize(kStorageOrder.size());
    for (std::size_t i = 0; i < kStorageOrder.size(); ++i)
        this->*kStorageOrder[i] = Replace(Replace(parts[i], "&#124;", "|"), "<br>", "\r\n");
}
