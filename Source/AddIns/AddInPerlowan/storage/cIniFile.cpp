#include "cIniFile.h"

#include <utility>

#include "CodePage.h"
#include "Debug.h"
#include "Files.h"
#include "IniDocument.h"
#include "IniSectionCache.h"
#include "IniText.h"
#include "ProfileStrings.h"
#include "RuntimeError.h"
#include "Text.h"
#include "mGlobSub.h"

namespace {

// The uncached read's buffer: the largest count a 16-bit integer holds, plus the terminator.
constexpr std::int32_t kProfileBufferSize = 32768;

std::shared_ptr<const std::string> Share(std::string text) {
    return std::make_shared<const std::string>(std::move(text));
}

}  // namespace

cIniFile::cIniFile() : rawText_(Share({})), content_(Share({})) {}

cIniFile::~cIniFile() = default;

// ---- file routines ----

bool cIniFile::FileExists() const {
    return FileLength(iniFile_) >= 0;
}

std::int64_t cIniFile::FileTime() const {
    return platform::Files().ModifiedTime(iniFile_).value_or(0);
}

// A path that is there but whose bytes cannot be read (no permission, a folder): the engine
// never writes or deletes it, since it cannot know what it would lose.
bool cIniFile::FileUnreadable() const {
    return !iniFile_.empty() && platform::Files().ModifiedTime(iniFile_).has_value() &&
           !FileExists();
}

// The engine reads a file the way the classic binary open does, and that open creates a missing
// file, empty. RemoveKey, RemoveSection, RebuildIniStructure and WriteAsUnicode read without
// looking first and so leave an empty file behind; Load, Save and the cache build look first and
// never create one.
void cIniFile::CreateMissingFileAsTheBinaryOpenDoes() {
    auto& files = platform::Files();
    if (files.ModifiedTime(iniFile_)) return;
    files.WriteAtomic(iniFile_, {}, true);
}

std::string cIniFile::ReadFileText() {
    try {
        CreateMissingFileAsTheBinaryOpenDoes();
        return platform::Files().ReadAll(iniFile_);
    } catch (const rt::RuntimeError& e) {
        PERLOWAN_DEBUG("ini", "read of " + iniFile_ + " failed, read as empty: " + e.Description());
        return {};
    }
}

void cIniFile::WriteFileText(std::string_view bytes) {
    if (FileUnreadable()) {
        PERLOWAN_DEBUG("ini", "not saved: " + iniFile_ + " is there but cannot be read");
        return;
    }
    try {
        platform::Files().WriteAtomic(iniFile_, bytes, true);
    } catch (const rt::RuntimeError& e) {
        // A failed write leaves the old file as it was; the caller is not told.
        PERLOWAN_DEBUG("ini", "save of " + iniFile_ + " failed: " + e.Description() + " (" +
                                  std::to_string(e.Number()) + ")");
    }
}

void cIniFile::DeleteFile() {
    if (FileUnreadable()) {
        PERLOWAN_DEBUG("ini", "not deleted: " + iniFile_ + " is there but cannot be read");
        return;
    }
    const std::int16_t error = DeleteFileQuietly(iniFile_);
    // A file that is not there needs no deleting.
    if (error != 0 && error != rt::err::FileNotFound)
        PERLOWAN_DEBUG("ini",
                       "delete of " + iniFile_ + " failed with error " + std::to_string(error));
}

std::string cIniFile::DecodeFile(const std::string& bytes) const {
    if (isUnicode_) {
        if (auto text = ini::DecodeUnicodeFile(bytes)) return std::move(*text);
    }
    return rt::Win1252ToUtf8(bytes);
}

// ---- IniContent ----

std::shared_ptr<const std::string> cIniFile::Content() const {
    if (!contentCurrent_) {
        content_ = Share(document_ ? document_->Text()
                                   : rt::Win1252ToUtf8(rawBytes_ ? *rawBytes_ : std::string()));
        contentCurrent_ = true;
    }
    return content_;
}

bool cIniFile::ContentEmpty() const {
    if (contentCurrent_) return content_->empty();
    return document_ ? document_->Empty() : !rawBytes_ || rawBytes_->empty();
}

void cIniFile::SetContent(std::string text) {
    content_ = Share(std::move(text));
    contentCurrent_ = true;
    document_.reset();
    documentFailed_ = false;
}

