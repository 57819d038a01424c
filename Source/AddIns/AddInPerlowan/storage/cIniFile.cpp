#include "cIniFile.h"

#include <utility>

#include "CodePage.h"
#include "Debug.h"
#include "Files.h"
#include "IniDocument.h"
#include "IniSectionCache.h"
#include "IniSharedParse.h"
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

cIniFile::cIniFile() : text_(Share({})) {}

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
    ini::shared_parse::Forget(iniFile_);
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
    ini::shared_parse::Forget(iniFile_);
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

// ---- the held text ----

void cIniFile::HoldText(std::string text) {
    held_ = Held::Text;
    text_ = Share(std::move(text));
    bytes_.reset();
    document_.reset();
}

void cIniFile::HoldBytes(std::shared_ptr<const std::string> bytes) {
    held_ = Held::Bytes;
    bytes_ = std::move(bytes);
    text_.reset();
    document_.reset();
}

bool cIniFile::HoldDocument(std::shared_ptr<ini::IniDocument> document) {
    if (!document) return false;
    held_ = Held::Document;
    document_ = std::move(document);
    text_.reset();
    bytes_.reset();
    return true;
}

std::string cIniFile::Text() const {
    switch (held_) {
        case Held::Bytes:
            return rt::Win1252ToUtf8(*bytes_);
        case Held::Document:
            return document_->Text();
        case Held::Text:
            break;
    }
    return *text_;
}

bool cIniFile::TextEmpty() const {
    switch (held_) {
        case Held::Bytes:
            return bytes_->empty();
        case Held::Document:
            return document_->Empty();
        case Held::Text:
            break;
    }
    return text_->empty();
}

// Offline, the text is edited as a document from here on, unless it lies outside the model.
void cIniFile::TryDocument() {
    if (held_ == Held::Document || documentFailed_) return;
    const bool parsed = held_ == Held::Bytes ? HoldDocument(ini::IniDocument::Parse(bytes_, true))
                                             : HoldDocument(ini::IniDocument::Parse(text_));
    if (parsed) return;
    documentFailed_ = true;
    if (held_ == Held::Bytes) HoldText(rt::Win1252ToUtf8(*bytes_));
}

std::string cIniFile::IniContent() const {
    return Text();
}

void cIniFile::IniContent(std::string ptIniContent) {
    HoldText(std::move(ptIniContent));
    textFile_.clear();
    documentFailed_ = false;
    BuildSectionCache();
}

// ---- cache ----

void cIniFile::BuildSectionCache() {
    std::string list;
    BuildSectionCache(list);
}

void cIniFile::BuildSectionCache(std::string& sectionList) {
    sectionCache_ = std::make_shared<ini::SectionCache>();
    if (!offline_ || TextEmpty()) {
        if (ReadFileIntoCache(sectionList)) return;
    }
    if (offline_) TryDocument();
    if (held_ == Held::Document) {
        CacheFromDocument(sectionList);
    } else {
        // An offline text outside the document model, or a Unicode file's text.
        for (const auto& span : ini::SplitSections(*text_, &sectionList)) {
            sectionCache_->AddText(
                span.name, text_,
                std::string_view(*text_).substr(span.headerStart, span.end - span.headerStart));
        }
    }
    cacheTimestamp_ = FileExists() ? FileTime() : 0;
}

// Reads the file into the held text. A cached 8-bit file is cached here, from its bytes, and
// its parse is shared: true then.
bool cIniFile::ReadFileIntoCache(std::string& sectionList) {
    const bool exists = FileExists();
    const bool shareable = !isUnicode_ && !offline_ && exists;
    if (shareable && AdoptSharedParse(sectionList)) return true;
    const std::int64_t readStart = ini::shared_parse::NowNs();
    const auto stampBefore = shareable ? platform::Files().Stamp(iniFile_) : std::nullopt;
    auto bytes = Share(exists ? ReadFileText() : std::string());
    textFile_ = exists ? iniFile_ : std::string();
    documentFailed_ = false;
    if (isUnicode_) {
        std::string decoded = DecodeFile(*bytes);
        decoded.resize(ini::CutTrailingNuls(decoded).size());
        HoldText(std::move(decoded));
        textFile_ = iniFile_;
        return false;
    }
    HoldBytes(bytes);
    if (offline_) return false;
    std::string list;
    for (const auto& span : ini::SplitSections(*bytes, &list)) {
        sectionCache_->AddText(
            rt::Win1252ToUtf8(span.name), bytes,
            std::string_view(*bytes).substr(span.headerStart, span.end - span.headerStart), true);
    }
    list = rt::Win1252ToUtf8(list);
    sectionList.append(list);
    cacheTimestamp_ = exists ? FileTime() : 0;
    if (stampBefore && platform::Files().Stamp(iniFile_) == stampBefore) {
        auto parse = std::make_shared<ini::SharedParse>();
        parse->stamp = *stampBefore;
        parse->bytes = bytes;
        parse->sections = sectionCache_;
        parse->sectionList = std::move(list);
        ini::shared_parse::Keep(iniFile_, std::move(parse), readStart);
    }
    return true;
}

