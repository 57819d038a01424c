#pragma once
// Test only: the offline INI engine written out directly, step by step with the classic text
// routines (character positions, InStr, Left, Mid), a case-insensitive collection as section
// cache, every write searching and rebuilding the whole text and re-cutting the section. Slow by
// design; it is the reference the engine's fast paths are compared with.
#include <string>
#include <string_view>

#include "Collection.h"
#include "RuntimeError.h"
#include "Text.h"
#include "mGlobSub.h"

namespace literal {

inline const std::string kCrLf = "\r\n";

class OfflineIni {
  public:
    std::string content;
    std::string fileText;  // what the file holds; an empty text reads it again

    void SetContent(std::string text) {
        content = std::move(text);
        Build();
    }

    std::string Load(std::string_view section, std::string_view key) {
        if (content.empty() || !built_) Build();
        std::string item;
        if (cache_.Exists(section)) item = cache_.Item(section);
        const std::string find = kCrLf + std::string(key) + "=";
        const std::int32_t at = rt::InStr(1, item, find, rt::Compare::Text);
        if (at == 0) return {};
        const std::string rest = rt::Mid(item, at + rt::Len(find));
        std::int32_t end = rt::InStr(rest, kCrLf);
        if (end == 0) end = rt::InStr(rest, "\r");
        if (end == 0) end = rt::InStr(rest, "\n");
        return end > 0 ? rt::Left(rest, end - 1) : rest;
    }

    void Save(std::string_view section, std::string_view key, std::string_view value) {
        SetKeyInText(section, key, value);
        RefreshSection(section);
    }

    void RemoveKey(std::string_view section, std::string_view key) {
        const std::string& t = content;
        if (t.empty()) return;
        const std::int32_t header =
            rt::InStr(1, t, "[" + std::string(section) + "]", rt::Compare::Text);
        if (header == 0) return;
        const std::string find = std::string(key) + "=";
        std::int32_t pos = header + 1;
        std::int32_t lineStart;
        for (;;) {
            lineStart = pos;
            const std::string line = NextLine(t, pos);
            if (rt::Left(line, rt::Len(find)) == find) break;
            // The walk goes on while the position is below the length.
            if (rt::Left(line, 1) == "[" || pos >= rt::Len(t)) return;
        }
        content = rt::Left(t, lineStart - 1) + rt::RTrim(rt::Mid(t, pos));
        RefreshSection(section);
    }

    bool RemoveSection(std::string_view section) {
        const std::string& t = content;
        const std::int32_t start = SectionStart(section);
        if (start == 0) return false;
        const std::int32_t next = rt::InStr(start + 3, t, kCrLf + "[");
        std::string result;
        if (next == 0)
            result = rt::Left(t, start - 1);
        else
            result = StripTrailingLineBreaks(rt::Left(t, start - 1)) + kCrLf + rt::Mid(t, next);
        content = StripTrailingLineBreaks(result);
        RefreshSection(section);
        return true;
    }

  private:
    static std::string NextLine(const std::string& text, std::int32_t& pos) {
        const std::int32_t at = rt::InStr(pos, text, kCrLf);
        std::string line;
        if (at > 0) {
            line = rt::Mid(text, pos, at - pos);
            pos = at + 2;
        } else {
            line = rt::Mid(text, pos);
            pos = rt::Len(text) + 1;
        }
        return line;
    }

    static std::string StripTrailingLineBreaks(std::string text) {
        while (rt::Right(text, 2) == kCrLf) text = rt::Left(text, rt::Len(text) - 2);
        return text;
    }

    std::int32_t SectionStart(std::string_view section) const {
        const std::string sect = "[" + std::string(section) + "]";
        if (rt::TextEquals(rt::Left(content, rt::Len(sect)), sect, rt::Compare::Text)) return 1;
        return rt::InStr(1, content, kCrLf + sect, rt::Compare::Text);
    }

    void Build() {
        cache_ = rt::Collection();
        built_ = true;
        if (content.empty()) content = fileText;
        const std::string& source = content;
        std::int32_t pos = 1;
        bool open = false;
        std::string name;
        std::int32_t start = 0;
        while (pos < rt::Len(source)) {
            const std::int32_t lineStart = pos;
            const std::string line = NextLine(source, pos);
            if (rt::Left(line, 1) != "[" || rt::Right(line, 1) != "]") continue;
            if (open) Add(rt::Mid(source, start, lineStart - 1 - start), name);
            open = true;
            name = rt::Mid(line, 2, rt::Len(line) - 2);
            start = lineStart;
        }
        if (open && start <= rt::Len(source)) Add(rt::Mid(source, start), name);
    }

    void Add(std::string item, std::string_view name) {
        try {
            cache_.Add(std::move(item), name);
        } catch (const rt::RuntimeError& e) {
            if (e.Number() != rt::err::KeyAlreadyExists) throw;
        }
    }

    void RefreshSection(std::string_view section) {
        if (!built_) return;
        if (cache_.Exists(section)) cache_.Remove(section);
        const std::string sect = "[" + std::string(section) + "]";
        Add(sect + kCrLf + TextBetween(content, sect + kCrLf, kCrLf + "["), section);
    }

    void SetKeyInText(std::string_view section, std::string_view key, std::string_view value) {
        std::string& t = content;
        const std::string sect = "[" + std::string(section) + "]";
        const std::string line = std::string(key) + "=" + std::string(value);
        const std::int32_t start = SectionStart(section);
        if (start > 0) {
            const std::int32_t k =
                rt::InStr(start, t, kCrLf + std::string(key) + "=", rt::Compare::Text);
            const std::int32_t n = rt::InStr(start + 3, t, kCrLf + "[");
            if (k > 0 && (k < n || n == 0)) {
                const std::int32_t e = rt::InStr(k + 3, t, kCrLf);
                if (e > 0)
                    t = rt::Left(t, k - 1) + kCrLf + line + rt::Mid(t, e);
                else
                    t = rt::Left(t, k - 1) + kCrLf + line;
            } else if (value.empty()) {
            } else if (n == 0) {
                if (rt::Right(t, 2) != kCrLf) t += kCrLf;
                t += line + kCrLf;
            } else if (rt::Mid(t, n - 2, 4) == kCrLf + kCrLf) {
                t = rt::Left(t, n - 1) + line + kCrLf + rt::Mid(t, n);
            } else {
                t = rt::Left(t, n + 1) + line + kCrLf + rt::Mid(t, n);
            }
            return;
        }
        if (value.empty()) return;
        if (!t.empty()) {
            if (rt::Right(t, 2) != kCrLf)
                t += kCrLf + kCrLf;
            else if (rt::Right(t, 4) != kCrLf + kCrLf)
                t += kCrLf;
        }
        t += sect + kCrLf + line + kCrLf;
    }

    rt::Collection cache_;
    bool built_ = false;
};

}  // namespace literal
