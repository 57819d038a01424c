#pragma once
// The host's event identifiers.
#include <cstdint>

enum genmEvent : std::int32_t {
    All = -1,
    PatientOpen = 1,
    LanguageChange = 2,
    ProfileBGUnitChange = 3,
    ExchangeSettingsChange = 4,
    ProfileTargetChange = 5,
    AskForChanges = 6,
    SaveChanges = 7,
    ChangesSaved = 8,
    DiscardChanges = 9,
    WeightUnitChange = 10,
    EventDefinitionsChanged = 11,
    UDTDefinitionsChanged = 12,
    AddInConfigurationChanged = 13,
};