std::string cIniFile::IniContent() const {
    return *Content();
}

void cIniFile::IniContent(std::string ptIniContent) {
    SetContent(std::move(ptIniContent));
    BuildSectionCache();
}

// ---- cache ----

void cIniFile::BuildSectionCache() {
    std::string list;
    BuildSectionCache(list);
}

void cIniFile::BuildSectionCache(std::string& sectionList) {
    sectionCache_ = std::make_unique<ini::SectionCache>();
    std::shared_ptr<const std::string> source;
    if (offline_ && !ContentEmpty()) {
        source = Content();
    } else {
        const bool exists = FileExists();
        auto bytes = Share(exists ? ReadFileText() : std::string());
        rawTextFile_ = exists ? iniFile_ : std::string();
        document_.reset();
        documentFailed_ = false;
        if (!isUnicode_ && offline_) {
            // Offline, an 8-bit file is kept as its bytes; text is made of them when read.
            if (auto doc = ini::IniDocument::Parse(bytes, true)) {
                document_ = std::move(doc);
                contentCurrent_ = false;
                rawText_.reset();
                rawBytes_ = std::move(bytes);
                CacheFromDocument(sectionList);
                cacheTimestamp_ = exists ? FileTime() : 0;
                return;
            }
            documentFailed_ = true;  // the text as text would fail the same way
        }
        if (!isUnicode_ && !offline_) {
            // The cache reads the file's bytes; text is made of them when asked for.
            rawText_.reset();
            rawBytes_ = bytes;
            contentCurrent_ = false;
            std::string list;
            for (const auto& span : ini::SplitSections(*bytes, &list)) {
                sectionCache_->AddText(
                    rt::Win1252ToUtf8(span.name), bytes,
                    std::string_view(*bytes).substr(span.headerStart, span.end - span.headerStart),
                    true);
            }
            sectionList.append(rt::Win1252ToUtf8(list));
            cacheTimestamp_ = exists ? FileTime() : 0;
            return;
        }
        rawText_ = Share(rt::Win1252ToUtf8(*bytes));
        if (!isUnicode_) {
            source = rawText_;
        } else {
            std::string decoded = DecodeFile(*bytes);
            decoded.resize(ini::CutTrailingNuls(decoded).size());
            unicodeText_ = decoded;
            unicodeTextFile_ = iniFile_;
            source = Share(std::move(decoded));
        }
        content_ = source;
        contentCurrent_ = true;
    }
    CacheFromText(source, sectionList);
    cacheTimestamp_ = FileExists() ? FileTime() : 0;
}

const std::string& cIniFile::RawText() {
    if (!rawText_) rawText_ = Share(rt::Win1252ToUtf8(rawBytes_ ? *rawBytes_ : std::string()));
    return *rawText_;
}

void cIniFile::CacheFromDocument(std::string& sectionList) {
    std::size_t lastHeader = 0;
    for (std::size_t r = 0; r < document_->RegionCount(); ++r)
        if (document_->HasHeader(r)) lastHeader = r;
    for (std::size_t r = 0; r < document_->RegionCount(); ++r) {
        if (!document_->HasHeader(r)) continue;
        const std::string_view name = document_->HeaderName(r);
        if (r != lastHeader) sectionList.append(name).append(";");
        sectionCache_->AddRegion(name, std::string(document_->Lines(r).front()), document_, r,
                                 r != lastHeader);
    }
}

void cIniFile::CacheFromText(const std::shared_ptr<const std::string>& text,
                             std::string& sectionList) {
    // Offline, the text is kept as a document from here on, and its sections are its regions.
    if (offline_ && !document_ && !documentFailed_) {
        document_ = ini::IniDocument::Parse(text);
        documentFailed_ = !document_;
    }
    if (offline_ && document_ && contentCurrent_ && content_ == text) {
        CacheFromDocument(sectionList);
        return;
    }
    for (const auto& span : ini::SplitSections(*text, &sectionList)) {
        sectionCache_->AddText(
            span.name, text,
            std::string_view(*text).substr(span.headerStart, span.end - span.headerStart));
    }
}

void cIniFile::RefreshSection(std::string_view section, const std::string& text) {
    if (!sectionCache_) return;
    sectionCache_->Remove(section);
    const auto item = Share(ini::SectionTextAfterWrite(text, section));
    sectionCache_->AddText(section, item, *item);
}

