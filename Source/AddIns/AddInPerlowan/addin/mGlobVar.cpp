#include "mGlobVar.h"

std::shared_ptr<AddInInstance> gobjAddIn;
std::vector<std::string> gtTippIds;
