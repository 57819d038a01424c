// Late binding: the grid's table agrees with its interface declaration QorSimpleGrid.idl
// (members, dispatch ids, read and write sharing an id, the events in order), and calls by name
// and by dispatch id reach the same members with the classic argument conversions.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>

#include "GridTestSupport.h"

namespace grid {
namespace {

using testing::GridTest;

std::string Idl() {
    std::ifstream in(std::string(PERLOWAN_GRID_DIR) + "/QorSimpleGrid.idl");
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
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

TEST_F(GridTest, CallsByNameAndByDispatchIdReachTheSameMembers) {
    SizeForRows(10);
    const rt::ObjectRef grid = grd.Object();
    struct Row {
        int line;
        const char* name;
        rt::CallType type;
        std::vector<rt::Variant> args;
    };
    using rt::CallType;
    const std::vector<Row> script = {
        {1, "ColHeader", CallType::PropertyLet, {"Datum|Tipp"}},
        {2, "Redraw", CallType::PropertyLet, {true}},
        {3, "Clear", CallType::Method, {}},
        {4, "SetColHeader", CallType::Method, {std::int16_t{0}, "Datum"}},
        {5, "ColWidth", CallType::PropertyLet, {std::int16_t{0}, std::int16_t{100}}},
        {6, "SetZoomColumn", CallType::Method, {std::int16_t{1}, std::int16_t{400}}},
        {7, "AddItem", CallType::Method, {"01.02.2026\tMehr trinken"}},
        {8, "AddItem", CallType::Method, {"02.02.2026\tBewegung"}},
        {9, "CellValue", CallType::PropertyLet, {std::int16_t{1}, std::int16_t{1}, "Laufen"}},
        {10, "CellBGColor", CallType::PropertyLet, {std::int16_t{0}, std::int16_t{0}, 255}},
        {11, "HeaderText", CallType::PropertyLet, {std::int16_t{1}, "Tipp"}},
        {12, "ColReadOnly", CallType::PropertyLet, {std::int16_t{0}, true}},
        {13, "RowReadOnly", CallType::PropertyLet, {std::int16_t{1}, true}},
        {14, "BlindMode", CallType::PropertyLet, {true}},
        {15, "BorderAbstand", CallType::PropertyLet, {std::int16_t{3}}},
        {16, "ColAlignment", CallType::PropertyLet, {"1|0"}},
        {17, "ColStyle", CallType::PropertyLet, {"0|0"}},
        {18, "LeftCol", CallType::PropertyLet, {std::int16_t{1}}},
        {19, "ColWidthReposition", CallType::PropertyLet, {false}},
        {20, "ScaleFaktor", CallType::PropertyLet, {1.5f}},
        {21, "CurrentRow", CallType::PropertyLet, {1}},
        {22, "CurrentCol", CallType::PropertyLet, {1}},
        {23, "TopRow", CallType::PropertyLet, {std::int16_t{0}}},
        {24, "SelectCell", CallType::Method, {std::int16_t{1}, std::int16_t{0}}},
        {25, "DrawGridLines", CallType::Method, {}},
        {26, "Fontsize", CallType::PropertyLet, {9.0f}},
        {27, "RecordSelectors", CallType::PropertyLet, {false}},
        {28, "ReadOnly", CallType::PropertyLet, {false}},
        {29, "ColWidthAll", CallType::PropertyLet, {"100|400"}},
    };
    const std::vector<std::pair<const char*, std::vector<rt::Variant>>> reads = {
        {"ColHeader", {}},
        {"Cols", {}},
        {"Rows", {}},
        {"CellValue", {std::int16_t{1}, std::int16_t{1}}},
        {"CellBGColor", {std::int16_t{0}, std::int16_t{0}}},
        {"HeaderText", {std::int16_t{0}}},
        {"ColWidth", {std::int16_t{1}}},
        {"ColWidthAll", {}},
        {"ColReadOnly", {std::int16_t{0}}},
        {"ColStyleCol", {std::int16_t{1}}},
        {"ColAlignment", {}},
        {"ColStyle", {}},
        {"LeftCol", {}},
        {"Redraw", {}},
        {"ReadOnly", {}},
        {"RecordSelectors", {}},
        {"ColWidthReposition", {}},
        {"ScaleFaktor", {}},
        {"CurrentRow", {}},
        {"CurrentCol", {}},
        {"TopRow", {}},
        {"vScrollbarVisible", {}},
        {"Text", {}},
        {"Fontsize", {}},
    };

    // The same script on a second grid, called by dispatch id.
    forms::Form other;
    other.Move(0, 0, 12045, 6915);
    auto& twin = other.Add<QorSimpleGrid>("grdTwin");
    twin.Extender().Move(120, 120, 553 * 15.0f, 165 * 15.0f);
    const rt::ObjectRef twinObject = twin.Object();
    for (const auto& row : script) {
        SCOPED_TRACE(row.line);
        auto byName = row.args;
        rt::CallByName(grid, row.name, row.type, byName);
        auto byId = row.args;
        twinObject->Invoke(QorSimpleGrid::Members().IdOf(row.name), row.type, byId);
    }
    for (const auto& [name, args] : reads) {
        SCOPED_TRACE(name);
        auto a = args, b = args;
        const rt::Variant byName = rt::CallByName(grid, name, rt::CallType::PropertyGet, a);
        const rt::Variant byId =
            twinObject->Invoke(grid->GetIdOfName(name), rt::CallType::PropertyGet, b);
        EXPECT_EQ(byName, byId);
    }
}

TEST_F(GridTest, LateBoundValuesKeepTheirTypesAndRangesAndByRefOutputsComeBack) {
    SizeForRows(10);
    LoadLikeTheWindow();
    Fill(3);
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