// The section's text after an offline write, as the text between its header and the next one.
void cIniFile::RefreshSectionFromDocument(std::string_view section) {
    if (!sectionCache_) return;
    const auto region = document_->RegionOf(section);
    if (region && document_->Lines(*region).size() >= 2) {
        sectionCache_->ReplaceWithRegion(section, ini::Header(section), document_, *region);
        return;
    }
    sectionCache_->Remove(section);
    const std::string header = ini::Header(section);
    std::string item = header + "\r\n";
    if (region && *region + 1 < document_->RegionCount()) {
        // A header right before the next one: the text runs on through that next section.
        const auto& lines = document_->Lines(*region + 1);
        for (std::size_t i = 0; i < lines.size(); ++i) {
            if (i) item += "\r\n";
            document_->AppendLineText(item, lines[i]);
        }
    }
    const auto shared = Share(std::move(item));
    sectionCache_->AddText(section, shared, *shared);
}

std::string cIniFile::GetAllSections() {
    const bool due = (!iniFile_.empty() && (cacheIniFile_ || isUnicode_)) || offline_;
    if (!due) return {};
    if (FileExists() && FileTime() == cacheTimestamp_) return {};
    std::string list;
    BuildSectionCache(list);
    return list;
}

// ---- reading ----

std::string cIniFile::Load(std::string_view ptSection, std::string_view ptKey,
                           std::string_view ptDefaultValue) {
    if (iniFile_.empty() && !offline_) return std::string(ptDefaultValue);
    std::string value;
    if (!cacheIniFile_ && !isUnicode_ && !offline_) {
        if (!FileExists()) return std::string(ptDefaultValue);
        std::string buffer;
        const std::int32_t count = platform::Profile().GetPrivateProfileStringA(
            ptSection, ptKey, "", buffer, kProfileBufferSize, iniFile_);
        if (count >= 1) value = rt::Left(buffer, count);
    } else {
        if (offline_) {
            if (ContentEmpty() || !sectionCache_) BuildSectionCache();
        } else if (cacheTimestamp_ == 0 || !useCacheDirectly_) {
            // One look at the time stamp settles the common case: the file the cache was built
            // from.
            const auto time = platform::Files().ModifiedTime(iniFile_);
            const bool unchanged = cacheTimestamp_ != 0 && time == cacheTimestamp_;
            if (!unchanged && (!FileExists() || FileTime() != cacheTimestamp_)) BuildSectionCache();
        }
        if (sectionCache_) value = sectionCache_->Value(ptSection, ptKey);
    }
    return value.empty() ? std::string(ptDefaultValue) : value;
}

// ---- writing ----

void cIniFile::Save(std::string_view ptSection, std::string_view ptKey,
                    const rt::Variant& pvValue) {
    if (iniFile_.empty() && !offline_)
        rt::Raise(rt::err::FileNotFound, "cIniFile", "File not found");
    std::string value;
    try {
        value = pvValue.ToString();
    } catch (const rt::RuntimeError& e) {
        PERLOWAN_DEBUG("ini", "not saved: the value for " + std::string(ptSection) + "/" +
                                  std::string(ptKey) + " is no text: " + e.Description());
        return;
    }
    if (offline_) {
        SaveOffline(ptSection, ptKey, value);
        return;
    }
    if (isUnicode_) {
        if (cacheIniFile_ && FileExists() && FileTime() != cacheTimestamp_) BuildSectionCache();
        LoadUnicodeTextIfMissing();
        ini::SetKeyInText(unicodeText_, ptSection, ptKey, value);
        if (useCacheDirectly_) RefreshSection(ptSection, unicodeText_);
        WriteAsUnicode(false);
    } else if (cacheIniFile_) {
        if ((cacheTimestamp_ == 0 || !useCacheDirectly_) && FileExists() &&
            FileTime() != cacheTimestamp_)
            BuildSectionCache();
        if (SaveStartsFromEmptyText()) rawText_ = Share({});
        std::string text = RawText();
        ini::SetKeyInText(text, ptSection, ptKey, value);
        rawText_ = Share(std::move(text));
        if (useCacheDirectly_) RefreshSection(ptSection, *rawText_);
        if (!saveToRam_) {
            if (rawText_->empty())
                DeleteFile();
            else
                WriteFileText(rt::Utf8ToWin1252(ini::StripTrailingLineBreaks(*rawText_)));
        }
    } else if (!FileUnreadable()) {
        platform::Profile().WritePrivateProfileStringA(ptSection, ptKey, value, iniFile_);
    }
    if (!useCacheDirectly_) cacheTimestamp_ = 0;
}

