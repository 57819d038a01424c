#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <random>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "PerlowanIds.h"
#include "Registration.h"
#include "Registry.h"
#include "Resources.h"
#include "cITelmora.h"

namespace {

namespace fs = std::filesystem;
namespace reg = platform::reg;

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string Idl() {
    return ReadFile(std::string(PERLOWAN_COMPONENT_DIR) + "/Perlowan.idl");
}

// Member name -> (dispatch id, is a property get) as the IDL declares them.
std::map<std::string, std::pair<rt::DispId, bool>> IdlMembers(const std::string& idl) {
    std::map<std::string, std::pair<rt::DispId, bool>> members;
    const std::regex member(R"(\[id\((0x[0-9A-Fa-f]+)\)([^\]]*)\]\s*HRESULT\s+(\w+)\s*\()");
    for (std::sregex_iterator it(idl.begin(), idl.end(), member), end; it != end; ++it) {
        const auto id = static_cast<rt::DispId>(std::stoul((*it)[1].str(), nullptr, 16));
        members[(*it)[3].str()] = {id, (*it)[2].str().find("propget") != std::string::npos};
    }
    return members;
}

TEST(PerlowanIdl, DispatchIdsAgreeWithTheDispatchTable) {
    const auto declared = IdlMembers(Idl());
    ASSERT_EQ(declared.size(), 17u);
    const auto& table = cITelmora::Members().Members();
    EXPECT_EQ(table.size(), declared.size());
    for (const auto& member : table) {
        SCOPED_TRACE(member.name);
        auto it = declared.find(member.name);
        ASSERT_NE(it, declared.end());
        EXPECT_EQ(it->second.first, member.id);
        // Property gets are numbered 0x6803xxxx, methods 0x6003xxxx.
        EXPECT_EQ(it->second.second, (member.id & 0x0F000000) == 0x08000000);
    }
}

TEST(PerlowanIdl, IdentifiersAndEventValuesAgreeWithTheCode) {
    const std::string idl = Idl();
    struct Row {
        const char* declaration;
        com::Guid guid;
    };
    const Row rows[] = {
        {"library Perlowan", perlowan::LIBID_Perlowan},
        {"interface _cITelmora : IDispatch", perlowan::IID__cITelmora},
        {"coclass cITelmora", perlowan::CLSID_cITelmora},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.declaration);
        const auto at = idl.find(row.declaration);
        ASSERT_NE(at, std::string::npos);
        const auto uuid = idl.rfind("uuid(", at);
        ASSERT_NE(uuid, std::string::npos);
        com::Guid parsed;
        ASSERT_TRUE(com::ParseGuid(idl.substr(uuid + 5, 36), parsed));
        EXPECT_EQ(parsed, row.guid);
    }
    EXPECT_NE(idl.find("lcid(0x409)"), std::string::npos);
    EXPECT_NE(idl.find("importlib(\"stdole2.tlb\")"), std::string::npos);
    EXPECT_NE(idl.find("hidden, dual, nonextensible"), std::string::npos);

    const std::pair<const char*, genmEvent> events[] = {
        {"All", All},
        {"PatientOpen", PatientOpen},
        {"LanguageChange", LanguageChange},
        {"ProfileBGUnitChange", ProfileBGUnitChange},
        {"ExchangeSettingsChange", ExchangeSettingsChange},
        {"ProfileTargetChange", ProfileTargetChange},
        {"AskForChanges", AskForChanges},
        {"SaveChanges", SaveChanges},
        {"ChangesSaved", ChangesSaved},
        {"DiscardChanges", DiscardChanges},
        {"WeightUnitChange", WeightUnitChange},
        {"EventDefinitionsChanged", EventDefinitionsChanged},
        {"UDTDefinitionsChanged", UDTDefinitionsChanged},
        {"AddInConfigurationChanged", AddInConfigurationChanged},
    };
    for (const auto& [name, value] : events) {
        SCOPED_TRACE(name);
        const std::regex entry(std::string(R"(\b)") + name + R"(\s*=\s*(-?\d+))");
        std::smatch m;
        ASSERT_TRUE(std::regex_search(idl, m, entry));
        EXPECT_EQ(std::stoi(m[1].str()), static_cast<int>(value));
    }
}