bool cIniFile::AdoptSharedParse(std::string& sectionList) {
    const auto stamp = platform::Files().Stamp(iniFile_);
    if (!stamp) return false;
    const auto parse = ini::shared_parse::Find(iniFile_, *stamp);
    if (!parse) return false;
    HoldBytes(parse->bytes);
    textFile_ = iniFile_;
    documentFailed_ = false;
    sectionCache_ = parse->sections;
    sectionList.append(parse->sectionList);
    cacheTimestamp_ = stamp->modifiedNs;
    return true;
}

// A cache shared with other engines is copied before this engine edits it.
ini::SectionCache& cIniFile::OwnSectionCache() {
    if (sectionCache_.use_count() > 1)
        sectionCache_ = std::make_shared<ini::SectionCache>(*sectionCache_);
    return *sectionCache_;
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

void cIniFile::RefreshSection(std::string_view section, const std::string& text) {
    if (!sectionCache_) return;
    ini::SectionCache& cache = OwnSectionCache();
    cache.Remove(section);
    const auto item = Share(ini::SectionTextAfterWrite(text, section));
    cache.AddText(section, item, *item);
}

// The section's text after an offline write, as the text between its header and the next one.
void cIniFile::RefreshSectionFromDocument(std::string_view section) {
    if (!sectionCache_) return;
    ini::SectionCache& cache = OwnSectionCache();
    const auto region = document_->RegionOf(section);
    if (region && document_->Lines(*region).size() >= 2) {
        cache.ReplaceWithRegion(section, ini::Header(section), document_, *region);
        return;
    }
    cache.Remove(section);
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
    cache.AddText(section, shared, *shared);
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
            if (TextEmpty() || !sectionCache_) BuildSectionCache();
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
        std::string text = Text();
        ini::SetKeyInText(text, ptSection, ptKey, value);
        HoldText(std::move(text));
        if (useCacheDirectly_) RefreshSection(ptSection, *text_);
        WriteAsUnicode(false);
    } else if (cacheIniFile_) {
        if ((cacheTimestamp_ == 0 || !useCacheDirectly_) && FileExists() &&
            FileTime() != cacheTimestamp_)
            BuildSectionCache();
        if (!SaveIntoBytes(ptSection, ptKey, value)) {
            std::string text = SaveStartsFromEmptyText() ? std::string() : Text();
            ini::SetKeyInText(text, ptSection, ptKey, value);
            HoldText(std::move(text));
            textFile_ = iniFile_;
            if (useCacheDirectly_) RefreshSection(ptSection, *text_);
            if (!saveToRam_) {
                if (text_->empty())
                    DeleteFile();
                else
                    WriteFileText(rt::Utf8ToWin1252(ini::StripTrailingLineBreaks(*text_)));
            }
        }
    } else if (!FileUnreadable()) {
        ini::shared_parse::Forget(iniFile_);
        platform::Profile().WritePrivateProfileStringA(ptSection, ptKey, value, iniFile_);
    }
    if (!useCacheDirectly_) cacheTimestamp_ = 0;
}