// Data protection: a cached Save into a file that is not there starts from an empty text, not
// from the text last read, which may be another file's (IniFile was switched since): that
// would copy the other file's settings into the new one.
bool cIniFile::SaveStartsFromEmptyText() const {
    return !FileExists() && rawTextFile_ != iniFile_;
}

void cIniFile::SaveOffline(std::string_view section, std::string_view key,
                           const std::string& value) {
    // Nothing read yet: read the file first, so that the text written later keeps its content.
    if (!sectionCache_ && ContentEmpty() && !iniFile_.empty() && FileExists()) BuildSectionCache();
    const bool covered = ini::IniDocument::Covers(section, key, value);
    if (covered && !document_ && !documentFailed_) {
        document_ = ini::IniDocument::Parse(Content());
        documentFailed_ = !document_;
    }
    if (covered && document_) {
        document_->SetKeyInText(section, key, value);
        contentCurrent_ = false;
        RefreshSectionFromDocument(section);
        return;
    }
    std::string text = *Content();
    ini::SetKeyInText(text, section, key, value);
    const bool failed = documentFailed_;
    SetContent(std::move(text));
    documentFailed_ = failed;
    RefreshSection(section, *content_);
}

void cIniFile::SaveOfflineToFile() {
    if (ContentEmpty()) {
        DeleteFile();
        return;
    }
    // The file is replaced in one step, so a shorter text needs no deletion first.
    if (!contentCurrent_ && document_)
        WriteFileText(document_->AnsiBytesWithoutTrailingBreaks());
    else if (!contentCurrent_)
        WriteFileText(ini::StripTrailingLineBreaks(*rawBytes_));
    else
        WriteFileText(rt::Utf8ToWin1252(ini::StripTrailingLineBreaks(*content_)));
}

void cIniFile::LoadUnicodeTextIfMissing() {
    if (unicodeTextFile_ == iniFile_) return;
    const bool wasUnicode = isUnicode_;
    isUnicode_ = true;
    BuildSectionCache();
    isUnicode_ = wasUnicode;
    unicodeTextFile_ = iniFile_;
}

void cIniFile::WriteAsUnicode(bool pbReadCurrentFileContent) {
    if (pbReadCurrentFileContent) {
        isUnicode_ = true;
        BuildSectionCache();
        unicodeTextFile_ = iniFile_;
    } else {
        LoadUnicodeTextIfMissing();
    }
    WriteFileText(ini::EncodeUnicodeFile(unicodeText_));
}

void cIniFile::WriteAsAnsi() {
    if (unicodeText_.empty() || unicodeTextFile_ != iniFile_) {
        BuildSectionCache();
        // An 8-bit file has no UnicodeText of its own: its text is written back as it is.
        if (!isUnicode_) unicodeText_ = RawText();
        unicodeTextFile_ = iniFile_;
    }
    WriteFileText(rt::Utf8ToWin1252(unicodeText_));
}

// ---- removing ----

void cIniFile::RemoveKey(std::string_view ptSection, std::string_view ptKey) {
    std::string text;
    if (offline_) {
        text = *Content();
    } else if (iniFile_.empty()) {
        return;
    } else {
        CheckUnicodeFile();
        text = DecodeFile(ReadFileText());
    }
    if (text.empty()) return;
    const std::size_t header = rt::FindText(text, ini::Header(ptSection));
    if (header == ini::npos) return;
    const std::string find = std::string(ptKey) + "=";
    std::size_t pos = header + 1;
    std::size_t lineStart;
    for (;;) {
        lineStart = pos;
        const std::string_view line = ini::NextLine(text, pos);
        if (line.substr(0, find.size()) == find) break;
        if ((!line.empty() && line.front() == '[') || !ini::WalkContinues(text, pos)) return;
    }
    std::string result = text.substr(0, lineStart) + rt::RTrim(std::string_view(text).substr(pos));
    if (offline_) {
        const bool failed = documentFailed_;
        SetContent(std::move(result));
        documentFailed_ = failed;
        RefreshSection(ptSection, *content_);
    } else if (isUnicode_) {
        unicodeText_ = std::move(result);
        unicodeTextFile_ = iniFile_;
        WriteAsUnicode(false);
        cacheTimestamp_ = 0;
    } else {
        WriteFileText(rt::Utf8ToWin1252(result));
        cacheTimestamp_ = 0;
    }
}

