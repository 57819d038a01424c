#pragma once
// The add-in class that the host creates and drives: start-up with the host application object,
// host events, the menu entry, hiding, shut-down, trace forwarding, and the trend and statistics
// roles it declines.
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "Dispatch.h"
#include "genmEvent.h"
#include "mGlobVar.h"

class cITelmora final : public rt::Dispatchable<cITelmora>,
                        public AddInInstance,
                        public std::enable_shared_from_this<cITelmora> {
  public:
    cITelmora();
    ~cITelmora() override;
    cITelmora(const cITelmora&) = delete;
    cITelmora& operator=(const cITelmora&) = delete;

    // The members of the published interface `_cITelmora`, by name and by dispatch id.
    static const rt::DispatchTable<cITelmora>& Members();
    // Number of instances alive in the library.
    static long LiveInstances();

    // Keeps the host object, subscribes to LanguageChange, publishes itself in gobjAddIn and adds
    // the menu entry; a refused entry shows the host's text in an information box. Never sets
    // `pbCancel` or `ptCancelReason`. Errors of the host calls reach the caller.
    void AppInit(const rt::ObjectRef& pobjMainApplication, bool& pbCancel,
                 std::string& ptCancelReason);
    // Only LanguageChange while a host object is held: the window's texts are applied again.
    void AppEvent(std::int16_t piIDEvent);
    // Loads the window, hands its handle to the host's ShowAddIn and shows it modelessly.
    void AddInMenuClicked(std::string& ptMenuName);
    // Unloads the window.
    void AddInHide();
    // Unsubscribes, releases the host object and clears gobjAddIn. Errors of the host call reach
    // the caller.
    void AppDeInit();

    // Passes the text to `pobjMainApplication`'s Trace when given, else to the held host object.
    // Never fails.
    void Trace(std::string& ptText, const rt::ObjectRef& pobjMainApplication = nullptr) override;
    rt::ObjectRef MainApplication() const override { return mobjMainApplication; }

    std::string InfoDeveloper() const;
    std::string InfoDescription() const;
    bool IsTrendProvider() const { return false; }
    std::int16_t TrendNumberOfCategories() const { return 0; }
    bool IsStatisticProvider() const { return false; }
    std::int16_t StatisticNumberOfGraphs() const { return 0; }
    std::string StatisticGraphName(std::int16_t) const { return {}; }
    // Sets `ptError` to "Not implemented." and returns false; touches nothing else.
    bool TrendGetRating(rt::Variant& ptError);
    bool StatisticGetGraph(rt::Variant& ptError);
    void TrendShowSettings() {}
    void StatisticShowSettings() {}

  private:
    rt::ObjectRef mobjMainApplication;
};

// The interface's dispatch ids.
namespace dispid_cITelmora {
inline constexpr rt::DispId Trace = 0x60030008;
inline constexpr rt::DispId AppEvent = 0x60030009;
inline constexpr rt::DispId AddInMenuClicked = 0x6003000A;
inline constexpr rt::DispId AddInHide = 0x6003000B;
inline constexpr rt::DispId AppInit = 0x6003000C;
inline constexpr rt::DispId AppDeInit = 0x6003000D;
inline constexpr rt::DispId InfoDeveloper = 0x68030007;
inline constexpr rt::DispId InfoDescription = 0x68030006;
inline constexpr rt::DispId IsTrendProvider = 0x68030005;
inline constexpr rt::DispId TrendNumberOfCategories = 0x68030003;
inline constexpr rt::DispId TrendGetRating = 0x6003000E;
inline constexpr rt::DispId TrendShowSettings = 0x6003000F;
inline constexpr rt::DispId IsStatisticProvider = 0x68030002;
inline constexpr rt::DispId StatisticNumberOfGraphs = 0x68030001;
inline constexpr rt::DispId StatisticGraphName = 0x68030000;
inline constexpr rt::DispId StatisticGetGraph = 0x60030010;
inline constexpr rt::DispId StatisticShowSettings = 0x60030011;
}  // namespace dispid_cITelmora