TEST(PerlowanResources, InterfaceIdRecordAndTypeLibrary) {
    const auto record = perlowan::FindResource("_IID_CITELMORA", 1);
    ASSERT_EQ(record.size(), 20u);
    const std::uint8_t length[] = {16, 0, 0, 0};
    EXPECT_TRUE(std::equal(length, length + 4, record.begin()));
    const auto iid = com::GuidBytes(perlowan::IID__cITelmora);
    EXPECT_TRUE(std::equal(iid.begin(), iid.end(), record.begin() + 4));
    // Little-endian first field: 6DFA0C1C is stored 1C 0C FA 6D.
    EXPECT_EQ(record[4], 0x1C);
    EXPECT_EQ(record[7], 0x6D);

    EXPECT_EQ(perlowan::FindResource("_iid_citelmora", 1).size(), 20u);
    EXPECT_TRUE(perlowan::FindResource("_IID_CITELMORA", 2).empty());
    EXPECT_TRUE(perlowan::FindResource("ICON", 1).empty());

    const auto tlb = perlowan::FindResource("TYPELIB", 1);
    const std::string built = ReadFile(PERLOWAN_TLB_FILE);
    ASSERT_FALSE(built.empty());
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(tlb.data()), tlb.size()), built);
    EXPECT_EQ(built.substr(0, 4), "MSFT");
    const std::string iidBytes(iid.begin(), iid.end());
    EXPECT_NE(built.find(iidBytes), std::string::npos);
    EXPECT_NE(built.find("stdole2.tlb"), std::string::npos);
}

// Every key and value below the classes root, one line each.
void Dump(platform::HKey key, const std::string& path, std::vector<std::string>& out) {
    auto& registry = platform::SystemRegistry();
    std::string name, data;
    std::uint32_t type = 0;
    for (std::uint32_t i = 0; registry.EnumValue(key, i, name, &type, &data) == reg::Success; ++i)
        out.push_back(path + " [" + name + "]=" + data);
    std::vector<std::string> subKeys;
    for (std::uint32_t i = 0; registry.EnumKey(key, i, name, nullptr) == reg::Success; ++i)
        subKeys.push_back(name);
    for (const auto& sub : subKeys) {
        out.push_back(path + "\\" + sub);
        platform::HKey child = 0;
        ASSERT_EQ(registry.OpenKey(key, sub, reg::KeyRead, child), reg::Success);
        Dump(child, path + "\\" + sub, out);
        registry.CloseKey(child);
    }
}

std::vector<std::string> DumpClassesRoot() {
    std::vector<std::string> out;
    Dump(reg::ClassesRoot, "HKCR", out);
    return out;
}

std::string DefaultValue(const std::string& path) {
    auto& registry = platform::SystemRegistry();
    platform::HKey key = 0;
    if (registry.OpenKey(reg::ClassesRoot, path, reg::KeyRead, key) != reg::Success)
        return "<missing key>";
    std::string data;
    const long rc = registry.QueryValue(key, "", nullptr, &data);
    registry.CloseKey(key);
    return rc == reg::Success ? data : "<missing value>";
}

