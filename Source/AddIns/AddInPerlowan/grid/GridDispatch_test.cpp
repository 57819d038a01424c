// Late binding: the grid's table agrees with its interface declaration QorSimpleGrid.idl
// (members, dispatch ids, read and write sharing an id, the events in order), and late-bound
// calls reach the right members with the classic argument conversions.
#include <gtest/gtest.h>

#include <map>
#include <regex>
#include <set>

#include "GridTestSupport.h"
#include "TestSupport.h"

namespace grid {
namespace {

using testing::GridTest;

std::string Idl() {
    return testsupport::ReadFile(std::string(PERLOWAN_GRID_DIR) + "/QorSimpleGrid.idl");
}

struct Declared {
    rt::DispId id = 0;
    std::set<std::string> kinds;  // "method", "propget", "propput"
};

// The members of the interface _QorSimpleGrid as the declaration has them.
std::map<std::string, Declared> InterfaceMembers(const std::string& idl) {
    const auto begin = idl.find("interface _QorSimpleGrid");
    const auto end = idl.find("dispinterface", begin);
    const std::string body = idl.substr(begin, end - begin);
    std::map<std::string, Declared> members;
    const std::regex member(
        R"(\[id\((0x[0-9A-Fa-f]+)\)(, (propget|propput))?\]\s*HRESULT\s+(\w+))");
    for (std::sregex_iterator it(body.begin(), body.end(), member), last; it != last; ++it) {
        const auto id = static_cast<rt::DispId>(std::stoul((*it)[1].str(), nullptr, 16));
        auto& entry = members[(*it)[4].str()];
        EXPECT_TRUE(entry.kinds.empty() || entry.id == id) << (*it)[4].str();  // one id per name
        entry.id = id;
        entry.kinds.insert((*it)[3].matched ? (*it)[3].str() : "method");
    }
    return members;
}

TEST(GridInterface, TheDispatchTableAgreesWithTheInterfaceDeclaration) {
    const auto declared = InterfaceMembers(Idl());
    ASSERT_EQ(declared.size(), 35u);
    const auto& table = QorSimpleGrid::Members().Members();
    EXPECT_EQ(table.size(), declared.size());
    std::set<rt::DispId> ids;
    for (const auto& member : table) {
        SCOPED_TRACE(member.name);
        const auto it = declared.find(member.name);
        ASSERT_NE(it, declared.end());
        EXPECT_EQ(it->second.id, member.id);
        const bool method = it->second.kinds.count("method") != 0;
        EXPECT_EQ(method, (member.id & 0x0F000000) == 0);  // methods 0x6003xxxx
        EXPECT_TRUE(ids.insert(member.id).second);
    }
}

TEST(GridInterface, TheEventsAreDeclaredInTheirOrder) {
    const std::string idl = Idl();
    const std::string events = idl.substr(idl.find("dispinterface __QorSimpleGrid"));
    const std::regex event(R"(\[id\((0x[0-9A-Fa-f]+)\)\]\s*void\s+(\w+))");
    std::vector<std::string> names;
    for (std::sregex_iterator it(events.begin(), events.end(), event), last; it != last; ++it) {
        EXPECT_EQ(std::stoul((*it)[1].str(), nullptr, 16), names.size() + 1);
        names.push_back((*it)[2].str());
    }
    EXPECT_EQ(names, std::vector<std::string>(kEventNames.begin(), kEventNames.end()));
}

TEST_F(GridTest, WritesByNameReadBackByDispatchIdThroughTheRightMembers) {
    SizeForRows(10);
    const rt::ObjectRef grid = grd.Object();
    using V = std::vector<rt::Variant>;
    using I = std::int16_t;
    constexpr auto Let = rt::CallType::PropertyLet;
    constexpr auto Call = rt::CallType::Method;
    struct Row {
        int line;
        const char* name;
        rt::CallType type;
        V args;
        const char* readName;  // nullptr: nothing to read back
        V readArgs;
        const char* expected;
    };
    const Row rows[] = {
        {1, "ColHeader", Let, {"Datum|Tipp"}, "ColHeader", {}, "Datum|Tipp"},
        {2, "ColWidthAll", Let, {"100|400"}, "ColWidthAll", {}, "100|400"},
        {3, "Redraw", Let, {true}, "Redraw", {}, "True"},
        {4, "AddItem", Call, {"01.02.2026\tMehr trinken"}, "Rows", {}, "1"},
        {5, "AddItem", Call, {"02.02.2026\tBewegung"}, "Cols", {}, "2"},
        {6, "CellValue", Let, {I{1}, I{1}, "Laufen"}, "CellValue", {I{1}, I{1}}, "Laufen"},
        {7, "CellBGColor", Let, {I{0}, I{1}, 255}, "CellBGColor", {I{0}, I{1}}, "255"},
        {8, "SetColHeader", Call, {I{0}, "Tag"}, "HeaderText", {I{0}}, "Tag"},
        {9, "HeaderText", Let, {I{1}, "Tipp"}, "HeaderText", {I{1}}, "Tipp"},
        {10, "ColWidth", Let, {I{1}, I{300}}, "ColWidth", {I{1}}, "300"},
        {11, "ColReadOnly", Let, {I{1}, true}, "ColReadOnly", {I{1}}, "True"},
        {12, "RowReadOnly", Let, {I{1}, true}, nullptr, {}, ""},
        {13, "ColAlignment", Let, {"1|0"}, "ColAlignment", {}, "1|0"},
        {14, "ColStyle", Let, {"0|1"}, "ColStyleCol", {I{1}}, "1"},
        {15, "LeftCol", Let, {I{1}}, "LeftCol", {}, "1"},
        {16, "ColWidthReposition", Let, {false}, "ColWidthReposition", {}, "False"},
        {17, "ScaleFaktor", Let, {2.0f}, "ScaleFaktor", {}, "2"},
        {18, "CurrentRow", Let, {1}, "CurrentRow", {}, "1"},
        {19, "CurrentCol", Let, {0}, "CurrentCol", {}, "0"},
        {20, "TopRow", Let, {I{0}}, "TopRow", {}, "0"},
        {21, "RecordSelectors", Let, {false}, "RecordSelectors", {}, "False"},
        {22, "ReadOnly", Let, {true}, "ReadOnly", {}, "True"},
        {23, "BlindMode", Let, {true}, nullptr, {}, ""},
        {24, "BorderAbstand", Let, {I{3}}, nullptr, {}, ""},
        {25, "Fontsize", Let, {9.0f}, nullptr, {}, ""},
        {26, "SetZoomColumn", Call, {I{1}, I{400}}, nullptr, {}, ""},
        {27, "SelectCell", Call, {I{1}, I{0}}, nullptr, {}, ""},
        {28, "DrawGridLines", Call, {}, "vScrollbarVisible", {}, "False"},
        {29, "Clear", Call, {}, "Rows", {}, "0"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.line);
        auto args = row.args;
        rt::CallByName(grid, row.name, row.type, args);
        if (!row.readName) continue;
        auto readArgs = row.readArgs;
        const rt::Variant read = grid->Invoke(QorSimpleGrid::Members().IdOf(row.readName),
                                              rt::CallType::PropertyGet, readArgs);
        EXPECT_EQ(read.ToString(), row.expected);
    }
    EXPECT_EQ(grd.SelectorGlyph(), "-");
    EXPECT_EQ(grd.BorderAbstand(), 3);
    EXPECT_TRUE(grd.IsCellReadOnly(0, 1));
    EXPECT_EQ(grd.txtInput(0).FontSize(), 9.0f);
}

TEST_F(GridTest, LateBoundValuesKeepTheirTypesAndRangesAndByRefOutputsComeBack) {
    LoadedGrid(3, 10);
    const rt::ObjectRef grid = grd.Object();
    EXPECT_EQ(rt::GetProperty(grid, "Cols"), rt::Variant(std::int16_t{2}));
    EXPECT_EQ(rt::GetProperty(grid, "Rows"), rt::Variant(std::int32_t{3}));
    EXPECT_EQ(rt::GetProperty(grid, "hWnd"), rt::Variant(grd.hWnd()));
    EXPECT_EQ(grid->GetIdOfName("hwnd"), 0x68030001);

    rt::Variant box[] = {std::int16_t{1}, std::int16_t{1}, 0, 0, 0, 0};
    grid->Invoke(0x6003001F, rt::CallType::Method, box);
    EXPECT_EQ((std::vector<rt::Variant>(box + 2, box + 6)),
              (std::vector<rt::Variant>{117, 31, 395, 14}));

    const auto errorOf = [&](const char* name, rt::CallType type, std::vector<rt::Variant> args) {
        try {
            rt::CallByName(grid, name, type, args);
        } catch (const rt::RuntimeError& e) {
            return e.Number();
        }
        return 0;
    };
    using rt::CallType;
    struct Row {
        int line;
        const char* name;
        CallType type;
        std::vector<rt::Variant> args;
        int error;
    };
    const Row rows[] = {
        {1, "TopRow", CallType::PropertyLet, {40000}, 6},
        {2, "CellValue", CallType::PropertyGet, {std::int16_t{0}, 70000}, 6},
        {3, "CellValue", CallType::PropertyLet, {std::int16_t{5}, std::int16_t{0}, "x"}, 9},
        {4, "ColWidth", CallType::PropertyLet, {std::int16_t{0}, "breit"}, 13},
        {5, "BlindMode", CallType::PropertyGet, {}, 451},
        {6, "Rows", CallType::PropertyLet, {5}, 383},
        {7, "Nonsense", CallType::Method, {}, 438},
        {8, "AddItem", CallType::Method, {}, 449},
        {9, "CellValue", CallType::PropertyGet, {std::int16_t{9}, std::int16_t{9}}, 0},
        {10, "ScaleFaktor", CallType::PropertyLet, {1e6f}, 6},
        {11, "ScaleFaktor", CallType::PropertyLet, {-1.0f}, 380},
        {12, "SetZoomColumn", CallType::Method, {std::int16_t{7}, std::int16_t{10}}, 340},
        {13, "Fontsize", CallType::PropertyLet, {0.0f}, 380},
        {14, "CurrentCol", CallType::PropertyLet, {5}, 9},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.line);
        EXPECT_EQ(errorOf(row.name, row.type, row.args), row.error);
    }
    EXPECT_EQ(grd.Rows(), 3);
    EXPECT_EQ(grd.ColWidth(0), 100);
    EXPECT_EQ(grd.ScaleFaktor(), 1.0f);
    EXPECT_EQ(grd.cmdSelectorAll.Height(), 15);
    EXPECT_TRUE(grd.Redraw());
}

}  // namespace
}  // namespace grid
