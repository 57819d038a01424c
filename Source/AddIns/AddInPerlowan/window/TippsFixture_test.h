#pragma once
// The set-up the exchange and window tests share: a running add-in whose settings folder is a
// fresh temporary folder, the recording tips list in place of the grid, German regional settings,
// message boxes and the clock recorded or fixed, and the store read back by identifier.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "Clock.h"
#include "Regional.h"
#include "TestSupport.h"
#include "TippsTestDoubles_test.h"
#include "cIniFile.h"
#include "frmAddIn.h"
#include "mGlobVar.h"
#include "mPerlowanStore.h"

namespace tipps_test {

using testsupport::ReadFile;

class TippsFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        addIn->settingsFolder = folder.string() + "/";
        gobjAddIn = addIn;
        rt::OverrideRegion(&german);
        window().OverrideTippsGrid(grid);
        gtTippIds.clear();
        journal.clear();
    }
    void TearDown() override {
        UnloadAddInWindow();
        gobjAddIn = nullptr;
        gtTippIds.clear();
        rt::OverrideRegion(nullptr);
    }
    FrmAddIn& window() { return *frmAddIn; }
    std::filesystem::path Store() const { return folder / "Perlowan.dat"; }
    std::string Stored(const std::string& id) {
        cIniFile ini;
        ini.IniFile(Store().string());
        return ini.Load("Tipp", StoreKey(id), "");
    }

    Journal journal;
    std::shared_ptr<HostedAddIn> addIn = std::make_shared<HostedAddIn>(journal);
    std::shared_ptr<RecordingGrid> grid = std::make_shared<RecordingGrid>(journal);
    rt::ScopedRole<platform::MessageBoxService> boxes{
        std::make_shared<JournalMessageBoxes>(journal)};
    rt::ScopedRole<rt::Clock> clock{
        std::make_shared<rt::ManualClock>(rt::LocalDateTime{2016, 4, 5, 9, 0, 0})};
    rt::RegionalDateSettings german{"dd.MM.yyyy", '.',
                                    rt::RegionalDateSettings::Order::DayMonthYear};
    testsupport::TempFolder temp{"perlowan-tipps"};
    std::filesystem::path folder = temp.Path();
};

}  // namespace tipps_test