bool cIniFile::RemoveSection(std::string_view ptSection) {
    std::string text;
    if (offline_) {
        text = *Content();
    } else if (!iniFile_.empty()) {
        CheckUnicodeFile();
        if (isUnicode_) {
            LoadUnicodeTextIfMissing();
            text = unicodeText_;
        } else {
            text = rt::Win1252ToUtf8(ReadFileText());
        }
    }
    const std::string sect = ini::Header(ptSection);
    const std::size_t start = rt::StartsWithText(text, sect) ? 0 : ini::FindAfterCrLf(text, sect);
    if (start == ini::npos) return false;
    const std::size_t next = text.find("\r\n[", start + 3);
    std::string result;
    if (next == ini::npos)
        result = text.substr(0, start);
    else
        result = std::string(ini::StripTrailingLineBreaks(std::string_view(text).substr(0, start)))
                     .append("\r\n")
                     .append(std::string_view(text).substr(next));
    result.resize(ini::StripTrailingLineBreaks(result).size());
    if (offline_) {
        const bool failed = documentFailed_;
        SetContent(std::move(result));
        documentFailed_ = failed;
        RefreshSection(ptSection, *content_);
    } else if (!iniFile_.empty()) {
        if (isUnicode_) {
            unicodeText_ = std::move(result);
            unicodeTextFile_ = iniFile_;
            WriteAsUnicode(false);
        } else {
            WriteFileText(rt::Utf8ToWin1252(result));
        }
        cacheTimestamp_ = 0;
    }
    return true;
}

bool cIniFile::RebuildIniStructure() {
    if (offline_) return false;
    CheckUnicodeFile();
    if (FileUnreadable()) return false;
    const std::string text = DecodeFile(ReadFileText());
    std::string output;
    std::vector<std::string> headersSeen;
    std::vector<std::string> keysSeen;
    bool retained = false;
    const auto seen = [](const std::vector<std::string>& list, std::string_view name) {
        for (const auto& s : list)
            if (rt::TextEquals(s, name)) return true;
        return false;
    };
    for (std::size_t pos = 0; ini::WalkContinues(text, pos);) {
        std::string line = rt::RTrim(ini::NextLine(text, pos));
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty() && line.front() == '[' && line.back() == ']') {
            if (seen(headersSeen, line)) {
                retained = false;
                continue;
            }
            headersSeen.push_back(line);
            if (!output.empty()) output.append("\r\n");
            output.append(line).append("\r\n");
            retained = true;
            keysSeen.clear();
            continue;
        }
        const std::size_t eq = line.find('=');
        if (!retained || eq == std::string::npos) continue;
        const std::string_view key = std::string_view(line).substr(0, eq);
        if (seen(keysSeen, key)) continue;
        keysSeen.emplace_back(key);
        output.append(line).append("\r\n");
    }
    if (!isUnicode_) {
        if (ini::EndsWith(output, "\r\n")) output.resize(output.size() - 2);
        WriteFileText(rt::Utf8ToWin1252(output));
        cacheTimestamp_ = 0;
        return true;
    }
    if (output == text || output == text + "\r\n") return false;
    unicodeText_ = std::move(output);
    unicodeTextFile_ = iniFile_;
    WriteAsUnicode(false);
    cacheTimestamp_ = 0;
    return true;
}

// ---- file identity ----

void cIniFile::IniFile(const std::string& ptIniFile) {
    if (ptIniFile == iniFile_) return;
    cacheTimestamp_ = 0;
    iniFile_ = ptIniFile;
    CheckUnicodeFile();
}

bool cIniFile::CheckUnicodeFile() {
    if (!FileExists()) return false;
    try {
        const std::string head = platform::Files().ReadPrefix(iniFile_, 10);
        if (head.size() >= 10) isUnicode_ = ini::HasUnicodeMarker(head);
    } catch (const rt::RuntimeError& e) {
        // An unreadable file keeps the flag as it was.
        PERLOWAN_DEBUG("ini", "format of " + iniFile_ + " not checked: " + e.Description());
    }
    return isUnicode_;
}