class RegistrationTest : public ::testing::Test {
  protected:
    void SetUp() override {
        folder = fs::temp_directory_path() /
                 ("perlowan-reg-" + std::to_string(std::random_device()()) + "-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder);
        role.emplace(platform::MakeFileRegistry(folder.string()));
    }
    void TearDown() override {
        role.reset();
        fs::remove_all(folder);
    }
    fs::path folder;
    std::optional<rt::ScopedRole<platform::Registry>> role;
};

TEST_F(RegistrationTest, WritesClassIdentifierInterfaceAndTypeLibrary) {
    const std::string path = "/opt/telmora/addins/libPerlowan.so";
    ASSERT_EQ(perlowan::RegisterServer(path), reg::Success);

    const std::string clsid = com::GuidText(perlowan::CLSID_cITelmora);
    const std::string iid = com::GuidText(perlowan::IID__cITelmora);
    const std::string libid = com::GuidText(perlowan::LIBID_Perlowan);
    const std::pair<std::string, std::string> rows[] = {
        {"Perlowan.cITelmora\\Clsid", clsid},
        {"CLSID\\" + clsid + "\\InprocServer32", path},
        {"CLSID\\" + clsid + "\\ProgID", "Perlowan.cITelmora"},
        {"CLSID\\" + clsid + "\\TypeLib", libid},
        {"Interface\\" + iid, "_cITelmora"},
        {"Interface\\" + iid + "\\TypeLib", libid},
        {"TypeLib\\" + libid + "\\1.0", "Perlowan"},
        {"TypeLib\\" + libid + "\\1.0\\0\\win32", path},
        {"TypeLib\\" + libid + "\\1.0\\HELPDIR", "/opt/telmora/addins/"},
    };
    for (const auto& [key, value] : rows) {
        SCOPED_TRACE(key);
        EXPECT_EQ(DefaultValue(key), value);
    }
}

TEST_F(RegistrationTest, UnregistrationRemovesEveryKeyItWroteAndNothingElse) {
    // A fresh registry comes back empty.
    const auto empty = DumpClassesRoot();
    ASSERT_EQ(perlowan::RegisterServer("/a/libPerlowan.so"), reg::Success);
    EXPECT_GT(DumpClassesRoot().size(), 15u);
    ASSERT_EQ(perlowan::UnregisterServer(), reg::Success);
    EXPECT_EQ(DumpClassesRoot(), empty);

    // Other classes beside it stay; unregistering twice is no failure.
    platform::HKey key = 0;
    auto& registry = platform::SystemRegistry();
    ASSERT_EQ(registry.CreateKey(reg::ClassesRoot, "CLSID\\{00000000-1111-2222-3333-444444444444}",
                                 reg::KeyAllAccess, key, nullptr),
              reg::Success);
    ASSERT_EQ(registry.SetValue(key, "", reg::Sz, "Other.Class"), reg::Success);
    registry.CloseKey(key);
    const auto before = DumpClassesRoot();
    ASSERT_EQ(perlowan::RegisterServer("/a/libPerlowan.so"), reg::Success);
    ASSERT_EQ(perlowan::UnregisterServer(), reg::Success);
    EXPECT_EQ(DumpClassesRoot(), before);
    EXPECT_EQ(perlowan::UnregisterServer(), reg::Success);
    EXPECT_EQ(DumpClassesRoot(), before);
}

TEST(ComponentGuid, TextRoundTripAndRejects) {
    com::Guid g;
    ASSERT_TRUE(com::ParseGuid("{6dfa0c1c-a50b-4fda-9d7e-a9cb5db0595a}", g));
    EXPECT_EQ(g, perlowan::IID__cITelmora);
    EXPECT_EQ(com::GuidText(g), "{6DFA0C1C-A50B-4FDA-9D7E-A9CB5DB0595A}");
    ASSERT_TRUE(com::ParseGuid("6DFA0C1C-A50B-4FDA-9D7E-A9CB5DB0595A", g));
    const char* bad[] = {
        "", "{6DFA0C1C-A50B-4FDA-9D7E-A9CB5DB0595}", "6DFA0C1CXA50B-4FDA-9D7E-A9CB5DB0595A",
        "{6DFA0C1C-A50B-4FDA-9D7E-A9CB5DB0595G}", "{6DFA0C1C-A50B-4FDA-9D7E-A9CB5DB0595A"};
    for (const char* text : bad) {
        SCOPED_TRACE(text);
        EXPECT_FALSE(com::ParseGuid(text, g));
    }
}

}  // namespace