// A cached write into the file's bytes as read: the code page converts character by character and
// every byte of it back again, so editing the bytes gives the bytes that editing the text and
// converting it would give, without converting the whole store twice. Only for an ASCII section
// and key (the searches ignore letter case), a value the code page holds (IniContent keeps what
// was written) and without the section refresh of UseCacheDirectly.
bool cIniFile::SaveIntoBytes(std::string_view section, std::string_view key,
                             const std::string& value) {
    if (held_ != Held::Bytes || useCacheDirectly_ || !rt::IsAscii(section) || !rt::IsAscii(key))
        return false;
    std::string valueBytes = rt::Utf8ToWin1252(value);
    if (!rt::IsAscii(value) && rt::Win1252ToUtf8(valueBytes) != value) return false;
    const std::string_view from = SaveStartsFromEmptyText() ? std::string_view() : *bytes_;
    if (auto changed = ini::TextWithKeySet(from, section, key, valueBytes))
        HoldBytes(Share(std::move(*changed)));
    else if (from.empty())
        HoldBytes(Share({}));
    textFile_ = iniFile_;
    if (!saveToRam_) {
        if (bytes_->empty())
            DeleteFile();
        else
            WriteFileText(ini::StripTrailingLineBreaks(*bytes_));
    }
    return true;
}

// Data protection: a cached Save into a file that is not there starts from an empty text, not
// from the text last read, which may be another file's (IniFile was switched since): that
// would copy the other file's settings into the new one.
bool cIniFile::SaveStartsFromEmptyText() const {
    return !FileExists() && textFile_ != iniFile_;
}

void cIniFile::SaveOffline(std::string_view section, std::string_view key,
                           const std::string& value) {
    // Nothing read yet: read the file first, so that the text written later keeps its content.
    if (!sectionCache_ && TextEmpty() && !iniFile_.empty() && FileExists()) BuildSectionCache();
    if (ini::IniDocument::Covers(section, key, value)) {
        TryDocument();
        if (held_ == Held::Document) {
            document_->SetKeyInText(section, key, value);
            RefreshSectionFromDocument(section);
            return;
        }
    }
    std::string text = Text();
    ini::SetKeyInText(text, section, key, value);
    ReplaceOfflineText(std::move(text), section);
}

// An offline edit done on the whole text.
void cIniFile::ReplaceOfflineText(std::string text, std::string_view section) {
    HoldText(std::move(text));
    RefreshSection(section, *text_);
}

void cIniFile::SaveOfflineToFile() {
    if (TextEmpty()) {
        DeleteFile();
        return;
    }
    // The file is replaced in one step, so a shorter text needs no deletion first.
    switch (held_) {
        case Held::Document:
            WriteFileText(document_->AnsiBytesWithoutTrailingBreaks());
            break;
        case Held::Bytes:
            WriteFileText(ini::StripTrailingLineBreaks(*bytes_));
            break;
        case Held::Text:
            WriteFileText(rt::Utf8ToWin1252(ini::StripTrailingLineBreaks(*text_)));
            break;
    }
}

void cIniFile::LoadUnicodeTextIfMissing() {
    if (textFile_ == iniFile_ && held_ == Held::Text) return;
    const bool wasUnicode = isUnicode_;
    isUnicode_ = true;
    BuildSectionCache();
    isUnicode_ = wasUnicode;
    textFile_ = iniFile_;
}

void cIniFile::WriteAsUnicode(bool pbReadCurrentFileContent) {
    if (pbReadCurrentFileContent) {
        isUnicode_ = true;
        BuildSectionCache();
        textFile_ = iniFile_;
    } else {
        LoadUnicodeTextIfMissing();
    }
    WriteFileText(ini::EncodeUnicodeFile(*text_));
}

void cIniFile::WriteAsAnsi() {
    // The text written is the file's own: read it unless the held text is this file's, as
    // current as the file.
    if (TextEmpty() || textFile_ != iniFile_ || (FileExists() && FileTime() != cacheTimestamp_))
        BuildSectionCache();
    WriteFileText(held_ == Held::Bytes ? *bytes_ : rt::Utf8ToWin1252(Text()));
}

// ---- removing ----

void cIniFile::RemoveKey(std::string_view ptSection, std::string_view ptKey) {
    std::string text;
    if (offline_) {
        text = Text();
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
        ReplaceOfflineText(std::move(result), ptSection);
    } else if (isUnicode_) {
        HoldText(std::move(result));
        textFile_ = iniFile_;
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
        text = Text();
    } else if (!iniFile_.empty()) {
        CheckUnicodeFile();
        if (isUnicode_) {
            LoadUnicodeTextIfMissing();
            text = Text();
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
        ReplaceOfflineText(std::move(result), ptSection);
    } else if (!iniFile_.empty()) {
        if (isUnicode_) {
            HoldText(std::move(result));
            textFile_ = iniFile_;
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
    HoldText(std::move(output));
    textFile_ = iniFile_;
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
