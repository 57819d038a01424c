#pragma once
// The tips the substitute host returns when no other source is configured: a dozen realistic
// tips as the Perlowan server sends them (a JSON array of flat objects).
#include <string>

namespace telmora {

std::string SampleTipsJson();

}  // namespace telmora
