// The grid's name-to-member table: the members the host window calls late-bound, by name or by
// the dispatch ids of QorSimpleGrid.idl. A property's read and write share one id.
#include "MemberRows.h"
#include "QorSimpleGrid.h"

namespace grid {

namespace {

using G = QorSimpleGrid;
using Member = rt::DispatchTable<G>::Member;
using Args = std::span<rt::Variant>;
using forms::rows::FromVariant;
using forms::rows::IsAssignment;

std::int16_t I16(Args a, std::size_t i) {
    return FromVariant<std::int16_t>(rt::Arg(a, i));
}

[[noreturn]] void RaiseWriteOnly() {
    rt::Raise(451, {},
              "Property let procedure not defined and property get procedure did not "
              "return an object");
}

// A property with one 16-bit index argument before the value.
template <class V, class Get, class Set>
Member Indexed(std::string name, rt::DispId id, Get get, Set set) {
    return {std::move(name), id, [get, set](G& g, rt::CallType type, Args a) -> rt::Variant {
                if (IsAssignment(type)) {
                    if constexpr (std::is_same_v<Set, std::nullptr_t>)
                        rt::Raise(forms::err::PropertyReadOnly, {}, "Property is read-only");
                    else
                        std::invoke(set, g, I16(a, 0), FromVariant<V>(rt::Arg(a, 1)));
                    return {};
                }
                if constexpr (std::is_same_v<Get, std::nullptr_t>)
                    RaiseWriteOnly();
                else
                    return rt::Variant(std::invoke(get, g, I16(a, 0)));
            }};
}

// A property with two 16-bit index arguments (column, row) before the value.
template <class V, class Get, class Set>
Member CellIndexed(std::string name, rt::DispId id, Get get, Set set) {
    return {std::move(name), id, [get, set](G& g, rt::CallType type, Args a) -> rt::Variant {
                if (IsAssignment(type)) {
                    std::invoke(set, g, I16(a, 0), I16(a, 1), FromVariant<V>(rt::Arg(a, 2)));
                    return {};
                }
                return rt::Variant(std::invoke(get, g, I16(a, 0), I16(a, 1)));
            }};
}

template <class V, class Set>
Member WriteOnly(std::string name, rt::DispId id, Set set) {
    return {std::move(name), id, [set](G& g, rt::CallType type, Args a) -> rt::Variant {
                if (!IsAssignment(type)) RaiseWriteOnly();
                std::invoke(set, g, FromVariant<V>(forms::rows::AssignedValue(a)));
                return {};
            }};
}

}  // namespace

rt::DispId QorSimpleGrid::GetIdOfName(std::string_view name) {
    return ChainedIdOfName<QorSimpleGrid, forms::UserControl>(name);
}

rt::Variant QorSimpleGrid::Invoke(rt::DispId id, rt::CallType type, std::span<rt::Variant> args) {
    return ChainedInvoke<QorSimpleGrid, forms::UserControl>(id, type, args);
}

const rt::DispatchTable<QorSimpleGrid>& QorSimpleGrid::Members() {
    namespace rows = forms::rows;
    static const rt::DispatchTable<G> table{
        rows::Method<G>("DrawGridLines", 0x6003001E, [](G& g, Args) { g.DrawGridLines(); }),
        rows::Property<G>("Fontsize", 0x6803001D, &G::Fontsize, &G::SetFontsize),
        WriteOnly<bool>("BlindMode", 0x6803001C, &G::SetBlindMode),
        WriteOnly<std::int16_t>("BorderAbstand", 0x6803001B, &G::SetBorderAbstand),
        rows::Method<G>("CellBoundary", 0x6003001F,
                        [](G& g, Args a) {
                            std::int32_t out[4] = {rt::Arg(a, 2).ToLong(), rt::Arg(a, 3).ToLong(),
                                                   rt::Arg(a, 4).ToLong(), rt::Arg(a, 5).ToLong()};
                            g.CellBoundary(I16(a, 0), I16(a, 1), out[0], out[1], out[2], out[3]);
                            for (std::size_t k = 0; k < 4; ++k) a[2 + k] = rt::Variant(out[k]);
                        }),
        CellIndexed<std::string>("CellValue", 0x6803001A, &G::CellValue, &G::SetCellValue),
        rows::Method<G>("Clear", 0x60030020, [](G& g, Args) { g.Clear(); }),
        rows::Property<G>("CurrentRow", 0x68030019, &G::CurrentRow, &G::SetCurrentRow),
        rows::Property<G>("CurrentCol", 0x68030018, &G::CurrentCol, &G::SetCurrentCol),
        rows::Property<G>("ScaleFaktor", 0x68030016, &G::ScaleFaktor, &G::SetScaleFaktor),
        rows::Method<G>("SelectCell", 0x60030030,
                        [](G& g, Args a) {
                            const rt::Variant focus = rt::OptionalArg(a, 2);
                            g.SelectCell(I16(a, 0), I16(a, 1),
                                         focus.IsMissing() ? false : focus.ToBool());
                        }),
        rows::Method<G>("SetZoomColumn", 0x60030031,
                        [](G& g, Args a) { g.SetZoomColumn(I16(a, 0), I16(a, 1)); }),
        rows::ReadOnly<G>("Text", 0x68030015, &G::Text),
        rows::Property<G>("TopRow", 0x68030014, &G::TopRow, &G::SetTopRow),
        rows::ReadOnly<G>("vScrollbarVisible", 0x68030013, &G::vScrollbarVisible),
        rows::Property<G>("ColHeader", 0x68030011, &G::ColHeader, &G::SetColHeader),
        rows::Method<G>(
            "SetColHeader", 0x60030055,
            [](G& g, Args a) { g.SetColHeaderText(I16(a, 0), rt::Arg(a, 1).ToString()); }),
        rows::ReadOnly<G>("Cols", 0x68030010, &G::Cols),
        rows::ReadOnly<G>("Rows", 0x6803000F, &G::Rows),
        rows::Property<G>("ColWidthAll", 0x6803000E, &G::ColWidthAll, &G::SetColWidthAll),
        rows::Method<G>("AddItem", 0x60030056,
                        [](G& g, Args a) { g.AddItem(rt::Arg(a, 0).ToString()); }),
        rows::Property<G>("LeftCol", 0x6803000D, &G::LeftCol, &G::SetLeftCol),
        rows::Property<G>("Redraw", 0x6803000C, &G::Redraw, &G::SetRedraw),
        rows::Property<G>("ColAlignment", 0x6803000B, &G::ColAlignment, &G::SetColAlignment),
        rows::Property<G>("ColStyle", 0x6803000A, &G::ColStyle, &G::SetColStyle),
        Indexed<std::string>("ColStyleCol", 0x68030009, &G::ColStyleCol, nullptr),
        Indexed<std::int16_t>("ColWidth", 0x68030008, &G::ColWidth, &G::SetColWidth),
        rows::Property<G>("ReadOnly", 0x68030007, &G::ReadOnly, &G::SetReadOnly),
        Indexed<bool>("ColReadOnly", 0x68030006, &G::ColReadOnly, &G::SetColReadOnly),
        Indexed<bool>("RowReadOnly", 0x68030005, nullptr, &G::SetRowReadOnly),
        CellIndexed<std::int32_t>("CellBGColor", 0x68030004, &G::CellBGColor, &G::SetCellBGColor),
        rows::Property<G>("RecordSelectors", 0x68030003, &G::RecordSelectors,
                          &G::SetRecordSelectors),
        Indexed<std::string>("HeaderText", 0x68030002, &G::HeaderText, &G::SetHeaderText),
        rows::ReadOnly<G>("hWnd", 0x68030001, &G::GridhWnd),
        rows::Property<G>("ColWidthReposition", 0x68030000, &G::ColWidthReposition,
                          &G::SetColWidthReposition),
    };
    return table;
}

}  // namespace grid
