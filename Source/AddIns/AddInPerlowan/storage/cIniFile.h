#pragma once
// cIniFile: reads and writes settings files in INI form ("[section]" lines, "key=value" lines,
// CR LF line ends). Three modes:
//  - uncached (CacheIniFile off, not Unicode, not Offline): through the profile-string role;
//  - cached (the default): the class parses the file, keeps a cache of section texts checked
//    against the file's modification time, and writes every change through to the file;
//  - offline: the whole text lives in IniContent; Save changes it in memory and
//    SaveOfflineToFile writes it once.
// Files are 8-bit (Windows-1252) or, marked by "@@@", UTF-16LE; the engine converts them at the
// file's edge and keeps one text. Every file is replaced atomically; a file the engine creates
// is readable and writable by its owner only. Engines that read the same unchanged 8-bit file
// one after another share its parse (IniSharedParse.h).
// IniContent is the engine's text: offline the edited text; in the other modes the text of the
// last cache build, or of the last cached write since.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "Variant.h"

namespace ini {
class SectionCache;
class IniDocument;
}  // namespace ini

class cIniFile {
  public:
    cIniFile();
    ~cIniFile();
    cIniFile(const cIniFile&) = delete;
    cIniFile& operator=(const cIniFile&) = delete;

    // Names of the sections of a fresh cache build, each followed by ";" (a section followed by
    // another header); "" when no build was due.
    std::string GetAllSections();
    // Rewrites the file with duplicate sections and keys, blank lines and lines without "="
    // dropped. False when offline, or for a Unicode file that needed no change.
    bool RebuildIniStructure();
    // True when the section was found and removed.
    bool RemoveSection(std::string_view ptSection);
    // The value, or `ptDefaultValue` when it is missing or empty. Never raises.
    std::string Load(std::string_view ptSection, std::string_view ptKey,
                     std::string_view ptDefaultValue = {});
    bool gbIdeMode() const { return false; }
    // Whether the file is in the Unicode format.
    bool CheckUnicodeFile();
    void ResetCache() { cacheTimestamp_ = 0; }
    // Raises 53 "File not found" when IniFile is empty and the engine is not offline; any other
    // failure is ignored.
    void Save(std::string_view ptSection, std::string_view ptKey, const rt::Variant& pvValue);
    const std::string& IniFile() const { return iniFile_; }
    void IniFile(const std::string& ptIniFile);
    void RemoveKey(std::string_view ptSection, std::string_view ptKey);
    bool CacheIniFile() const { return cacheIniFile_; }
    void CacheIniFile(bool pbCacheIniFile) { cacheIniFile_ = pbCacheIniFile; }
    void SaveOfflineToFile();
    bool UseCacheDirectly() const { return useCacheDirectly_; }
    void UseCacheDirectly(bool pbNewValue) { useCacheDirectly_ = pbNewValue; }
    void WriteAsAnsi();
    void WriteAsUnicode(bool pbReadCurrentFileContent = false);
    std::string IniContent() const;
    void IniContent(std::string ptIniContent);
    bool Offline() const { return offline_; }
    void Offline(bool pbOffline) { offline_ = pbOffline; }
    bool SaveToRAM() const { return saveToRam_; }
    void SaveToRAM(bool pbSaveToRAM) { saveToRam_ = pbSaveToRAM; }

  private:
    // The engine's text is held in one form at a time, the one its mode works on.
    enum class Held {
        Text,      // UTF-8: a Unicode file's text, an offline text the document cannot model,
                   // and the text of a cached 8-bit edit
        Bytes,     // Windows-1252: an 8-bit file as read by a cached build (shared parse)
        Document,  // offline: the text as a document of lines
    };

    bool FileExists() const;
    std::int64_t FileTime() const;
    bool FileUnreadable() const;
    void CreateMissingFileAsTheBinaryOpenDoes();
    std::string ReadFileText();
    bool SaveStartsFromEmptyText() const;
    bool SaveIntoBytes(std::string_view section, std::string_view key, const std::string& value);
    void WriteFileText(std::string_view bytes);
    void DeleteFile();
    std::string DecodeFile(const std::string& bytes) const;

    void HoldText(std::string text);
    void HoldBytes(std::shared_ptr<const std::string> bytes);
    bool HoldDocument(std::shared_ptr<ini::IniDocument> document);
    std::string Text() const;
    bool TextEmpty() const;
    void TryDocument();

    void BuildSectionCache(std::string& sectionList);
    void BuildSectionCache();
    bool ReadFileIntoCache(std::string& sectionList);
    bool AdoptSharedParse(std::string& sectionList);
    void CacheFromDocument(std::string& sectionList);
    ini::SectionCache& OwnSectionCache();
    void SaveOffline(std::string_view section, std::string_view key, const std::string& value);
    void ReplaceOfflineText(std::string text, std::string_view section);
    void RefreshSection(std::string_view section, const std::string& text);
    void RefreshSectionFromDocument(std::string_view section);
    void LoadUnicodeTextIfMissing();

    std::string iniFile_;
    std::int64_t cacheTimestamp_ = 0;
    // Shared with other engines that read the same unchanged file; copied before an edit.
    std::shared_ptr<ini::SectionCache> sectionCache_;
    bool cacheIniFile_ = true;
    bool isUnicode_ = false;
    Held held_ = Held::Text;
    std::shared_ptr<const std::string> text_;     // Held::Text
    std::shared_ptr<const std::string> bytes_;    // Held::Bytes
    std::shared_ptr<ini::IniDocument> document_;  // Held::Document
    std::string textFile_;  // the file the held text was read from or written to, "" for none
    bool documentFailed_ = false;  // the text lies outside the document model: edit it as text
    bool offline_ = false;
    bool useCacheDirectly_ = false;
    bool saveToRam_ = false;
};
