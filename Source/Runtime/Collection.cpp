#include "Collection.h"

#include "RuntimeError.h"
#include "Text.h"

namespace rt {

void Collection::Add(std::string item, std::string_view key) {
    if (!key.empty()) {
        auto [it, inserted] = byFoldedKey_.try_emplace(LCase(key), items_.size());
        if (!inserted) Raise(err::KeyAlreadyExists);
    }
    items_.push_back({std::move(item), std::string(key)});
}

const std::string& Collection::Item(std::int32_t index) const {
    if (index < 1 || index > Count()) Raise(err::SubscriptOutOfRange);
    return items_[index - 1].item;
}

std::size_t Collection::IndexOfKey(std::string_view key) const {
    const auto it = byFoldedKey_.find(LCase(key));
    return it == byFoldedKey_.end() ? std::string::npos : it->second;
}

const std::string& Collection::Item(std::string_view key) const {
    const std::size_t i = IndexOfKey(key);
    if (i == std::string::npos) Raise(err::InvalidProcedureCall);
    return items_[i].item;
}

bool Collection::Exists(std::string_view key) const {
    return IndexOfKey(key) != std::string::npos;
}

void Collection::Remove(std::int32_t index) {
    if (index < 1 || index > Count()) Raise(err::SubscriptOutOfRange);
    items_.erase(items_.begin() + (index - 1));
    Reindex();
}

void Collection::Remove(std::string_view key) {
    const std::size_t i = IndexOfKey(key);
    if (i == std::string::npos) Raise(err::InvalidProcedureCall);
    items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(i));
    Reindex();
}

void Collection::Clear() noexcept {
    items_.clear();
    byFoldedKey_.clear();
}

void Collection::Reindex() {
    byFoldedKey_.clear();
    for (std::size_t i = 0; i < items_.size(); ++i)
        if (!items_[i].key.empty()) byFoldedKey_.emplace(LCase(items_[i].key), i);
}

}  // namespace rt
