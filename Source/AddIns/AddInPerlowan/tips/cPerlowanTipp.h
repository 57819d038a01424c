#pragma once
// One tip as the Perlowan server sends it, and its storage text in the tips store: the ten values
// in the order below, each escaped and followed by "|".
#include <array>
#include <string>
#include <string_view>

class cPerlowanTipp {
  public:
    std::string tID;  // the tip's identifier; its key in the store
    std::string tType;
    std::string tSubType;
    std::string tCode;
    std::string tTitle;
    std::string tText;
    std::string tTime;
    std::string tView;    // never filled; kept for the storage layout
    std::string tStatus;  // the server's status, not the user's reading status
    std::string tReference;

    // Each value with "|" written as "&#124;" and CR LF, CR and LF as "<br>", then "|".
    std::string ToStorage() const;
    // Fills all ten values from a storage text (without the status prefix): missing parts give
    // empty values, parts beyond the tenth are dropped; "&#124;" reads as "|" and "<br>" as CR LF.
    // Raises 9 for a text longer than 32,767 characters, which the shared Split routine does not
    // split; the values are then left as they were.
    void FromStorage(std::string_view ptSerialized);

    friend bool operator==(const cPerlowanTipp&, const cPerlowanTipp&) = default;

  private:
    using Member = std::string cPerlowanTipp::*;
    static constexpr std::array<Member, 10> kStorageOrder = {
        &cPerlowanTipp::tID,       &cPerlowanTipp::tType,  &cPerlowanTipp::tSubType,
        &cPerlowanTipp::tCode,     &cPerlowanTipp::tTitle, &cPerlowanTipp::tText,
        &cPerlowanTipp::tTime,     &cPerlowanTipp::tView,  &cPerlowanTipp::tStatus,
        &cPerlowanTipp::tReference};
};
